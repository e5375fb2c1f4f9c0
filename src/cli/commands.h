// The commands of korventa-cli. Each takes the arguments after its name and
// returns an exit code (see ExitCode).
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "cli/session.h"

namespace korventa::cli {

using Args = std::vector<std::string>;
using CommandFn = int (*)(Session& session, const Args& args, std::ostream& out, std::ostream& err);

struct Command {
  const char* name;
  CommandFn run;
  bool needsDevice;  // opens the port before running
  const char* usage; // one line for the help text
  // When set and true for the arguments, no device is needed after all.
  bool (*withoutDevice)(const Args& args) = nullptr;
};

// Every command, in the order the help lists them.
const std::vector<Command>& Commands();

int CmdIdentify(Session& s, const Args& args, std::ostream& out, std::ostream& err);
int CmdRead(Session& s, const Args& args, std::ostream& out, std::ostream& err);
int CmdDump(Session& s, const Args& args, std::ostream& out, std::ostream& err);
int CmdShow(Session& s, const Args& args, std::ostream& out, std::ostream& err);
int CmdWrite(Session& s, const Args& args, std::ostream& out, std::ostream& err);
int CmdMeasure(Session& s, const Args& args, std::ostream& out, std::ostream& err);
int CmdSwitches(Session& s, const Args& args, std::ostream& out, std::ostream& err);
bool SwitchesSenzaDispositivo(const Args& args);
int CmdDiff(Session& s, const Args& args, std::ostream& out, std::ostream& err);
int CmdEeprom(Session& s, const Args& args, std::ostream& out, std::ostream& err);
int CmdRegister(Session& s, const Args& args, std::ostream& out, std::ostream& err);
int CmdRestore(Session& s, const Args& args, std::ostream& out, std::ostream& err);

// What write and diff take: a ".DST" file or a form document, and options.
struct WriteSource {
  std::string dst, form;
  bool verify = true, quiet = false, json = false;
  std::string verifyOption;  // "--verify" or "--no-verify" when one was given
};
// Parses write's and diff's arguments, reads the device into the
// programming window and loads the file or form over it. kExitOk when the
// window now holds what would be written.
int PrepareWrite(Session& s, const std::string& name, const Args& args, WriteSource& source, std::ostream& err);
int CmdBench(Session& s, const Args& args, std::ostream& out, std::ostream& err);
int CmdProduction(Session& s, const Args& args, std::ostream& out, std::ostream& err);
int CmdCheck(Session& s, const Args& args, std::ostream& out, std::ostream& err);
int CmdForcing(Session& s, const Args& args, std::ostream& out, std::ostream& err);
int CmdStability(Session& s, const Args& args, std::ostream& out, std::ostream& err);
int CmdLinearity(Session& s, const Args& args, std::ostream& out, std::ostream& err);

// Small argument helpers shared by the commands.
bool ParseInt(const std::string& text, int lo, int hi, int& out);

}  // namespace korventa::cli
