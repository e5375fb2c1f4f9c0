// The simulated bench instruments on pseudo-terminals, one each, and the
// function generator also on a TCP port on 127.0.0.1 (SCPI over a raw
// socket, one command per line).
#pragma once

#include <poll.h>

#include <map>
#include <string>
#include <vector>

#include "sim/bench/bench.h"

namespace korventa::sim {

class BenchServer {
 public:
  explicit BenchServer(VirtualBench& bench) : bench_(bench) {}
  ~BenchServer();
  BenchServer(const BenchServer&) = delete;
  BenchServer& operator=(const BenchServer&) = delete;

  // Creates the terminals and the listening socket (tcpPort 0: any free
  // port).
  bool Open(int tcpPort, std::string& error);
  // The terminal path of each instrument, in role order.
  const std::map<BenchRole, std::string>& Paths() const { return paths_; }
  int TcpPort() const { return tcpPort_; }

  // For a loop that serves other descriptors too (PtyServer::RunOptions).
  void Watch(std::vector<pollfd>& fds);
  void Serve(const std::vector<pollfd>& ready);
  // Serves on its own until Stop() (safe from another thread).
  void Run();
  void Stop();

 private:
  struct Client {
    int fd;
    std::string line;
  };
  void Answer(int fd, const std::string& bytes);

  VirtualBench& bench_;
  std::map<BenchRole, std::string> paths_;
  std::vector<std::pair<BenchRole, std::pair<int, int>>> ptys_;  // role, (master, slave)
  int listen_ = -1;
  int tcpPort_ = 0;
  std::vector<Client> clients_;
  int stopPipe_[2] = {-1, -1};
};

}  // namespace korventa::sim
