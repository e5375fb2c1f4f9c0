// The commands of korventa-cli. Each command lives in its own file and
// registers itself through one Add...Command function: it adds its
// subcommand and options to the command table and says how to run it. The
// list of those functions is in app.cpp; a new command adds a file, a
// declaration here and one line there.
#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

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

void AddIdentifyCommand(CommandTable& table);
void AddReadCommand(CommandTable& table);
void AddDumpCommand(CommandTable& table);
void AddShowCommand(CommandTable& table);
void AddWriteCommand(CommandTable& table);
void AddMeasureCommand(CommandTable& table);

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

int CmdEeprom(Session& s, const Args& args, std::ostream& out, std::ostream& err);
int CmdRegister(Session& s, const Args& args, std::ostream& out, std::ostream& err);
int CmdRestore(Session& s, const Args& args, std::ostream& out, std::ostream& err);
int CmdBench(Session& s, const Args& args, std::ostream& out, std::ostream& err);
int CmdCheck(Session& s, const Args& args, std::ostream& out, std::ostream& err);
int CmdForcing(Session& s, const Args& args, std::ostream& out, std::ostream& err);
int CmdStability(Session& s, const Args& args, std::ostream& out, std::ostream& err);
int CmdLinearity(Session& s, const Args& args, std::ostream& out, std::ostream& err);
int CmdSwitches(Session& s, const Args& args, std::ostream& out, std::ostream& err);
bool SwitchesSenzaDispositivo(const Args& args);
void AddProductionCommand(CommandTable& table);

// A whole number from lo to hi (decimal or 0x-hexadecimal).
bool ParseInt(const std::string& text, int lo, int hi, int& out);

}  // namespace korventa::cli
