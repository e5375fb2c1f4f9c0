// korventa-cli: the headless front end. RunCli is the whole program minus
// process start-up, so tests run it in-process.
#pragma once

#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "link/transport.h"

namespace korventa::cli {

enum ExitCode { kExitOk = 0, kExitUsage = 1, kExitComm = 2, kExitRefused = 3, kExitFile = 4 };

struct GlobalOptions {
  std::string port;      // --port
  std::string simulate;  // --simulate MODEL
  std::vector<std::string> simArgs;  // --sim-opt KEY=VALUE, passed to the simulator
  int retries = 2;       // --retries
  std::string lang = "it";  // --lang it|en
  bool yes = false;         // --yes: OK to every OK/Cancel question (also after the command)
  std::string backupDir;    // --backup-dir DIR (default: the user's data folder)
  bool noBackup = false;    // --no-backup
  std::vector<std::string> instruments;  // --instrument ROLE=SELECTOR, for the bench command
};

// Makes the transport the options name (a real port, or the built-in
// simulated device). Null with a reason when that is not possible.
using TransportFactory =
    std::unique_ptr<Transport> (*)(const GlobalOptions& options, std::string& error);
std::unique_ptr<Transport> DefaultTransport(const GlobalOptions& options, std::string& error);
// The built-in simulated device of options.simulate, with its options; on a
// virtual clock (no real time passes: for tests) or in real time.
std::unique_ptr<Transport> SimulatedTransport(const GlobalOptions& options, bool virtualClock, std::string& error);
// SimulatedTransport on the virtual clock, as a TransportFactory.
std::unique_ptr<Transport> VirtualSimulatedTransport(const GlobalOptions& options, std::string& error);

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           TransportFactory factory = &DefaultTransport);

}  // namespace korventa::cli
