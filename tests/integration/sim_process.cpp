#include "sim_process.h"

#include "child_process.h"

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

namespace korventa::test {

SimProcess::~SimProcess() { Stop(); }

std::string SimProcess::Executable() {
  return BuiltProgram("src/sim", "korventa-sim");
}

bool SimProcess::Start(const std::vector<std::string>& args, std::string& error, double startTimeoutSeconds) {
  Stop();
  const std::string exe = Executable();
  if (::access(exe.c_str(), X_OK) != 0) {
    error = "korventa-sim not found at " + exe + " (set KORVENTA_BUILD_DIR to the build directory)";
    return false;
  }
  ExecArgs argv(exe, args);

  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
    error = SystemError("pipe");
    return false;
  }
  const int devNull = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  const pid_t parent = ::getpid();
  const pid_t pid = ::fork();
  if (pid < 0) {
    error = SystemError("fork");
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
    if (devNull >= 0) ::close(devNull);
    return false;
  }
  if (pid == 0) {
#ifdef __linux__
    // Do not outlive a test run that crashes.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) ::_exit(127);
#endif
    if (devNull >= 0) ::dup2(devNull, STDIN_FILENO);
    ::dup2(pipeFds[1], STDOUT_FILENO);
    CloseInheritedDescriptors();
    ::execv(exe.c_str(), argv.Argv());
    ::_exit(127);
  }
  (void)parent;
  ::close(pipeFds[1]);
  if (devNull >= 0) ::close(devNull);
  pid_ = pid;
  out_ = pipeFds[0];

  // The first line is the terminal path.
  using namespace std::chrono;
  const auto deadline = steady_clock::now() + duration_cast<steady_clock::duration>(duration<double>(startTimeoutSeconds));
  std::string got;
  for (;;) {
    if (auto nl = got.find('\n'); nl != std::string::npos) {
      slave_ = got.substr(0, nl);
      output_ = got.substr(nl + 1);
      break;
    }
    const auto left = ceil<milliseconds>(deadline - steady_clock::now()).count();
    pollfd p{out_, POLLIN, 0};
    const int ready = left > 0 ? ::poll(&p, 1, static_cast<int>(std::min<long long>(left, INT_MAX))) : 0;
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) {
      error = "korventa-sim printed no terminal path within " + std::to_string(startTimeoutSeconds) + " s";
      Stop();
      return false;
    }
    char buf[256];
    const ssize_t n = ::read(out_, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      int status = 0;
      ::waitpid(pid_, &status, 0);
      pid_ = -1;
      ::close(out_);
      out_ = -1;
      error = "korventa-sim ended before printing a terminal path (" +
              (WIFEXITED(status) ? "exit code " + std::to_string(WEXITSTATUS(status))
                                 : "signal " + std::to_string(WTERMSIG(status))) +
              ")";
      return false;
    }
    got.append(buf, static_cast<std::size_t>(n));
  }
  // Keep reading, so a chatty simulator never blocks on a full pipe.
  drain_ = std::thread([this] { Drain(); });
  return true;
}

void SimProcess::Drain() {
  char buf[512];
  for (;;) {
    const ssize_t n = ::read(out_, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;  // the child has gone
    std::lock_guard<std::mutex> lock(mutex_);
    output_.append(buf, static_cast<std::size_t>(n));
  }
}

void SimProcess::Stop() {
  if (pid_ > 0) {
    ::kill(pid_, SIGKILL);
    while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
  }
  // The pipe reaches end of file once the child is gone, which ends Drain.
  if (drain_.joinable()) drain_.join();
  if (out_ >= 0) {
    ::close(out_);
    out_ = -1;
  }
  slave_.clear();
}

std::string SimProcess::Output() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return output_;
}

}  // namespace korventa::test
