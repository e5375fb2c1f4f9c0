#include "sim/sim_transport.h"

#include <algorithm>
#include <thread>

namespace korventa::sim {

namespace {
// What the receive side holds for a client that does not read: beyond it
// new bytes are lost, as in an overrun receive buffer.
constexpr std::size_t kReceiveBuffer = 65536;
}  // namespace

SimTransport::SimTransport(ConverterConfig device, const FaultOptions& faults, int baud, ClockMode clock)
    : device_(std::move(device)), line_(device_, faults, baud), clock_(clock) {
  start_ = clock_ == ClockMode::RealTime ? Clock::now() : Clock::time_point{};
  virtualNow_ = start_;
}

Clock::time_point SimTransport::Now() const {
  return clock_ == ClockMode::RealTime ? Clock::now() : virtualNow_;
}

double SimTransport::ElapsedSeconds() const { return std::chrono::duration<double>(Now() - start_).count(); }

bool SimTransport::Open(std::string& /*error*/) {
  if (open_ && !device_.Vanished()) return true;
  Pump();
  line_.Reset(Now());
  device_.Reappear();
  rx_.clear();
  open_ = true;
  return true;
}

void SimTransport::Close() {
  Pump();
  line_.Reset(Now());
  rx_.clear();
  open_ = false;
}

// Lets the line catch up with the clock and collects what has arrived.
void SimTransport::Pump() {
  const Clock::time_point now = Now();
  line_.Advance(now);
  std::vector<Chunk> arrived;
  line_.TakeArrived(now, arrived);
  if (!open_ || device_.Vanished()) return;  // nobody listens: the bytes are lost
  for (const Chunk& c : arrived) {
    const std::size_t room = kReceiveBuffer - std::min(kReceiveBuffer, rx_.size());
    const auto kept = std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(c.bytes.data()),
                                                    std::min(room, c.bytes.size()));
    rx_.insert(rx_.end(), kept.begin(), kept.end());
    Trace('<', kept);
  }
}

bool SimTransport::TraceTo(const std::string& path) {
  trace_.open(path, std::ios::binary | std::ios::trunc);
  return trace_.is_open();
}

void SimTransport::Trace(char direction, std::span<const std::uint8_t> bytes) {
  if (!trace_.is_open() || bytes.empty()) return;
  static constexpr char kHex[] = "0123456789abcdef";
  if (direction != traceDirection_) {
    if (traceDirection_ != 0) trace_ << '\n';
    trace_ << direction;
    traceDirection_ = direction;
  }
  for (std::uint8_t b : bytes) trace_ << ' ' << kHex[b >> 4] << kHex[b & 15];
  trace_.flush();
}

IoStatus SimTransport::PortStatus() const {
  if (!open_) return IoStatus::NotOpen;
  if (device_.Vanished()) return IoStatus::Vanished;
  return IoStatus::Ok;
}

IoStatus SimTransport::Write(std::span<const std::uint8_t> bytes) {
  Pump();
  if (IoStatus st = PortStatus(); st != IoStatus::Ok) return st;
  written_.emplace_back(bytes.begin(), bytes.end());
  Trace('>', bytes);
  line_.HostWrite(bytes, Now());
  Pump();
  return PortStatus();
}

IoStatus SimTransport::ReadAll(std::vector<std::uint8_t>& out) {
  Pump();
  if (IoStatus st = PortStatus(); st != IoStatus::Ok) return st;
  out.insert(out.end(), rx_.begin(), rx_.end());
  rx_.clear();
  return IoStatus::Ok;
}

void SimTransport::Discard() {
  Pump();
  rx_.clear();
}

void SimTransport::Wait(Clock::time_point deadline, bool wakeOnBytes) {
  for (;;) {
    Pump();
    if (wakeOnBytes && !rx_.empty()) return;
    if (device_.Vanished() && open_) return;  // the caller's next read reports it
    const Clock::time_point now = Now();
    if (now >= deadline) return;
    Clock::time_point until = deadline;
    if (auto next = line_.NextEvent(); next && *next > now && *next < until) until = *next;
    if (clock_ == ClockMode::Virtual) virtualNow_ = until;
    else std::this_thread::sleep_until(until);
  }
}

}  // namespace korventa::sim
