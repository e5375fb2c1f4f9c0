// The byte pipe to a real converter: a serial port through QSerialPort.
//
// The line settings are given when the transport is made: the converters
// know only 9600 baud, 8 data bits, no parity, 1 stop bit and no flow
// control (the default); bench instruments have their own.
//
// Waiting never polls on an interval. The desktop program waits in a local
// event loop, so its windows repaint and stay usable while a transaction
// runs; the command-line program, which has no event loop to run, blocks in
// the operating system until bytes arrive or the deadline passes. Either way
// a reply is seen within about a millisecond of its last byte.
#pragma once

#include <memory>
#include <string>

#include <QtCore/qglobal.h>

#include "link/port_factory.h"
#include "link/transport.h"

QT_FORWARD_DECLARE_CLASS(QSerialPort)

namespace korventa::qt {

// Like every QSerialPort user, the transport wants a QCoreApplication (or
// QApplication) to exist, also in Blocking mode: without one QSerialPort's
// socket notifiers print warnings, although blocking waits do not need them.
enum class WaitMode {
  // Wait() runs a local QEventLoop, woken by arriving bytes or by a timer at
  // the deadline. Needs a QCoreApplication (or QApplication); without one it
  // falls back to Blocking.
  EventLoop,
  // Wait() blocks the thread in the operating system until bytes arrive or
  // the deadline passes; a pause that ignores bytes simply sleeps.
  Blocking,
};

// The name QSerialPort is given for a port name the user chose. "COM1" to
// "COM16" (the entries of the port selector, any letter case) are the first
// sixteen serial ports of the machine: /dev/ttyS0 to /dev/ttyS15 on Linux,
// COM1 to COM16 on Windows, unchanged elsewhere. Every other name, such as
// /dev/ttyUSB0, /dev/pts/7 or COM17, is used as it is.
std::string SystemPortName(const std::string& name);

class SerialTransport final : public Transport {
 public:
  explicit SerialTransport(WaitMode mode, const LineSettings& line = kDeviceLine);
  ~SerialTransport() override;
  SerialTransport(const SerialTransport&) = delete;
  SerialTransport& operator=(const SerialTransport&) = delete;

  WaitMode Mode() const { return mode_; }
  const LineSettings& Line() const { return line_; }

  void SetPort(const std::string& name) override;
  std::string Port() const override { return name_; }
  bool Open(std::string& error) override;
  void Close() override;
  bool IsOpen() const override;

  IoStatus Write(std::span<const std::uint8_t> bytes) override;
  IoStatus ReadAll(std::vector<std::uint8_t>& out) override;
  void Discard() override;
  void Wait(Clock::time_point deadline, bool wakeOnBytes) override;

 private:
  void Abandon();
  IoStatus Usable();
  IoStatus Fetch();
  IoStatus TakeError();
  bool HungUp() const;
  void WaitInEventLoop(Clock::time_point deadline, bool wakeOnBytes);
  void WaitBlocking(Clock::time_point deadline, bool wakeOnBytes);

  WaitMode mode_;
  LineSettings line_;
  std::string name_;
  std::unique_ptr<QSerialPort> port_;
  // Set once the port has gone away. The handle is released at once (a
  // hung-up terminal would keep an event loop busy), but the port counts as
  // open, and every operation reports Vanished, until its owner closes it.
  bool vanished_ = false;
};

// Serial ports by name with their own line settings, all waiting the same
// way. The device link gets its port here, as do the bench instruments.
class SerialPortFactory final : public PortFactory {
 public:
  explicit SerialPortFactory(WaitMode mode) : mode_(mode) {}
  std::unique_ptr<Transport> MakePort(const std::string& name, const LineSettings& line) override;

 private:
  WaitMode mode_;
};

}  // namespace korventa::qt
