#include "sim/virtual_converter.h"

#include <algorithm>

#include "link/codecs.h"
#include "sim/sample_tables.h"

namespace korventa::sim {

namespace {

constexpr char kCR = 13;
constexpr char kLF = 10;
constexpr std::size_t kRecentFrames = 256;

std::uint8_t At(const std::string& s, std::size_t i) { return static_cast<std::uint8_t>(s[i]); }

std::string Reply(std::initializer_list<std::uint8_t> body) {
  std::string r(1, '*');
  for (std::uint8_t b : body) r += static_cast<char>(b);
  r += kCR;
  r += kLF;
  return r;
}

}  // namespace

VirtualConverter::VirtualConverter(ConverterConfig config)
    : config_(std::move(config)),
      bank0_(config_.memory ? *config_.memory : DefaultMemoryImage(config_.identity)),
      model_(config_.model ? config_.model : std::shared_ptr<MeasureModel>(MakeDefaultMeasureModel())) {
  const double rate = config_.frameRate > 0 ? config_.frameRate : 10.0;
  period_ = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / rate));
  if (period_ <= Clock::duration::zero()) period_ = Clock::duration(1);
  if (config_.silentAfter && *config_.silentAfter <= 0) silent_ = true;
}

MemoryBank& VirtualConverter::Bank(int bank) {
  if (bank == 0) return bank0_;
  auto it = banks_.find(bank);
  if (it == banks_.end()) {
    MemoryBank erased;
    erased.fill(0xFF);
    it = banks_.emplace(bank, erased).first;
  }
  return it->second;
}

double VirtualConverter::SecondsSinceStart(Clock::time_point at) {
  if (!origin_) origin_ = at;
  return std::chrono::duration<double>(at - *origin_).count();
}

// Frames are "SM", "MI", "PR" and CR, or "$", a command letter, three
// bytes and CR. The three bytes are binary (a 13 or a "$" among them is
// data), so "$" frames are taken by their fixed length, never by looking for
// the CR.
VirtualConverter::Parse VirtualConverter::TryParse(const std::string& b, std::size_t& length) {
  const char c0 = b[0];
  if (c0 == 'S' || c0 == 'M' || c0 == 'P') {
    const char second = c0 == 'S' ? 'M' : c0 == 'M' ? 'I' : 'R';
    if (b.size() < 2) return Parse::NeedMore;
    if (b[1] != second) return Parse::Invalid;
    if (b.size() < 3) return Parse::NeedMore;
    if (b[2] != kCR) return Parse::Invalid;
    length = 3;
    return Parse::Complete;
  }
  if (c0 != '$') return Parse::Invalid;
  if (b.size() < 2) return Parse::NeedMore;
  static constexpr std::string_view kLetters = "FRWSDVIi";
  if (kLetters.find(b[1]) == std::string_view::npos) return Parse::Invalid;
  if (b[1] == 'F') {
    static constexpr std::string_view kExit = "$FPxx";
    for (std::size_t i = 2; i < kExit.size() && i < b.size(); ++i)
      if (b[i] != kExit[i]) return Parse::Invalid;
  }
  if (b.size() < 6) return Parse::NeedMore;
  if (b[5] != kCR) return Parse::Invalid;
  length = 6;
  return Parse::Complete;
}

void VirtualConverter::Drain(Clock::time_point at, bool stale, std::vector<Emission>& out) {
  while (!rx_.empty()) {
    std::size_t length = 0;
    switch (TryParse(rx_, length)) {
      case Parse::Complete: {
        const std::string frame = rx_.substr(0, length);
        rx_.erase(0, length);
        Handle(frame, at, out);
        break;
      }
      case Parse::Invalid:
        rx_.erase(0, 1);  // resynchronise one byte further on
        break;
      case Parse::NeedMore:
        if (!stale) return;
        rx_.erase(0, 1);
        break;
    }
  }
}

void VirtualConverter::Receive(std::uint8_t byte, Clock::time_point at, std::vector<Emission>& out) {
  SecondsSinceStart(at);
  if (!rx_.empty() && at - lastByteAt_ >= config_.interByteTimeout)
    Drain(lastByteAt_ + config_.interByteTimeout, true, out);
  rx_ += static_cast<char>(byte);
  lastByteAt_ = at;
  Drain(at, false, out);
}

