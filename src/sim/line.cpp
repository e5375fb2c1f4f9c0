#include "sim/line.h"

#include <algorithm>

namespace korventa::sim {

SimLine::SimLine(VirtualConverter& device, const FaultOptions& faults, int baud)
    : device_(device), faults_(faults) {
  if (baud > 0)
    byteTime_ = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(10.0 / baud));
}

void SimLine::HostWrite(std::span<const std::uint8_t> bytes, Clock::time_point now) {
  Clock::time_point t = std::max(now, txFree_);
  for (std::uint8_t b : bytes) {
    t += byteTime_;
    toDevice_.emplace_back(t, b);
  }
  txFree_ = t;
}

void SimLine::Send(const std::vector<Emission>& emissions) {
  for (const Emission& e : emissions) {
    // A stream frame that would find the line still busy with earlier
    // frames a whole period from now is skipped: a device streaming faster
    // than its line overruns its own transmitter.
    if (e.stream && byteTime_ > Clock::duration::zero() &&
        rxFree_ > e.at + byteTime_ * static_cast<long>(e.bytes.size()))
      continue;
    for (Piece& p : faults_.Apply(e.bytes)) {
      Clock::time_point t = std::max(e.at, rxFree_) + p.delay;
      if (byteTime_ == Clock::duration::zero()) {
        toHost_.push_back({t, std::move(p.bytes)});
      } else {
        for (char c : p.bytes) {
          t += byteTime_;
          toHost_.push_back({t, std::string(1, c)});
        }
      }
      rxFree_ = t;
    }
  }
}

void SimLine::Advance(Clock::time_point now) {
  std::vector<Emission> out;
  for (;;) {
    const auto timer = device_.NextTimer();
    const bool byteDue = !toDevice_.empty() && toDevice_.front().first <= now &&
                         (!timer || toDevice_.front().first <= *timer);
    out.clear();
    if (byteDue) {
      auto [at, b] = toDevice_.front();
      toDevice_.pop_front();
      device_.Receive(b, at, out);
    } else if (timer && *timer <= now) {
      device_.Advance(*timer, out);
    } else {
      break;
    }
    if (!device_.Vanished()) Send(out);
  }
  if (device_.Vanished()) {
    toDevice_.clear();
    toHost_.clear();
  }
}

std::optional<Clock::time_point> SimLine::NextEvent() const {
  std::optional<Clock::time_point> next = device_.NextTimer();
  auto consider = [&next](Clock::time_point t) {
    if (!next || t < *next) next = t;
  };
  if (!toDevice_.empty()) consider(toDevice_.front().first);
  if (!toHost_.empty()) consider(toHost_.front().at);
  return next;
}

void SimLine::TakeArrived(Clock::time_point now, std::vector<Chunk>& out) {
  while (!toHost_.empty() && toHost_.front().at <= now) {
    out.push_back(std::move(toHost_.front()));
    toHost_.pop_front();
  }
}

void SimLine::Reset(Clock::time_point now) {
  toDevice_.clear();
  toHost_.clear();
  txFree_ = std::max(txFree_, now);
  rxFree_ = std::max(rxFree_, now);
}

}  // namespace korventa::sim
