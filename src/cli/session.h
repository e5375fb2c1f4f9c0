// What one run of the command-line front end works with: the program state,
// the link over the chosen transport and the questions answered by policy.
#pragma once

#include <cstdlib>
#include <ostream>
#include <string>

#include "app/busy.h"
#include "app/context.h"
#include "app/state.h"
#include "cli/app.h"
#include "cli/policy_dialogs.h"
#include "files/backup.h"
#include "link/link.h"

namespace korventa::cli {

struct Session {
  Session(const GlobalOptions& options, Transport& t, std::ostream& err)
      : options(options),
        dialogs(Policy{options.retries, options.yes}, err),
        link(state, t, dialogs, busy),
        port(options.port),
        guard(OpzioniBackup{options.backupDir.empty()
                                ? CartellaBackupPredefinita(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"))
                                : options.backupDir,
                            !options.noBackup}) {
    state.Lingua = options.lang == "en" ? 1 : 0;
    state.OffLingua = 300 * state.Lingua;
  }
  bool Open(std::string& error) {
    if (link.OpenPort(port.empty() ? "SIM" : port, error)) return true;
    error = "cannot open port " + port + ": " + error;
    return false;
  }

  Context ctx() { return Context{state, windows, link, dialogs, &guard}; }

  GlobalOptions options;
  ProgramState state;
  PolicyDialogs dialogs;
  BusyObserver busy;
  Link link;
  std::string port;
  Windows windows;
  Salvaguardia guard;
};

}  // namespace korventa::cli
