#include "support/scripted_transport.h"

#include <chrono>

namespace korventa::test {

void ScriptedTransport::Deliver(const std::string& bytes, double after) {
  auto at = now_ + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(after));
  pending_.emplace(at, bytes);
}

int ScriptedTransport::Count(const std::string& prefix) const {
  int n = 0;
  for (const auto& w : written)
    if (w.compare(0, prefix.size(), prefix) == 0) ++n;
  return n;
}

double ScriptedTransport::ElapsedSeconds() const {
  return std::chrono::duration<double>(now_ - start_).count();
}

IoStatus ScriptedTransport::Write(std::span<const std::uint8_t> bytes) {
  if (!open) return IoStatus::NotOpen;
  if (failWrites) return IoStatus::Error;
  std::string frame(bytes.begin(), bytes.end());
  written.push_back(frame);
  if (responder) responder(*this, frame);
  return IoStatus::Ok;
}

void ScriptedTransport::Arrive() {
  while (!pending_.empty() && pending_.begin()->first <= now_) {
    rx_ += pending_.begin()->second;
    pending_.erase(pending_.begin());
  }
}

IoStatus ScriptedTransport::ReadAll(std::vector<std::uint8_t>& out) {
  if (!open) return IoStatus::NotOpen;
  if (readStatus != IoStatus::Ok) return readStatus;
  Arrive();
  out.insert(out.end(), rx_.begin(), rx_.end());
  rx_.clear();
  return IoStatus::Ok;
}

void ScriptedTransport::Discard() {
  Arrive();
  rx_.clear();
}

void ScriptedTransport::Wait(Clock::time_point deadline, bool wakeOnBytes) {
  Arrive();
  if (wakeOnBytes && !rx_.empty()) return;
  if (wakeOnBytes && !pending_.empty() && pending_.begin()->first <= deadline) {
    now_ = std::max(now_, pending_.begin()->first);
  } else {
    now_ = std::max(now_, deadline);
  }
  Arrive();
}

std::string Reply(const std::string& body) { return "*" + body + "\r\n"; }

}  // namespace korventa::test
