// The USB/LAN instrument channel: a resource is opened, a command goes out
// whole, a read returns the instrument's reply text, the time-out is in
// milliseconds. Implementations: the kernel's USBTMC character devices and
// SCPI over a TCP socket (src/qt/link), the simulated bench (src/sim/bench)
// and fakes in the tests.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "link/transport.h"

namespace korventa {

class InstrumentIo {
 public:
  virtual ~InstrumentIo() = default;
  // On failure returns false with the reason in error.
  virtual bool Open(std::string& error) = 0;
  virtual void Close() = 0;
  // Sends one command (the channel adds the line end the medium needs).
  virtual bool WriteString(const std::string& command, std::string& error) = 0;
  // One reply line without its line end; nullopt (and the reason) when none
  // came within the time-out.
  virtual std::optional<std::string> ReadString(std::string& error) = 0;
  // Clears the instrument's interface (drops replies not yet read).
  virtual void Clear() = 0;
  virtual void SetTimeout(int milliseconds) = 0;
  // Waits until the deadline while keeping the user interface responsive.
  virtual void Wait(Clock::time_point deadline) = 0;
  virtual Clock::time_point Now() const { return Clock::now(); }
};

// "TCPIP0::host::5025::SOCKET" (also "TCPIP::host::port::SOCKET"): the host
// and port of a raw SCPI socket; nullopt for any other text.
struct RisorsaTcp {
  std::string host;
  int port = 0;
};
std::optional<RisorsaTcp> RisorsaSocket(const std::string& resource);

class InstrumentIoFactory {
 public:
  virtual ~InstrumentIoFactory() = default;
  // A channel to the resource ("/dev/usbtmc0", "TCPIP0::host::5025::SOCKET"),
  // not opened yet; null with the reason when the resource string is not
  // one this program can reach.
  virtual std::unique_ptr<InstrumentIo> Make(const std::string& resource, std::string& error) = 0;
};

}  // namespace korventa
