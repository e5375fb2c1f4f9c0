// The built-in simulated converter as the desktop program reaches it: the
// in-process virtual converter on the real clock, waited for in a local
// event loop so the windows stay alive during a transaction, exactly as
// with the serial port. Every port name opens the same converter, which
// keeps its memory for the whole run.
#pragma once

#include <memory>
#include <vector>

#include "link/transport.h"
#include "sim/sim_transport.h"

namespace korventa::qt {

class SimEventTransport final : public Transport {
 public:
  explicit SimEventTransport(std::unique_ptr<sim::SimTransport> inner);

  void SetPort(const std::string& name) override { inner_->SetPort(name); }
  std::string Port() const override { return inner_->Port(); }
  bool Open(std::string& error) override;
  void Close() override;
  bool IsOpen() const override { return inner_->IsOpen(); }

  IoStatus Write(std::span<const std::uint8_t> bytes) override { return inner_->Write(bytes); }
  IoStatus ReadAll(std::vector<std::uint8_t>& out) override;
  void Discard() override;
  // Sleeps in a local event loop until the converter's next byte is due or
  // the deadline passes; never on a fixed interval.
  void Wait(Clock::time_point deadline, bool wakeOnBytes) override;

  sim::SimTransport& Inner() { return *inner_; }

 private:
  std::unique_ptr<sim::SimTransport> inner_;
  // Bytes collected while waiting, not yet handed to the link.
  std::vector<std::uint8_t> ricevuti_;
};

}  // namespace korventa::qt
