#include "cli_process.h"

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

namespace {

// Moves what a pipe holds into text; false at end of file or on an error.
bool Take(int fd, std::string& text) {
  char buf[4096];
  for (;;) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n > 0) {
      text.append(buf, static_cast<std::size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
  }
}

}  // namespace

std::string CliExecutable() {
  return BuiltProgram("src/cli", "korventa-cli");
}

CliProcessResult RunCliProcess(const std::vector<std::string>& args, double limitSeconds,
                               const std::function<void(const std::string&)>& onOutput,
                               const std::function<void(pid_t)>& onStart) {
  CliProcessResult r;
  const std::string exe = CliExecutable();
  if (::access(exe.c_str(), X_OK) != 0) {
    r.startError = "korventa-cli not found at " + exe + " (set KORVENTA_BUILD_DIR to the build directory)";
    return r;
  }
  ExecArgs argv(exe, args);

  int out[2] = {-1, -1}, err[2] = {-1, -1};
  const int devNull = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  auto closeAll = [&] {
    for (int* fd : {&out[0], &out[1], &err[0], &err[1]}) {
      if (*fd >= 0) ::close(*fd);
      *fd = -1;
    }
    if (devNull >= 0) ::close(devNull);
  };
  if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0 || devNull < 0) {
    r.startError = SystemError("pipe");
    closeAll();
    return r;
  }

  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = ::fork();
  if (pid < 0) {
    r.startError = SystemError("fork");
    closeAll();
    return r;
  }
  if (pid == 0) {
    // Only async-signal-safe calls between fork and exec.
#ifdef __linux__
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);  // not outliving a crashed test
#endif
    ::dup2(devNull, STDIN_FILENO);
    ::dup2(out[1], STDOUT_FILENO);
    ::dup2(err[1], STDERR_FILENO);
    CloseInheritedDescriptors();
    ::execv(exe.c_str(), argv.Argv());
    ::_exit(127);
  }
  ::close(out[1]);
  ::close(err[1]);
  out[1] = err[1] = -1;
  if (onStart) onStart(pid);
  ::fcntl(out[0], F_SETFL, O_NONBLOCK);
  ::fcntl(err[0], F_SETFL, O_NONBLOCK);

  // Reads both streams as they come and waits for the end of the process
  // on a descriptor that becomes readable when it exits: no polling on an
  // interval. Without pidfd support (kernels before 5.3) the end of both
  // streams stands for the end of the process.
  using namespace std::chrono;
  const auto deadline = start + duration_cast<steady_clock::duration>(duration<double>(limitSeconds));
  const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
  bool outOpen = true, errOpen = true, exited = false;
  while (!exited || outOpen || errOpen) {
    const auto left = ceil<milliseconds>(deadline - steady_clock::now()).count();
    if (left <= 0) {
      ::kill(pid, SIGKILL);
      r.killed = true;
      break;
    }
    pollfd fds[3];
    nfds_t n = 0;
    if (outOpen) fds[n++] = {out[0], POLLIN, 0};
    if (errOpen) fds[n++] = {err[0], POLLIN, 0};
    const bool watchExit = !exited && pidfd >= 0;
    if (watchExit) fds[n++] = {pidfd, POLLIN, 0};
    if (n == 0) break;
    const int ready = ::poll(fds, n, static_cast<int>(std::min<long long>(left, INT_MAX)));
    if (ready < 0 && errno != EINTR) break;
    if (ready <= 0) continue;
    for (nfds_t i = 0; i < n; ++i) {
      if (fds[i].revents == 0) continue;
      if (fds[i].fd == out[0]) {
        const std::size_t before = r.out.size();
        outOpen = Take(out[0], r.out);
        if (onOutput && r.out.size() > before) onOutput(r.out);
      } else if (fds[i].fd == err[0]) {
        errOpen = Take(err[0], r.err);
      } else {
        exited = true;
      }
    }
    if (pidfd < 0 && !outOpen && !errOpen) exited = true;
  }
  if (pidfd >= 0) ::close(pidfd);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  // What is left in the pipes once the process is gone.
  if (outOpen) Take(out[0], r.out);
  if (errOpen) Take(err[0], r.err);
  r.seconds = duration<double>(steady_clock::now() - start).count();
  if (WIFEXITED(status)) {
    r.rc = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    r.signal = WTERMSIG(status);
  }
  closeAll();
  return r;
}

}  // namespace korventa::test
