// Line settings of a serial port and the factory that makes ports by name.
//
// The converter talks 9600 baud, 8 data bits, no parity, 1 stop bit; the
// bench instruments each have their own speed (the power supply 2400 baud).
// Whoever needs a port asks the factory for one by the name the user chose
// ("COM3", "/dev/ttyUSB2" ...) and its line settings; the device link is one
// such user, the instrument layer another.
#pragma once

#include <memory>
#include <string>

#include "link/transport.h"

namespace korventa {

enum class Parity { None, Even, Odd };
enum class StopBits { One, Two };
enum class FlowControl { None, Hardware, Software };

struct LineSettings {
  int baud = 9600;
  int dataBits = 8;
  Parity parity = Parity::None;
  StopBits stopBits = StopBits::One;
  FlowControl flow = FlowControl::None;

  friend bool operator==(const LineSettings&, const LineSettings&) = default;
};

// The converter's line.
inline constexpr LineSettings kDeviceLine{};

// "9600 baud, 8 data bits, no parity, 1 stop bit" (and the flow control
// when there is one), for messages.
std::string DescribeLine(const LineSettings& line);

class PortFactory {
 public:
  virtual ~PortFactory() = default;
  // A port with that name and those line settings, not opened yet. Ports
  // are independent: any number may be open at once.
  virtual std::unique_ptr<Transport> MakePort(const std::string& name, const LineSettings& line) = 0;
};

}  // namespace korventa
