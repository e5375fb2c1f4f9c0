// A bare pseudo-terminal whose slave side the serial transport opens. Like a
// device on the other end of a cable, the caller writes and reads the master
// side, and hangs it up to play a device that goes away.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <string>

namespace korventa::test {

class PtyPair {
 public:
  PtyPair() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return;
    char name[128];
    if (::ptsname_r(master_, name, sizeof name) != 0) return;
    path_ = name;
    // Held open so the terminal settings can be inspected; the transport's
    // exclusive open comes later and is not disturbed by it.
    slave_ = ::open(name, O_RDWR | O_NOCTTY);
  }
  ~PtyPair() {
    CloseMaster();
    if (slave_ >= 0) ::close(slave_);
  }
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  bool Ok() const { return master_ >= 0 && slave_ >= 0; }
  const std::string& Path() const { return path_; }
  int Slave() const { return slave_; }

  bool Send(const std::string& bytes) const {
    return ::write(master_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  }
  // Everything the transport wrote, waiting up to a second for `count` bytes.
  std::string Receive(std::size_t count) const {
    using namespace std::chrono;
    std::string got;
    const auto deadline = steady_clock::now() + seconds(1);
    while (got.size() < count) {
      const int left = static_cast<int>(duration_cast<milliseconds>(deadline - steady_clock::now()).count());
      pollfd p{master_, POLLIN, 0};
      if (left <= 0 || ::poll(&p, 1, left) <= 0) break;
      char buf[64];
      const ssize_t n = ::read(master_, buf, sizeof buf);
      if (n > 0) got.append(buf, static_cast<std::size_t>(n));
    }
    return got;
  }
  // The device side goes away: the slave side is hung up.
  void CloseMaster() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
  }

 private:
  int master_ = -1;
  int slave_ = -1;
  std::string path_;
};

}  // namespace korventa::test
