// The commands of korventa-cli. Each command lives in its own file and
// registers itself through one Add...Command function: it adds its
// subcommand and options to the command table and says how to run it. The
// list of those functions is in app.cpp; a new command adds a file, a
// declaration here and one line there.
#pragma once

#include <CLI/CLI.hpp>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "cli/session.h"

namespace korventa::cli {

// Runs a parsed command; returns an exit code (see ExitCode).
using CommandRun = std::function<int(Session& session, std::ostream& out, std::ostream& err)>;

enum class Device { Needed, NotNeeded };

class CommandTable {
 public:
  explicit CommandTable(CLI::App& app) : app_(app) {}

  // Adds the subcommand `name`; the caller adds its options to the app
  // returned (bound to values `run` captures). Device::Needed: the port is
  // opened before `run`, and a device must be named.
  CLI::App& Add(const std::string& name, const std::string& description, Device device, CommandRun run);

  struct Entry {
    CLI::App* app;
    Device device;
    CommandRun run;
    // When set and true, the command needs no device after all.
    std::function<bool()> withoutDevice;
  };
  Entry& Last() { return entries_.back(); }
  // The command the parsed arguments chose, or null.
  const Entry* Chosen() const;

 private:
  CLI::App& app_;
  std::vector<Entry> entries_;
};

using CommandRegistration = void (*)(CommandTable& table);

// A command's arguments do not make sense: says why and where the command's
// help is, and gives kExitUsage.
int UsageError(std::ostream& err, const std::string& command, const std::string& why);

void AddIdentifyCommand(CommandTable& table);
void AddReadCommand(CommandTable& table);
void AddDumpCommand(CommandTable& table);
void AddShowCommand(CommandTable& table);
void AddWriteCommand(CommandTable& table);
void AddMeasureCommand(CommandTable& table);
void AddSwitchesCommand(CommandTable& table);
void AddProductionCommand(CommandTable& table);

// Commands that read their own arguments: everything after the command's
// name reaches the function as it stands.
using Args = std::vector<std::string>;
using CommandFn = int (*)(Session& session, const Args& args, std::ostream& out, std::ostream& err);
void AddArgsCommand(CommandTable& table, const std::string& name, const std::string& description, Device device,
                    CommandFn run, bool (*withoutDevice)(const Args& args) = nullptr);

// What write and diff take: a ".DST" file or a form document, and options.
struct WriteSource {
  std::string dst, form;
  bool verify = true, quiet = false, json = false;
};
// Adds the FILE.DST argument and --form FILE.json to write's or diff's app.
void AddWriteSourceOptions(CLI::App& app, WriteSource& source);
// Reads the device into the programming window and loads the file or form
// over it. kExitOk when the window now holds what would be written.
int PrepareWrite(Session& s, const std::string& name, const WriteSource& source, std::ostream& err);
void AddDiffCommand(CommandTable& table);

void AddEepromCommand(CommandTable& table);
void AddRegisterCommand(CommandTable& table);
void AddRestoreCommand(CommandTable& table);
int CmdBench(Session& s, const Args& args, std::ostream& out, std::ostream& err);
// Commands whose options are all "--name VALUE" texts they check
// themselves: the parser fills a map from option name to the text given.
using OptionValues = std::map<std::string, std::string>;
using ValuesFn = int (*)(Session& session, OptionValues values, std::ostream& out, std::ostream& err);
struct ValueOption {
  const char* name;  // "--ref"
  const char* type;  // "R", shown in the help
  const char* help;
};
void AddValuesCommand(CommandTable& table, const std::string& name, const std::string& description, Device device,
                      std::initializer_list<ValueOption> options, ValuesFn run);

int CmdCheck(Session& s, OptionValues o, std::ostream& out, std::ostream& err);
int CmdForcing(Session& s, OptionValues o, std::ostream& out, std::ostream& err);
int CmdStability(Session& s, OptionValues o, std::ostream& out, std::ostream& err);
int CmdLinearity(Session& s, OptionValues o, std::ostream& out, std::ostream& err);

// A whole number from lo to hi (decimal or 0x-hexadecimal).
bool ParseInt(const std::string& text, int lo, int hi, int& out);

}  // namespace korventa::cli
