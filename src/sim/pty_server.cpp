#include "sim/pty_server.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace korventa::sim {

namespace {

bool SetFlags(int fd, int add) {
  const int flags = ::fcntl(fd, F_GETFL);
  return flags >= 0 && ::fcntl(fd, F_SETFL, flags | add) == 0;
}

bool SetCloseOnExec(int fd) {
  const int flags = ::fcntl(fd, F_GETFD);
  return flags >= 0 && ::fcntl(fd, F_SETFD, flags | FD_CLOEXEC) == 0;
}

std::string Reason(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

}  // namespace

bool OpenRawPty(int& master, int& slave, std::string& path, std::string& error) {
  master = ::posix_openpt(O_RDWR | O_NOCTTY);
  if (master < 0) {
    error = Reason("posix_openpt");
    return false;
  }
  SetCloseOnExec(master);
  if (::grantpt(master) != 0 || ::unlockpt(master) != 0) {
    error = Reason("grantpt/unlockpt");
    return false;
  }
  char name[256] = {};
  if (::ptsname_r(master, name, sizeof name) != 0) {
    error = Reason("ptsname_r");
    return false;
  }
  path = name;
  // Our own descriptor of the slave: without it the master reads EIO and
  // sees a hang-up whenever the client closes the port.
  slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (slave < 0) {
    error = Reason(name);
    return false;
  }
  termios tio{};
  if (::tcgetattr(slave, &tio) != 0) {
    error = Reason("tcgetattr");
    return false;
  }
  // Raw: no CR/LF translation, no echo, no line editing, 8 data bits.
  ::cfmakeraw(&tio);
  ::cfsetispeed(&tio, B9600);
  ::cfsetospeed(&tio, B9600);
  if (::tcsetattr(slave, TCSANOW, &tio) != 0) {
    error = Reason("tcsetattr");
    return false;
  }
  return true;
}

PtyServer::PtyServer(ConverterConfig device, const FaultOptions& faults, int baud)
    : device_(std::move(device)), line_(device_, faults, baud) {}

PtyServer::~PtyServer() {
  ClosePty();
  for (int& fd : stopPipe_) {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
}

void PtyServer::ClosePty() {
  if (master_ >= 0) ::close(master_);
  if (slave_ >= 0) ::close(slave_);
  master_ = slave_ = -1;
}

bool PtyServer::Open(std::string& error) {
  if (::pipe(stopPipe_) != 0) {
    error = Reason("pipe");
    return false;
  }
  for (int fd : stopPipe_) {
    SetCloseOnExec(fd);
    SetFlags(fd, O_NONBLOCK);
  }
  if (!OpenRawPty(master_, slave_, slavePath_, error)) {
    ClosePty();
    return false;
  }
  // A client that stops reading must not stall the converter: what does
  // not fit the terminal's buffer is lost, like bytes from a UART nobody
  // listens to.
  SetFlags(master_, O_NONBLOCK);
  return true;
}

void PtyServer::Stop() {
  if (stopPipe_[1] >= 0) {
    const char c = 1;
    [[maybe_unused]] ssize_t n = ::write(stopPipe_[1], &c, 1);
  }
}

bool PtyServer::WriteChunk(const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return errno == EAGAIN || errno == EWOULDBLOCK;  // overrun: the rest is lost
    done += static_cast<std::size_t>(n);
  }
  return true;
}

int PtyServer::Run(const RunOptions& options) {
  std::vector<std::uint8_t> buffer(4096);
  std::vector<Chunk> due;
  for (;;) {
    const Clock::time_point now = Clock::now();
    line_.Advance(now);
    due.clear();
    line_.TakeArrived(now, due);
    if (master_ >= 0) {
      for (const Chunk& c : due) {
        if (!WriteChunk(c.bytes)) {
          std::fprintf(stderr, "korventa-sim: write to the terminal failed: %s\n", std::strerror(errno));
          return 1;
        }
      }
      if (line_.Vanished()) {
        std::fprintf(stderr, "korventa-sim: port vanished after %ld frames\n", device_.FramesReceived() - 1);
        ClosePty();
      }
    }

    std::vector<pollfd> fds(3);
    nfds_t count = 0;
    fds[count++] = {stopPipe_[0], POLLIN, 0};
    const int masterIndex = master_ >= 0 ? static_cast<int>(count) : -1;
    if (master_ >= 0) fds[count++] = {master_, POLLIN, 0};
    const int stdinIndex = options.stopOnStdinEof ? static_cast<int>(count) : -1;
    if (options.stopOnStdinEof) fds[count++] = {STDIN_FILENO, POLLIN, 0};

    timespec timeout{};
    timespec* timeoutPtr = nullptr;
    if (auto next = line_.NextEvent()) {
      const auto wait = std::max(Clock::duration::zero(), *next - Clock::now());
      const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(wait).count();
      timeout.tv_sec = static_cast<time_t>(ns / 1000000000);
      timeout.tv_nsec = static_cast<long>(ns % 1000000000);
      timeoutPtr = &timeout;
    }
    fds.resize(count);
    if (options.watch) options.watch(fds);
    const int ready = ::ppoll(fds.data(), fds.size(), timeoutPtr, options.waitMask);
    if (ready < 0) {
      if (errno == EINTR) {
        if (options.waitMask) return 0;  // one of the accepted signals
        continue;
      }
      std::fprintf(stderr, "korventa-sim: ppoll: %s\n", std::strerror(errno));
      return 1;
    }
    if (ready == 0) continue;
    if (fds[0].revents) return 0;
    if (options.serve && fds.size() > count) options.serve({fds.begin() + static_cast<long>(count), fds.end()});
    if (stdinIndex >= 0 && fds[stdinIndex].revents) {
      const ssize_t n = ::read(STDIN_FILENO, buffer.data(), buffer.size());
      if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN)) return 0;
    }
    if (masterIndex >= 0 && fds[masterIndex].revents) {
      const ssize_t n = ::read(master_, buffer.data(), buffer.size());
      if (n > 0) {
        line_.HostWrite({buffer.data(), static_cast<std::size_t>(n)}, Clock::now());
      } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
        std::fprintf(stderr, "korventa-sim: read from the terminal failed: %s\n", std::strerror(errno));
        return 1;
      }
    }
  }
}

}  // namespace korventa::sim
