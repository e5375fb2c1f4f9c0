// The byte pipe to the device. Implementations: the QSerialPort transport
// (src/qt/link), the in-process virtual converter (src/sim) and scripted
// fakes in the tests.
//
// Waiting is event-driven: Wait() returns as soon as new bytes are waiting
// (when asked to) or when the deadline passes, and services the user
// interface meanwhile where there is one. Nothing in the link polls on a
// fixed interval.
#pragma once

#include <chrono>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace korventa {

using Clock = std::chrono::steady_clock;

enum class IoStatus {
  Ok,
  NotOpen,   // the port is closed
  Error,     // the port reported an error
  Vanished,  // the adapter went away (unplugged); the port must be reopened
};

class Transport {
 public:
  virtual ~Transport() = default;

  virtual void SetPort(const std::string& name) = 0;
  virtual std::string Port() const = 0;
  // Opens the port with the line settings it was made with (the device's
  // are 9600 8N1, no flow control). On failure returns false and puts the
  // reason in error.
  virtual bool Open(std::string& error) = 0;
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;

  virtual IoStatus Write(std::span<const std::uint8_t> bytes) = 0;
  // Appends every byte now waiting to out.
  virtual IoStatus ReadAll(std::vector<std::uint8_t>& out) = 0;
  // Discards every byte now waiting.
  virtual void Discard() = 0;

  // Returns when new bytes are waiting (if wakeOnBytes) or when deadline has
  // passed, whichever comes first. May return early for other reasons
  // (user-interface events); callers re-check their own condition.
  virtual void Wait(Clock::time_point deadline, bool wakeOnBytes) = 0;

  // The clock the link measures its time-outs and pauses with. Real
  // transports use the monotonic clock; simulated ones may run a virtual one.
  virtual Clock::time_point Now() const { return Clock::now(); }
};

}  // namespace korventa
