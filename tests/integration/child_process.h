// What the test launchers of korventa-cli and korventa-sim have in common:
// finding a built program and the few things done around fork and exec.
#pragma once

#include <string>
#include <vector>

namespace korventa::test {

// Where a built program is: $KORVENTA_BUILD_DIR/<subdir>/<name>, or
// ../<subdir>/<name> from the running test executable's directory.
std::string BuiltProgram(const std::string& subdir, const std::string& name);

// "what: the system's reason" for the last failed call.
std::string SystemError(const char* what);

// Closes every descriptor from 3 up in a freshly forked child, so it holds
// none of ours (an open serial port above all). Async-signal-safe.
void CloseInheritedDescriptors();

// An argument vector for execv: the program followed by args. The strings
// are owned here, so keep the object alive until exec.
class ExecArgs {
 public:
  ExecArgs(const std::string& program, const std::vector<std::string>& args);
  char** Argv() { return argv_.data(); }

 private:
  std::vector<std::string> strings_;
  std::vector<char*> argv_;
};

}  // namespace korventa::test
