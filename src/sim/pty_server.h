// The virtual converter behind a pseudo-terminal, so that any program that
// opens a serial port (the desktop program included) can talk to it.
#pragma once

#include <poll.h>
#include <signal.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "sim/line.h"
#include "sim/options.h"
#include "sim/virtual_converter.h"

namespace korventa::sim {

// Creates a pseudo-terminal in raw mode (no CR translation, no echo, 8 data
// bits) and a descriptor of its slave side, kept open so that the master
// never sees a hang-up when a client closes and reopens the port. On failure
// the caller closes whichever descriptor is not -1.
bool OpenRawPty(int& master, int& slave, std::string& path, std::string& error);

class PtyServer {
 public:
  PtyServer(ConverterConfig device, const FaultOptions& faults, int baud);
  ~PtyServer();
  PtyServer(const PtyServer&) = delete;
  PtyServer& operator=(const PtyServer&) = delete;

  // Creates the pseudo-terminal in raw mode (no CR translation, no echo)
  // and keeps a descriptor of its slave side open, so the master never sees
  // a hang-up when the client closes and reopens the port.
  bool Open(std::string& error);
  // The path the client opens, e.g. /dev/pts/4.
  const std::string& SlavePath() const { return slavePath_; }

  struct RunOptions {
    bool stopOnStdinEof = false;
    // Signals to accept while waiting (they are expected to be blocked
    // otherwise and to have a handler): any of them ends Run. May be null.
    const sigset_t* waitMask = nullptr;
    // Other descriptors served by the same loop (the simulated bench
    // instruments): watch adds them before each wait, serve handles what
    // the wait found (the entries watch added, in its order).
    std::function<void(std::vector<pollfd>&)> watch;
    std::function<void(const std::vector<pollfd>&)> serve;
  };
  // Serves the client until Stop(), an accepted signal or (when asked) the
  // end of standard input. Returns 0, or 1 after an unexpected error.
  int Run(const RunOptions& options);
  // Ends Run from another thread; safe in a signal handler.
  void Stop();

  VirtualConverter& Converter() { return device_; }

 private:
  bool WriteChunk(const std::string& bytes);
  void ClosePty();

  VirtualConverter device_;
  SimLine line_;
  int master_ = -1;
  int slave_ = -1;
  int stopPipe_[2] = {-1, -1};
  std::string slavePath_;
};

}  // namespace korventa::sim
