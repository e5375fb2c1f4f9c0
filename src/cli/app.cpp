#include "cli/app.h"

#include <sstream>

#include "app/command_line.h"
#include "cli/commands.h"
#include "cli/session.h"

namespace korventa::cli {

namespace {

void AddFactoryCommands(CommandTable& table);

// Every command, in the order the help lists them.
constexpr CommandRegistration kCommands[] = {
    &AddIdentifyCommand, &AddReadCommand,       &AddDumpCommand,     &AddShowCommand,     &AddWriteCommand,
    &AddDiffCommand,     &AddMeasureCommand,    &AddEepromCommand,   &AddRegisterCommand, &AddRestoreCommand,
    &AddSwitchesCommand, &AddProductionCommand, &AddFactoryCommands,
};

constexpr const char* kFooter =
    "Every question the program would ask a person is printed on standard error with the answer given.\n"
    "Options may also be written --name=value, and may follow the command.\n"
    "Exit codes: 0 success, 1 usage, 2 communication failure, 3 refused, 4 file error.";

// The options every command shares.
void AddGlobalOptions(CLI::App& app, GlobalOptions& g) {
  const std::string connection = "Connection", answers = "Answers";
  auto* port = app.add_option("--port", g.port, "serial port: COM1..COM16 or a device path (/dev/ttyUSB0)")
                   ->type_name("PORT")
                   ->group(connection);
  app.add_option("--simulate", g.simulate, "the built-in simulated device of that model (e.g. PLV7100)")
      ->type_name("MODEL")
      ->excludes(port)
      ->group(connection);
  app.add_option("--sim-opt", g.simArgs, "option for the simulated device (repeatable)")
      ->type_name("K=V")
      ->allow_extra_args(false)
      ->group(connection);
  AddNumberOption(app, "--retries", g.retries, 0, 1000,
                  "answer Retry to a communication error N times, then Cancel (default 2)")
      ->group(answers);
  app.add_option("--instrument", g.instruments,
                 "how the bench command reaches an instrument (repeatable): ROLE supply, switch, mult, mult1, cal "
                 "or usb; SELECTOR Com1..Com8, Usb1..Usb4, Manuale, a device path or an instrument resource")
      ->type_name("ROLE=SELECTOR")
      ->allow_extra_args(false)
      ->group(connection);
  app.add_option("--backup-dir", g.backupDir,
                 "folder of the automatic backups taken before every memory write (default "
                 "$XDG_DATA_HOME/korventa/backups or ~/.local/share/korventa/backups)")
      ->type_name("DIR")
      ->check(
          [](const std::string& v) { return v.empty() ? std::string("--backup-dir needs a folder") : std::string(); })
      ->group(answers);
  app.add_flag("--no-backup", g.noBackup, "write without taking a backup first")->group(answers);
  app.add_flag("--yes", g.yes, "answer OK to limit warnings and file questions (default: Cancel, exit 3)")
      ->group(answers);
  app.add_option("--lang", g.lang, "language of the texts printed (default it)")
      ->type_name("it|en")
      ->check(CLI::IsMember({"it", "en"}).description(""))
      ->group(answers);
}

// The transport of commands that never talk to a device: a port that stays
// closed.
class NoPort : public Transport {
 public:
  void SetPort(const std::string&) override {}
  std::string Port() const override { return {}; }
  bool Open(std::string& error) override {
    error = "no device named";
    return false;
  }
  void Close() override {}
  bool IsOpen() const override { return false; }
  IoStatus Write(std::span<const std::uint8_t>) override { return IoStatus::NotOpen; }
  IoStatus ReadAll(std::vector<std::uint8_t>&) override { return IoStatus::NotOpen; }
  void Discard() override {}
  void Wait(Clock::time_point, bool) override {}
};

// The factory side's commands, each reading its own arguments.
void AddFactoryCommands(CommandTable& table) {
  AddArgsCommand(table, "bench",
                 "ACTION: drive one bench instrument (see --instrument): cal-set VALUE, cal-send CMD D1 D2 D3 D4, "
                 "ambient, mult-set INDEX REM|LOC VOLT|CURR, mult-read INDEX, beep, switch CHANNELS, "
                 "supply on|off VOLTS, supply-current",
                 Device::NotNeeded, &CmdBench);
  AddValuesCommand(table, "check",
                   "the calibration check: instruments set up, the input range's zero, half and span applied and the "
                   "output read; prints the report",
                   Device::Needed,
                   {{"--device", "MODEL", "the model, as the check window lists it"},
                    {"--input", "TYPE", "the input type"},
                    {"--min", "A", "the start of the input range"},
                    {"--max", "B", "the end of the input range"},
                    {"--output", "V|mA", "the output read"},
                    {"--supply", "VOLTS", "the supply voltage"},
                    {"--channel", "0|1", "the channel (default 0)"},
                    {"--report", "FILE", "also write the report to FILE"}},
                   &CmdCheck);
  AddValuesCommand(table, "forcing",
                   "force the outputs to raw values until N seconds or Ctrl-C; the device always leaves forcing "
                   "afterwards",
                   Device::Needed,
                   {{"--a", "RAW", "channel A's raw output value"},
                    {"--b", "RAW", "channel B's raw output value"},
                    {"--seconds", "N", "how long (default: until Ctrl-C)"}},
                   &CmdForcing);
  AddValuesCommand(table, "stability",
                   "the device's reading against R; prints each reading off by more than T, until N readings or Ctrl-C",
                   Device::Needed,
                   {{"--ref", "R", "the reference value"},
                    {"--tol", "T", "the tolerance"},
                    {"--count", "N", "how many readings (default: until Ctrl-C)"}},
                   &CmdStability);
  AddValuesCommand(table, "linearity",
                   "the function generator sweeps the input frequency; prints each reading off by more than T as "
                   "FREQUENCY-->READING",
                   Device::Needed,
                   {{"--start", "F0", "the first frequency"},
                    {"--end", "F1", "the last frequency"},
                    {"--step", "S", "the frequency step"},
                    {"--delay-step", "S", "seconds after each step"},
                    {"--delay-measure", "S", "seconds before each reading"},
                    {"--tol", "T", "the tolerance"}},
                   &CmdLinearity);
}

}  // namespace

CLI::App& CommandTable::Add(const std::string& name, const std::string& description, Device device, CommandRun run) {
  CLI::App* sub = app_.add_subcommand(name, description);
  entries_.push_back({sub, device, std::move(run), {}});
  return *sub;
}

int UsageError(std::ostream& err, const std::string& command, const std::string& why) {
  err << "korventa-cli: " << command << ": " << why << "\nTry korventa-cli " << command << " --help.\n";
  return kExitUsage;
}

const CommandTable::Entry* CommandTable::Chosen() const {
  for (const auto& e : entries_)
    if (e.app->parsed()) return &e;
  return nullptr;
}

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, TransportFactory factory) {
  GlobalOptions global;
  CLI::App app("Configures KORVENTA signal converters over a serial port.", "korventa-cli");
  StyleCommandLine(app, kFooter);
  app.require_subcommand(1);
  app.fallthrough();
  AddGlobalOptions(app, global);
  CommandTable table(app);
  for (CommandRegistration add : kCommands) add(table);

  std::string error;
  switch (
      ParseCommandLine(app, args.size() == 1 && args[0] == "help" ? std::vector<std::string>{"--help"} : args, error)) {
    case CommandLine::Help:
      out << HelpText(app);
      return kExitOk;
    case CommandLine::Error:
      if (!app.remaining().empty() && !table.Chosen()) error = "unknown command " + app.remaining().front();
      err << "korventa-cli: " << error << "\nTry korventa-cli --help.\n";
      return kExitUsage;
    case CommandLine::Run:
      break;
  }
  const CommandTable::Entry* command = table.Chosen();
  const bool needsDevice = command->device == Device::Needed && !(command->withoutDevice && command->withoutDevice());
  if (needsDevice && global.port.empty() && global.simulate.empty()) {
    err << "korventa-cli: " << command->app->get_name() << ": name a device with --port PORT or --simulate MODEL\n";
    return kExitUsage;
  }
  auto transport = needsDevice ? factory(global, error) : std::make_unique<NoPort>();
  if (!transport) {
    err << "korventa-cli: " << error << '\n';
    return global.simulate.empty() ? kExitComm : kExitUsage;
  }
  Session s(global, *transport, err);
  if (needsDevice && !s.Open(error)) {
    err << "korventa-cli: " << error << '\n';
    return kExitComm;
  }
  int rc = command->run(s, out, err);
  s.link.ClosePort();
  if (rc == kExitOk && s.dialogs.Refused()) rc = kExitRefused;
  return rc;
}

}  // namespace korventa::cli
