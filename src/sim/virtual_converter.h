// The virtual converter: the device end of the serial protocol. It takes
// the bytes the host sends, one at a time with the moment each one finished
// arriving, and produces the bytes it answers with, stamped with the moment
// it starts sending them. It knows nothing of line speed, faults or ports:
// SimLine puts it on a (paced, faulty) line, SimTransport and PtyServer
// connect that line to a client.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "link/transport.h"
#include "sim/identity.h"
#include "sim/measure.h"
#include "sim/memory_image.h"

namespace korventa::sim {

struct ConverterConfig {
  DeviceIdentity identity;
  // Initial configuration memory (bank 0); the model's factory image when
  // empty.
  std::optional<MemoryBank> memory;
  // When set, every change written to bank 0 is saved to this file.
  std::string memoryFile;
  // The switch banks. Short-reply models answer only the first two.
  std::array<std::uint8_t, 4> dip{};
  // "A" frames per second while streaming.
  double frameRate = 10.0;
  // A frame left incomplete this long is abandoned: its bytes are searched
  // for complete frames and the rest is dropped, as the firmware's receive
  // timer does.
  Clock::duration interByteTimeout = std::chrono::milliseconds(100);
  // Device faults counted in frames received: after this many frames the
  // device answers nothing more and stops streaming (0: silent from the
  // start).
  std::optional<long> silentAfter;
  // After this many frames the port disappears (once): the frame that
  // follows is lost and Vanished() turns true until Reappear().
  std::optional<long> vanishAfter;
  // The physics behind the "A" frames; the default sweep when null.
  std::shared_ptr<MeasureModel> model;
  // Where the converter reports trouble of its own (a memory file it cannot
  // save). May be empty.
  std::function<void(const std::string&)> log;
};

// Bytes the converter sends, starting at `at`.
struct Emission {
  Clock::time_point at;
  std::string bytes;
  bool stream = false;  // a streamed "A" frame rather than a reply
};

class VirtualConverter {
 public:
  explicit VirtualConverter(ConverterConfig config);

  // One byte from the host, complete at `at`. Replies go to out.
  void Receive(std::uint8_t byte, Clock::time_point at, std::vector<Emission>& out);
  // Runs the converter's own timers (streaming, receive time-out) up to now.
  void Advance(Clock::time_point now, std::vector<Emission>& out);
  // When the converter next does something by itself, if ever.
  std::optional<Clock::time_point> NextTimer() const;

  const DeviceIdentity& Identity() const { return config_.identity; }
  bool InProgramMode() const { return program_; }
  bool Streaming() const { return streaming_ && !silent_; }
  // Bank 0 is the configuration memory; the other banks are separate
  // 256-byte areas that read 0xFF until written.
  MemoryBank& Bank(int bank);
  const std::array<std::uint8_t, 4>& Dip() const { return config_.dip; }
  void SetDip(const std::array<std::uint8_t, 4>& dip) { config_.dip = dip; }
  // Raw outputs forced by "$I" (A) and "$i" (B) until program mode ends.
  const std::array<std::optional<int>, 2>& Forced() const { return forced_; }

  // Frames recognised so far, and the most recent ones (oldest first).
  long FramesReceived() const { return framesReceived_; }
  const std::deque<std::string>& RecentFrames() const { return recent_; }
  bool Silent() const { return silent_; }
  bool Vanished() const { return vanished_; }
  // The port is back (reopened after it vanished).
  void Reappear() { vanished_ = false; }
  // The adapter is pulled out now, whatever the device is doing.
  void Vanish() {
    vanished_ = true;
    vanishedOnce_ = true;
  }
  // Why the last save of the memory file failed; empty when it did not.
  const std::string& LastPersistError() const { return persistError_; }

 private:
  enum class Parse { Complete, NeedMore, Invalid };
  static Parse TryParse(const std::string& buffer, std::size_t& length);
  void Drain(Clock::time_point at, bool stale, std::vector<Emission>& out);
  void Handle(const std::string& frame, Clock::time_point at, std::vector<Emission>& out);
  void Write(int bank, int address, std::uint8_t data);
  std::string Samples(std::uint8_t code) const;
  std::string StreamFrame(Clock::time_point at);
  double SecondsSinceStart(Clock::time_point at);

  ConverterConfig config_;
  MemoryBank bank0_;
  std::map<int, MemoryBank> banks_;
  std::shared_ptr<MeasureModel> model_;

  std::string rx_;
  Clock::time_point lastByteAt_{};
  std::optional<Clock::time_point> origin_;
  bool program_ = false;
  bool streaming_ = false;
  Clock::time_point nextFrame_{};
  Clock::duration period_;
  std::array<std::optional<int>, 2> forced_;
  long framesReceived_ = 0;
  std::deque<std::string> recent_;
  bool silent_ = false;
  bool vanished_ = false;
  bool vanishedOnce_ = false;
  std::string persistError_;
};

}  // namespace korventa::sim
