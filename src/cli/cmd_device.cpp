#include <sstream>

#include "app/command_line.h"
#include "cli/commands.h"
#include "files/safe_file.h"

namespace korventa::cli {

bool ParseInt(const std::string& text, int lo, int hi, int& out) {
  long long v = 0;
  if (!ParseWholeNumber(text, lo, hi, v)) return false;
  out = static_cast<int>(v);
  return true;
}

void AddArgsCommand(CommandTable& table, const std::string& name, const std::string& description, Device device,
                    CommandFn run, bool (*withoutDevice)(const Args& args)) {
  auto app = std::make_shared<CLI::App*>(nullptr);
  CLI::App& c = table.Add(name, description, device, [app, run](Session& s, std::ostream& out, std::ostream& err) {
    return run(s, (*app)->remaining(), out, err);
  });
  // The arguments are taken as they stand (a value may be negative, which
  // the option parser would take for an option); --help still answers.
  c.allow_extras();
  c.fallthrough(false);
  *app = &c;
  if (withoutDevice) table.Last().withoutDevice = [app, withoutDevice] { return withoutDevice((*app)->remaining()); };
}

void AddValuesCommand(CommandTable& table, const std::string& name, const std::string& description, Device device,
                      std::initializer_list<ValueOption> options, ValuesFn run) {
  auto values = std::make_shared<OptionValues>();
  CLI::App& c = table.Add(name, description, device, [values, run](Session& s, std::ostream& out, std::ostream& err) {
    return run(s, *values, out, err);
  });
  for (const ValueOption& o : options)
    c.add_option_function<std::string>(
         o.name, [values, n = std::string(o.name)](const std::string& v) { (*values)[n] = v; }, o.help)
        ->type_name(o.type);
}

namespace {

struct DumpOptions {
  int bank = 0;
  std::string outFile;
};

int Dump(Session& s, const DumpOptions& o, std::ostream& out, std::ostream& err) {
  auto bytes = s.link.ReadBytes(o.bank, 0, 256);
  if (s.state.ErroreCom) {
    // A port that vanished ends the read without a question: this line is
    // then all that says why nothing was listed.
    err << "korventa-cli: dump: bank " << o.bank << " could not be read\n";
    return kExitComm;
  }
  std::ostringstream text;
  for (int a = 0; a < 256; ++a) text << a << '\t' << int(bytes[static_cast<std::size_t>(a)]) << '\n';
  if (o.outFile.empty()) {
    out << text.str();
    return kExitOk;
  }
  // Replaced whole or not at all, like a saved configuration.
  const std::string t = text.str();
  std::string error;
  if (!WriteFileAtomically(o.outFile, std::span(reinterpret_cast<const std::uint8_t*>(t.data()), t.size()), error)) {
    err << "korventa-cli: dump: " << error << '\n';
    return kExitFile;
  }
  return kExitOk;
}

}  // namespace

void AddDumpCommand(CommandTable& table) {
  auto o = std::make_shared<DumpOptions>();
  CLI::App& c = table.Add("dump", "the 256 bytes of a memory bank, one line per address: the address, a tab, the value",
                          Device::Needed,
                          [o](Session& s, std::ostream& out, std::ostream& err) { return Dump(s, *o, out, err); });
  AddNumberOption(c, "--bank", o->bank, 0, 255, "the memory bank (default 0)");
  c.add_option("--out", o->outFile, "write the lines to FILE instead of standard output")->type_name("FILE");
}

}  // namespace korventa::cli
