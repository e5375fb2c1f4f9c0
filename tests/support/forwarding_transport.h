// A transport that hands everything to another one: tests derive from it
// and override only what they tamper with (a frame lost, a signal raised).
#pragma once

#include <memory>
#include <utility>

#include "link/transport.h"

namespace korventa::test {

class ForwardingTransport : public Transport {
 public:
  explicit ForwardingTransport(std::unique_ptr<Transport> inner) : inner_(std::move(inner)) {}
  void SetPort(const std::string& name) override { inner_->SetPort(name); }
  std::string Port() const override { return inner_->Port(); }
  bool Open(std::string& error) override { return inner_->Open(error); }
  void Close() override { inner_->Close(); }
  bool IsOpen() const override { return inner_->IsOpen(); }
  IoStatus Write(std::span<const std::uint8_t> bytes) override { return inner_->Write(bytes); }
  IoStatus ReadAll(std::vector<std::uint8_t>& out) override { return inner_->ReadAll(out); }
  void Discard() override { inner_->Discard(); }
  void Wait(Clock::time_point deadline, bool wakeOnBytes) override { inner_->Wait(deadline, wakeOnBytes); }
  Clock::time_point Now() const override { return inner_->Now(); }

 private:
  std::unique_ptr<Transport> inner_;
};

}  // namespace korventa::test
