// The serial line between a client and the virtual converter: pacing at a
// baud rate (each byte takes ten bit times, in both directions, one after
// another) and the per-emission faults. Time is whatever the caller says it
// is, so the same line runs on a virtual clock in tests and on the real
// clock behind a pseudo-terminal.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "link/transport.h"
#include "sim/faults.h"
#include "sim/virtual_converter.h"

namespace korventa::sim {

// Bytes that reach the host together, at `at`.
struct Chunk {
  Clock::time_point at;
  std::string bytes;
};

class SimLine {
 public:
  // baud 0: unpaced (every byte arrives at once).
  SimLine(VirtualConverter& device, const FaultOptions& faults, int baud);

  // The host writes bytes at `now`; they reach the converter one after
  // another at the line rate, behind what is still being sent.
  void HostWrite(std::span<const std::uint8_t> bytes, Clock::time_point now);
  // Runs everything due up to now, in time order.
  void Advance(Clock::time_point now);
  // The next moment something happens on the line or in the converter.
  std::optional<Clock::time_point> NextEvent() const;
  // Moves the chunks that have reached the host by now (Advance first).
  void TakeArrived(Clock::time_point now, std::vector<Chunk>& out);
  // Forgets everything in flight in both directions (the port was closed).
  void Reset(Clock::time_point now);

  // Time one byte takes on the line; zero when unpaced.
  Clock::duration ByteTime() const { return byteTime_; }
  bool Vanished() const { return device_.Vanished(); }
  VirtualConverter& Device() { return device_; }

 private:
  void Send(const std::vector<Emission>& emissions);

  VirtualConverter& device_;
  FaultInjector faults_;
  Clock::duration byteTime_{};
  std::deque<std::pair<Clock::time_point, std::uint8_t>> toDevice_;
  Clock::time_point txFree_{};  // host -> device line busy until
  std::deque<Chunk> toHost_;
  Clock::time_point rxFree_{};  // device -> host line busy until
};

}  // namespace korventa::sim
