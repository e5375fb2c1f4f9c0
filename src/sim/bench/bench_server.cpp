#include "sim/bench/bench_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "sim/pty_server.h"

namespace korventa::sim {

namespace {

void NonBlocking(int fd) { ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK); }

}  // namespace

BenchServer::~BenchServer() {
  for (auto& [role, fds] : ptys_) {
    ::close(fds.first);
    ::close(fds.second);
  }
  for (auto& c : clients_) ::close(c.fd);
  if (listen_ >= 0) ::close(listen_);
  for (int fd : stopPipe_)
    if (fd >= 0) ::close(fd);
}

bool BenchServer::Open(int tcpPort, std::string& error) {
  if (::pipe2(stopPipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
    error = std::string("pipe: ") + std::strerror(errno);
    return false;
  }
  for (BenchRole role : {BenchRole::Supply, BenchRole::Switch, BenchRole::Mult, BenchRole::Mult1, BenchRole::Cal,
                         BenchRole::Generator}) {
    if (!bench_.Instrument(role)) continue;
    int master = -1, slave = -1;
    std::string path;
    if (!OpenRawPty(master, slave, path, error)) {
      if (master >= 0) ::close(master);
      if (slave >= 0) ::close(slave);
      return false;
    }
    NonBlocking(master);
    ptys_.push_back({role, {master, slave}});
    paths_[role] = path;
  }
  listen_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  const int yes = 1;
  ::setsockopt(listen_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(static_cast<std::uint16_t>(tcpPort));
  if (listen_ < 0 || ::bind(listen_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      ::listen(listen_, 4) != 0) {
    error = "cannot listen on 127.0.0.1:" + std::to_string(tcpPort) + ": " + std::strerror(errno);
    return false;
  }
  socklen_t len = sizeof addr;
  ::getsockname(listen_, reinterpret_cast<sockaddr*>(&addr), &len);
  tcpPort_ = ntohs(addr.sin_port);
  return true;
}

void BenchServer::Watch(std::vector<pollfd>& fds) {
  for (auto& [role, p] : ptys_) fds.push_back({p.first, POLLIN, 0});
  fds.push_back({listen_, POLLIN, 0});
  for (auto& c : clients_) fds.push_back({c.fd, POLLIN, 0});
}

void BenchServer::Answer(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;  // nobody reads: the answer is lost, as on a real line
    done += static_cast<std::size_t>(n);
  }
}

void BenchServer::Serve(const std::vector<pollfd>& ready) {
  std::size_t i = 0;
  char buf[1024];
  for (auto& [role, p] : ptys_) {
    const pollfd& f = ready[i++];
    if (!(f.revents & POLLIN)) continue;
    const ssize_t n = ::read(p.first, buf, sizeof buf);
    if (n > 0) bench_.Engage();
    if (n <= 0 || bench_.State().off.count(role)) continue;
    std::string reply;
    for (ssize_t k = 0; k < n; ++k) reply += bench_.Instrument(role)->Receive(static_cast<std::uint8_t>(buf[k]));
    Answer(p.first, reply);
  }
  const bool incoming = (ready[i++].revents & POLLIN) != 0;
  std::vector<Client> kept;
  for (auto& c : clients_) {
    const pollfd& f = ready[i++];
    if (f.revents & (POLLIN | POLLHUP | POLLERR)) {
      const ssize_t n = ::read(c.fd, buf, sizeof buf);
      if (n <= 0) {
        ::close(c.fd);
        continue;
      }
      bench_.Engage();
      if (!bench_.State().off.count(BenchRole::Generator)) {
        std::string reply;
        for (ssize_t k = 0; k < n; ++k) reply += bench_.Generator().Receive(static_cast<std::uint8_t>(buf[k]));
        Answer(c.fd, reply);
      }
    }
    kept.push_back(c);
  }
  clients_ = std::move(kept);
  if (incoming) {
    const int fd = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd >= 0) clients_.push_back({fd, {}});
  }
}

void BenchServer::Run() {
  for (;;) {
    std::vector<pollfd> fds{{stopPipe_[0], POLLIN, 0}};
    Watch(fds);
    if (::poll(fds.data(), fds.size(), -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[0].revents) return;
    Serve({fds.begin() + 1, fds.end()});
  }
}

void BenchServer::Stop() {
  const char c = 1;
  [[maybe_unused]] ssize_t n = ::write(stopPipe_[1], &c, 1);
}

}  // namespace korventa::sim
