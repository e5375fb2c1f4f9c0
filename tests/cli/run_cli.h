// Runs korventa-cli in-process, by default against the simulated device on a
// virtual clock, and keeps what it printed.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "cli/app.h"

namespace korventa::test {

struct CliRun {
  int rc;
  std::string out;
  std::string err;
};

inline CliRun Cli(std::vector<std::string> args,
                  cli::TransportFactory factory = &cli::VirtualSimulatedTransport) {
  std::ostringstream out, err;
  int rc = cli::RunCli(args, out, err, factory);
  return {rc, out.str(), err.str()};
}

}  // namespace korventa::test
