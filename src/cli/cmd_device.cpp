#include <fstream>
#include <sstream>

#include "cli/commands.h"

namespace korventa::cli {

bool ParseInt(const std::string& s, int lo, int hi, int& out) {
  if (s.empty() || s.size() > 9) return false;
  long v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  if (v < lo || v > hi) return false;
  out = static_cast<int>(v);
  return true;
}

const std::vector<Command>& Commands() {
  static const std::vector<Command> commands = {
      {"identify", &CmdIdentify, true, "identify                         identify the connected device and its model"},
      {"read", &CmdRead, true,
       "read [--json] [--save FILE.DST]  read the configuration as the main window's read does and print it\n"
       "                                   (--json: device, form values with visibility, memory bytes;\n"
       "                                   --save: also store it in a configuration file)"},
      {"dump", &CmdDump, true, "dump [--bank N] [--out FILE]     the 256 bytes of a memory bank, one line per address"},
      {"show", &CmdShow, false, "show FILE.DST [--json]           the fields of a configuration file (no device needed)"},
      {"write", &CmdWrite, true,
       "write (FILE.DST | --form FILE.json) [--yes] [--verify]\n"
       "                                   read the device, then write the file's or the edited form's\n"
       "                                   configuration; --verify reads every written address back"},
      {"measure", &CmdMeasure, true,
       "measure [--count N] [--csv]      live measurement: each reading's output and input in engineering\n"
       "                                   units (--csv: the rows of the measurement window's recording),\n"
       "                                   until N readings or Ctrl-C"},
      {"bench", &CmdBench, false,
       "bench ACTION                     drive one bench instrument (see --instrument): cal-set VALUE,\n"
       "                                   cal-send CMD D1 D2 D3 D4, ambient, mult-set INDEX REM|LOC VOLT|CURR,\n"
       "                                   mult-read INDEX, beep, switch CHANNELS, supply on|off VOLTS,\n"
       "                                   supply-current"},
  };
  return commands;
}

int CmdDump(Session& s, const Args& rest, std::ostream& out, std::ostream& err) {
  int bank = 0;
  std::string outFile;
  for (std::size_t i = 0; i < rest.size(); ++i) {
    if (rest[i] == "--bank" && i + 1 < rest.size()) {
      if (!ParseInt(rest[++i], 0, 255, bank)) {
        err << "korventa-cli: --bank takes a number from 0 to 255\n";
        return kExitUsage;
      }
    } else if (rest[i] == "--out" && i + 1 < rest.size()) {
      outFile = rest[++i];
    } else {
      err << "korventa-cli: dump: unexpected argument " << rest[i] << '\n';
      return kExitUsage;
    }
  }
  auto bytes = s.link.ReadBytes(bank, 0, 256);
  if (s.state.ErroreCom) {
    // A port that vanished ends the read without a question: this line is
    // then all that says why nothing was listed.
    err << "korventa-cli: dump: bank " << bank << " could not be read\n";
    return kExitComm;
  }
  std::ostringstream text;
  for (int a = 0; a < 256; ++a) text << a << '\t' << int(bytes[static_cast<std::size_t>(a)]) << '\n';
  if (outFile.empty()) {
    out << text.str();
    return kExitOk;
  }
  std::ofstream f(outFile, std::ios::binary | std::ios::trunc);
  f << text.str();
  f.close();
  if (!f) {
    err << "korventa-cli: cannot write " << outFile << '\n';
    return kExitFile;
  }
  return kExitOk;
}

}  // namespace korventa::cli