void VirtualConverter::Advance(Clock::time_point now, std::vector<Emission>& out) {
  if (!rx_.empty() && lastByteAt_ + config_.interByteTimeout <= now)
    Drain(lastByteAt_ + config_.interByteTimeout, true, out);
  while (streaming_ && !silent_ && nextFrame_ <= now) {
    out.push_back({nextFrame_, StreamFrame(nextFrame_), true});
    nextFrame_ += period_;
  }
}

std::optional<Clock::time_point> VirtualConverter::NextTimer() const {
  std::optional<Clock::time_point> next;
  if (!rx_.empty()) next = lastByteAt_ + config_.interByteTimeout;
  if (streaming_ && !silent_ && (!next || nextFrame_ < *next)) next = nextFrame_;
  return next;
}

void VirtualConverter::Handle(const std::string& frame, Clock::time_point at, std::vector<Emission>& out) {
  ++framesReceived_;
  recent_.push_back(frame);
  if (recent_.size() > kRecentFrames) recent_.pop_front();
  if (config_.vanishAfter && !vanishedOnce_ && framesReceived_ > *config_.vanishAfter) {
    vanished_ = true;
    vanishedOnce_ = true;
  }
  if (config_.silentAfter && framesReceived_ > *config_.silentAfter) silent_ = true;
  if (vanished_ || silent_) return;

  auto emit = [&](std::string bytes) { out.push_back({at, std::move(bytes), false}); };
  if (frame.size() == 3) {
    switch (frame[0]) {
      case 'S':
        streaming_ = false;
        break;
      case 'M':
        if (!streaming_) nextFrame_ = at + period_;
        streaming_ = true;
        break;
      case 'P':
        program_ = true;
        emit({'O', 'K', kCR, kLF});
        break;
    }
    return;
  }
  const std::uint8_t x = At(frame, 2), y = At(frame, 3), z = At(frame, 4);
  switch (frame[1]) {
    case 'F':
      program_ = false;
      forced_ = {};
      return;
    case 'I':
      forced_[0] = static_cast<int>(JoinWord(x, y, true));
      return;
    case 'i':
      forced_[1] = static_cast<int>(JoinWord(x, y, true));
      return;
    default:
      break;
  }
  // Memory, tables, switches and identification answer in program mode only.
  if (!program_) return;
  const DeviceIdentity& id = config_.identity;
  switch (frame[1]) {
    case 'R':
      emit(Reply({x, y, Bank(x)[y]}));
      break;
    case 'W':
      Write(x, y, z);
      break;
    case 'S':
      emit(Samples(x));
      break;
    case 'D': {
      const auto& d = config_.dip;
      const bool longReply = LongSwitchReply(id.product, id.variant);
      emit(longReply ? Reply({d[0], d[1], d[2], d[3]}) : Reply({d[0], d[1]}));
      break;
    }
    case 'V':
      emit(Reply({id.variant, id.firmware, id.extra, id.product}));
      break;
    default:
      break;
  }
}

void VirtualConverter::Write(int bank, int address, std::uint8_t data) {
  MemoryBank& m = Bank(bank);
  const auto a = static_cast<std::size_t>(address);
  if (m[a] == data) return;
  m[a] = data;
  if (bank != 0 || config_.memoryFile.empty()) return;
  std::string error;
  if (SaveMemoryImage(config_.memoryFile, bank0_, error)) {
    persistError_.clear();
  } else {
    persistError_ = error;
    if (config_.log) config_.log(error);
  }
}

std::string VirtualConverter::Samples(std::uint8_t code) const {
  std::string r(1, '*');
  r += SampleWords(MakeSampleTables(config_.identity.variant, code));
  r += static_cast<char>(code);  // the echo the client checks
  r += kCR;
  r += kLF;
  return r;
}

std::string VirtualConverter::StreamFrame(Clock::time_point at) {
  MeasureContext ctx{config_.identity, bank0_, config_.dip, forced_, SecondsSinceStart(at)};
  return EncodeMeasureFrame(model_->Sample(ctx), config_.identity, bank0_);
}

}  // namespace korventa::sim
