#include "qt/app/sim_event_transport.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QEventLoop>
#include <QtCore/QTimer>

namespace korventa::qt {

namespace {

// Runs the user interface until `until`.
void Attendi(Clock::time_point until) {
  const auto ms = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now()).count();
  if (ms <= 0) return;
  QEventLoop loop;
  QTimer timer;
  timer.setSingleShot(true);
  timer.setTimerType(Qt::PreciseTimer);
  QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
  timer.start(static_cast<int>(std::min<long long>(ms, 1 << 30)));
  loop.exec();
}

}  // namespace

SimEventTransport::SimEventTransport(std::unique_ptr<sim::SimTransport> inner) : inner_(std::move(inner)) {}

bool SimEventTransport::Open(std::string& error) {
  ricevuti_.clear();
  return inner_->Open(error);
}

void SimEventTransport::Close() {
  ricevuti_.clear();
  inner_->Close();
}

IoStatus SimEventTransport::ReadAll(std::vector<std::uint8_t>& out) {
  out.insert(out.end(), ricevuti_.begin(), ricevuti_.end());
  ricevuti_.clear();
  return inner_->ReadAll(out);
}

void SimEventTransport::Discard() {
  ricevuti_.clear();
  inner_->Discard();
}

void SimEventTransport::Wait(Clock::time_point deadline, bool wakeOnBytes) {
  // Without an application there is no event loop to run: the converter's
  // own wait sleeps instead.
  if (QCoreApplication::instance() == nullptr) {
    inner_->Wait(deadline, wakeOnBytes);
    return;
  }
  for (;;) {
    if (inner_->ReadAll(ricevuti_) != IoStatus::Ok) return;  // the next read reports it
    if (wakeOnBytes && !ricevuti_.empty()) return;
    const Clock::time_point now = Clock::now();
    if (now >= deadline) return;
    Clock::time_point until = deadline;
    if (auto next = inner_->Line().NextEvent(); next && *next > now && *next < until) until = *next;
    Attendi(until);
  }
}

}  // namespace korventa::qt
