#include <sstream>

#include "cli/commands.h"
#include "files/safe_file.h"

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
       "write (FILE.DST | --form FILE.json) [--yes] [--no-verify]\n"
       "                                   read the device, then write the file's or the edited form's\n"
       "                                   configuration and read every written address back\n"
       "                                   (--no-verify: skip the read-back)"},
      {"measure", &CmdMeasure, true,
       "measure [--count N] [--csv]      live measurement: each reading's output and input in engineering\n"
       "                                   units (--csv: the rows of the measurement window's recording),\n"
       "                                   until N readings or Ctrl-C"},
      {"switches", &CmdSwitches, true,
       "switches [--json]                the DIP switches: per channel input, output, option, span and zero\n"
       "                                   positions with their values, the check, the banks as bytes and drawn\n"
       "  switches compose --model NAME --input TEXT [--output TEXT] [--option on|off] [--span N] [--zero N]\n"
       "                   [--divider 1000|100] [--channel-b INPUT[,OUTPUT[,on|off]]] [--json]\n"
       "                                   the switch wizard without a device: the banks for those choices\n"
       "  switches set-default --input TEXT (--span V | --zero V) [--yes]\n"
       "                                   write the stored default span or zero of an input type",
       &SwitchesSenzaDispositivo},
      {"bench", &CmdBench, false,
       "bench ACTION                     drive one bench instrument (see --instrument): cal-set VALUE,\n"
       "                                   cal-send CMD D1 D2 D3 D4, ambient, mult-set INDEX REM|LOC VOLT|CURR,\n"
       "                                   mult-read INDEX, beep, switch CHANNELS, supply on|off VOLTS,\n"
       "                                   supply-current"},
      {"production", &CmdProduction, true,
       "production --model MODEL [--resume] [--channels A|B|AB] [--rows LIST] [--no-consumption]\n"
       "                                   [--no-switch-check] [--no-checkpoints] [--default-image]\n"
       "                                   [--final-programming] [--on-fault abort|retry|ignore]\n"
       "                                   [--model-files DIR] [--json]\n"
       "                                   the production run on the bench (see --instrument): exit 0\n"
       "                                   passed, 5 red rows, 2 ended by an error"},
      {"check", &CmdCheck, true,
       "check --device MODEL --input TYPE --min A --max B --output V|mA [--supply VOLTS] [--channel 0|1]\n"
       "      [--report FILE]              the calibration check: instruments set up, the input range's\n"
       "                                   zero, half and span applied and the output read; prints the report"},
      {"forcing", &CmdForcing, true,
       "forcing --a RAW [--b RAW] [--seconds N]  force the outputs to raw values until N seconds or\n"
       "                                   Ctrl-C; the device always leaves forcing afterwards"},
      {"stability", &CmdStability, true,
       "stability --ref R --tol T [--count N]  the device's reading against R; prints each reading off by\n"
       "                                   more than T, until N readings or Ctrl-C"},
      {"linearity", &CmdLinearity, true,
       "linearity --start F0 --end F1 --step S [--delay-step S] [--delay-measure S] [--tol T]\n"
       "                                   the function generator sweeps the input frequency; prints each\n"
       "                                   reading off by more than T as FREQUENCY-->READING"},
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
  // Replaced whole or not at all, like a saved configuration.
  const std::string t = text.str();
  std::string error;
  if (!WriteFileAtomically(outFile, std::span(reinterpret_cast<const std::uint8_t*>(t.data()), t.size()), error)) {
    err << "korventa-cli: dump: " << error << '\n';
    return kExitFile;
  }
  return kExitOk;
}

}  // namespace korventa::cli
