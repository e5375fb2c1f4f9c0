// Ctrl-C for the commands that run until stopped: while an InterruptFlag
// lives, SIGINT only sets a flag that the command's loop looks at, so the
// loop ends the way its Stop button would (leaving the device tidy).
#pragma once

namespace korventa::cli {

class InterruptFlag {
 public:
  InterruptFlag();
  ~InterruptFlag();
  InterruptFlag(const InterruptFlag&) = delete;
  InterruptFlag& operator=(const InterruptFlag&) = delete;
  bool Set() const;

 private:
  void (*previous_)(int);
};

}  // namespace korventa::cli
