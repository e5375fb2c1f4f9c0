// The USB/LAN instrument channel over what Linux offers without any vendor
// library: the kernel's USBTMC character devices (/dev/usbtmcN) and SCPI
// over a raw TCP socket ("TCPIP0::host::5025::SOCKET", through Qt Network).
// Waits follow the same rule as the serial transport: a local event loop in
// the desktop program, a blocking wait in the command-line program.
#pragma once

#include <memory>
#include <string>

#include "instruments/instrument_io.h"
#include "qt/link/serial_transport.h"

namespace korventa::qt {

// Waits until the deadline: in a local event loop (EventLoop mode with an
// application object) or by sleeping.
void WaitUntil(Clock::time_point deadline, WaitMode mode);

class InstrumentChannelFactory final : public InstrumentIoFactory {
 public:
  explicit InstrumentChannelFactory(WaitMode mode) : mode_(mode) {}
  // A TCPIP...::SOCKET resource is a socket; a path (/dev/usbtmc0) a USBTMC
  // device.
  std::unique_ptr<InstrumentIo> Make(const std::string& resource, std::string& error) override;

 private:
  WaitMode mode_;
};

}  // namespace korventa::qt
