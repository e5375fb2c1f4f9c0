#include "link/port_factory.h"

namespace korventa {

std::string DescribeLine(const LineSettings& line) {
  std::string text = std::to_string(line.baud) + " baud, " + std::to_string(line.dataBits) + " data bits, ";
  switch (line.parity) {
    case Parity::None: text += "no parity"; break;
    case Parity::Even: text += "even parity"; break;
    case Parity::Odd: text += "odd parity"; break;
  }
  text += line.stopBits == StopBits::One ? ", 1 stop bit" : ", 2 stop bits";
  if (line.flow == FlowControl::Hardware) text += ", hardware flow control";
  if (line.flow == FlowControl::Software) text += ", software flow control";
  return text;
}

}  // namespace korventa
