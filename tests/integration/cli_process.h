// Runs the built korventa-cli as a child process, the way a script runs it,
// with a hard limit on its wall time. Several runs may go on at once (one
// per thread), so a matrix of slow device exchanges costs the time of its
// slowest cell, not the sum.
//
//   auto r = korventa::test::RunCliProcess({"--port", path, "identify"}, 10.0);
//   EXPECT_FALSE(r.killed);
//   EXPECT_EQ(r.rc, 0) << r.err;
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

namespace korventa::test {

struct CliProcessResult {
  int rc = -1;            // exit code; -1 when killed or ended by a signal
  int signal = 0;         // the signal that ended it, 0 if it exited
  bool killed = false;    // still running at the limit: killed by us
  double seconds = 0;     // wall time from start to end
  std::string out, err;   // what it printed
  std::string startError; // not empty when it could not be started
};

// Where korventa-cli is: $KORVENTA_BUILD_DIR/src/cli/korventa-cli, or
// ../src/cli/korventa-cli from the running executable's directory.
std::string CliExecutable();

// Runs korventa-cli with args and waits until it ends or limitSeconds have
// passed (then kills it). Standard input is /dev/null. onOutput, when set,
// is called with everything printed so far each time standard output grows,
// so a test can act on the program's progress.
// onStart, when set, gets the child's process id as soon as it runs (to
// send it signals).
CliProcessResult RunCliProcess(const std::vector<std::string>& args, double limitSeconds,
                               const std::function<void(const std::string&)>& onOutput = {},
                               const std::function<void(pid_t)>& onStart = {});

}  // namespace korventa::test
