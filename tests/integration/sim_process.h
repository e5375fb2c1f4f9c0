// Runs korventa-sim as a child process, so a test or a benchmark can open the
// virtual converter through a real serial-port path.
//
//   korventa::test::SimProcess sim;
//   std::string error;
//   ASSERT_TRUE(sim.Start({"--model", "PLV7110A", "--split"}, error)) << error;
//   transport.SetPort(sim.SlavePath());
//
// The destructor kills and reaps the child, so a failing assertion never
// leaves a simulator behind.
#pragma once

#include <sys/types.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace korventa::test {

class SimProcess {
 public:
  SimProcess() = default;
  ~SimProcess();
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  // Where korventa-sim is: $KORVENTA_BUILD_DIR/src/sim/korventa-sim when the
  // variable is set, otherwise ../src/sim/korventa-sim from the directory of
  // the running executable (a test or bench binary one level below the build
  // directory).
  static std::string Executable();

  // Starts korventa-sim with these arguments and waits (at most
  // startTimeoutSeconds) for the first line of its standard output, the
  // terminal path. The rest of its standard output is collected in the
  // background; its standard error goes to ours. False with a reason when
  // the program cannot be started or prints no path.
  bool Start(const std::vector<std::string>& args, std::string& error, double startTimeoutSeconds = 10.0);
  // Kills the child (SIGKILL) and waits for it. Safe to call twice.
  void Stop();

  bool Running() const { return pid_ > 0; }
  pid_t Pid() const { return pid_; }
  // The pseudo-terminal to open, e.g. /dev/pts/3.
  const std::string& SlavePath() const { return slave_; }
  // Standard output after the first line, as far as it has been read.
  std::string Output() const;

 private:
  void Drain();

  pid_t pid_ = -1;
  int out_ = -1;  // read end of the child's standard output
  std::string slave_;
  std::thread drain_;
  mutable std::mutex mutex_;
  std::string output_;
};

}  // namespace korventa::test
