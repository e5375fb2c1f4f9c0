// A transport on a virtual clock whose device is a test's own script: each
// frame written is recorded and handed to a responder, which schedules reply
// bytes at chosen times. Waiting moves the virtual clock, so one-second
// time-outs and pauses cost no real time.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "link/transport.h"

namespace korventa::test {

class ScriptedTransport : public Transport {
 public:
  using Responder = std::function<void(ScriptedTransport&, const std::string& frame)>;

  Responder responder;
  std::vector<std::string> written;  // every frame written, in order
  bool open = true;
  bool failWrites = false;           // Write reports a port error
  IoStatus readStatus = IoStatus::Ok;  // what ReadAll reports

  // Schedules bytes to arrive `after` seconds from now.
  void Deliver(const std::string& bytes, double after = 0.0);
  // Frames written that start with prefix.
  int Count(const std::string& prefix) const;
  double ElapsedSeconds() const;

  void SetPort(const std::string& name) override { port_ = name; }
  std::string Port() const override { return port_; }
  bool Open(std::string&) override {
    open = true;
    return true;
  }
  void Close() override { open = false; }
  bool IsOpen() const override { return open; }
  IoStatus Write(std::span<const std::uint8_t> bytes) override;
  IoStatus ReadAll(std::vector<std::uint8_t>& out) override;
  void Discard() override;
  void Wait(Clock::time_point deadline, bool wakeOnBytes) override;
  Clock::time_point Now() const override { return now_; }

 private:
  void Arrive();
  std::string port_;
  Clock::time_point start_{};
  Clock::time_point now_{};
  std::multimap<Clock::time_point, std::string> pending_;
  std::string rx_;
};

// "*" + bytes + CR LF, as the device frames a reply.
std::string Reply(const std::string& body);

}  // namespace korventa::test
