#include "cli_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace korventa::test {

namespace {

std::string SystemError(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

// A temporary file for one of the child's output streams: a file rather
// than a pipe, so nobody has to drain it while the child runs.
int TempFile(std::string& path) {
  std::string pattern = (std::filesystem::temp_directory_path() / "korventa-cli-XXXXXX").string();
  const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
  if (fd >= 0) path = pattern;
  return fd;
}

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void CloseInheritedDescriptors() {
#ifdef SYS_close_range
  if (::syscall(SYS_close_range, 3U, ~0U, 0U) == 0) return;
#endif
  const long max = ::sysconf(_SC_OPEN_MAX);
  for (long fd = 3; fd < (max > 0 && max < 65536 ? max : 65536); ++fd) ::close(static_cast<int>(fd));
}

// Waits for the child to end, at most until the deadline: a descriptor that
// becomes readable when the process exits, so no polling on an interval.
// Without pidfd support (kernels before 5.3) the wait has no limit of its
// own; the test runner's time-out is then the guard.
bool WaitForExit(pid_t pid, std::chrono::steady_clock::time_point deadline) {
  using namespace std::chrono;
  const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
  if (pidfd < 0) return true;
  bool ended = false;
  for (;;) {
    const auto left = ceil<milliseconds>(deadline - steady_clock::now()).count();
    if (left <= 0) break;
    pollfd p{pidfd, POLLIN, 0};
    const int ready = ::poll(&p, 1, static_cast<int>(std::min<long long>(left, INT_MAX)));
    if (ready < 0 && errno == EINTR) continue;
    ended = ready > 0;
    break;
  }
  ::close(pidfd);
  return ended;
}

}  // namespace

std::string CliExecutable() {
  if (const char* dir = std::getenv("KORVENTA_BUILD_DIR"); dir != nullptr && *dir != '\0')
    return (std::filesystem::path(dir) / "src" / "cli" / "korventa-cli").string();
  std::error_code ec;
  const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return "korventa-cli";
  return (self.parent_path().parent_path() / "src" / "cli" / "korventa-cli").lexically_normal().string();
}

CliProcessResult RunCliProcess(const std::vector<std::string>& args, double limitSeconds) {
  CliProcessResult r;
  const std::string exe = CliExecutable();
  if (::access(exe.c_str(), X_OK) != 0) {
    r.startError = "korventa-cli not found at " + exe + " (set KORVENTA_BUILD_DIR to the build directory)";
    return r;
  }
  std::vector<std::string> argvStrings{exe};
  argvStrings.insert(argvStrings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : argvStrings) argv.push_back(a.data());
  argv.push_back(nullptr);

  std::string outPath, errPath;
  const int outFd = TempFile(outPath);
  const int errFd = TempFile(errPath);
  const int devNull = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  auto cleanUp = [&] {
    for (int fd : {outFd, errFd, devNull})
      if (fd >= 0) ::close(fd);
    if (!outPath.empty()) ::unlink(outPath.c_str());
    if (!errPath.empty()) ::unlink(errPath.c_str());
  };
  if (outFd < 0 || errFd < 0 || devNull < 0) {
    r.startError = SystemError("temporary file");
    cleanUp();
    return r;
  }

  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = ::fork();
  if (pid < 0) {
    r.startError = SystemError("fork");
    cleanUp();
    return r;
  }
  if (pid == 0) {
    // Only async-signal-safe calls between fork and exec.
#ifdef __linux__
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);  // not outliving a crashed test
#endif
    ::dup2(devNull, STDIN_FILENO);
    ::dup2(outFd, STDOUT_FILENO);
    ::dup2(errFd, STDERR_FILENO);
    CloseInheritedDescriptors();
    ::execv(exe.c_str(), argv.data());
    ::_exit(127);
  }

  const auto deadline = start + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                    std::chrono::duration<double>(limitSeconds));
  if (!WaitForExit(pid, deadline)) {
    ::kill(pid, SIGKILL);
    r.killed = true;
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (WIFEXITED(status)) {
    r.rc = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    r.signal = WTERMSIG(status);
  }
  r.out = Slurp(outPath);
  r.err = Slurp(errPath);
  cleanUp();
  return r;
}

}  // namespace korventa::test
