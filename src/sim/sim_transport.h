// The virtual converter as an in-process port: a Transport the link can use
// without hardware.
//
// Virtual clock (tests): Now() is virtual and Wait() jumps it straight to
// the next byte the line delivers or to the deadline, so one-second
// time-outs and pauses cost no real time. Real time: Now() is the monotonic
// clock and Wait() sleeps exactly until the next scheduled byte or the
// deadline.
#pragma once

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "link/transport.h"
#include "sim/faults.h"
#include "sim/line.h"
#include "sim/virtual_converter.h"

namespace korventa::sim {

enum class ClockMode { Virtual, RealTime };

class SimTransport : public Transport {
 public:
  SimTransport(ConverterConfig device, const FaultOptions& faults, int baud, ClockMode clock);

  void SetPort(const std::string& name) override { port_ = name; }
  std::string Port() const override { return port_; }
  // Always succeeds; reopening after the port vanished brings it back.
  bool Open(std::string& error) override;
  // Drops whatever is in flight; the converter keeps running.
  void Close() override;
  bool IsOpen() const override { return open_; }

  IoStatus Write(std::span<const std::uint8_t> bytes) override;
  IoStatus ReadAll(std::vector<std::uint8_t>& out) override;
  void Discard() override;
  void Wait(Clock::time_point deadline, bool wakeOnBytes) override;
  Clock::time_point Now() const override;

  VirtualConverter& Converter() { return device_; }
  SimLine& Line() { return line_; }
  ClockMode Mode() const { return clock_; }
  // Time since the transport was made, on its own clock.
  double ElapsedSeconds() const;
  // Bytes written by the client, one entry per Write.
  const std::vector<std::string>& Written() const { return written_; }
  // Records every byte on the line from now on: one line per run of bytes
  // in one direction, "> " for what the client sent, "< " for what reached
  // it, each byte as two hexadecimal digits. Timing is left out, so two
  // programs that say the same things in the same order leave the same
  // trace. False when the file cannot be opened.
  bool TraceTo(const std::string& path);

 private:
  void Pump();
  IoStatus PortStatus() const;
  void Trace(char direction, std::span<const std::uint8_t> bytes);

  VirtualConverter device_;
  SimLine line_;
  ClockMode clock_;
  std::string port_ = "SIM";
  bool open_ = false;
  Clock::time_point start_;
  Clock::time_point virtualNow_;
  std::vector<std::uint8_t> rx_;
  std::vector<std::string> written_;
  std::ofstream trace_;
  char traceDirection_ = 0;
};

}  // namespace korventa::sim
