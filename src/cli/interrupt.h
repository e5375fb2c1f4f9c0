// Ctrl-C, SIGTERM and SIGHUP while a command runs: instead of ending the
// process mid-transaction (a write half sent, the device left in program
// mode or streaming), they set a flag the command looks at between frames,
// so it can finish what is on the wire and leave the device as it should.
#pragma once

#include <csignal>

namespace korventa::cli {

class InterruptFlag {
 public:
  // ignorePipe: a closed standard output (a reader that went away) fails the
  // next write instead of killing the process, so the command can notice.
  explicit InterruptFlag(bool ignorePipe = false);
  ~InterruptFlag();
  InterruptFlag(const InterruptFlag&) = delete;
  InterruptFlag& operator=(const InterruptFlag&) = delete;
  bool Set() const;
  // The signal that set the flag (0: none).
  int Signal() const;

 private:
  static constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};
  struct sigaction previous_[4] = {};
  bool ignorePipe_;
};

}  // namespace korventa::cli
