#include "link/link.h"

#include <chrono>

#include "app/texts.h"
#include "link/codecs.h"
#include "link/protocol.h"
#include "link/reply.h"

namespace korventa {

namespace p = protocol;

namespace {

constexpr int kTextCommError = 68;
// Shown in both languages when identification finds the port closed.
constexpr const char* kTextPortNotOpen = "COM Port not open";
constexpr const char* kErrore = "errore";
constexpr const char* kTimeout = "timeout";

Clock::duration Seconds(double s) {
  return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(s));
}

std::uint8_t Byte(const std::string& s, std::size_t i) { return static_cast<std::uint8_t>(s[i]); }

bool IsFailure(const std::string& reply) { return reply == kErrore || reply == kTimeout; }

}  // namespace

// Lamp red and hourglass for the lifetime of a transaction. Transactions
// nest (the sample read reads the stored words inside its own), so only the
// outermost one switches the indication.
class Link::BusyScope {
 public:
  explicit BusyScope(Link& l) : l_(l) {
    if (l_.busyDepth_++ == 0) l_.busy_.SetBusy(true);
  }
  ~BusyScope() {
    if (--l_.busyDepth_ == 0) l_.busy_.SetBusy(false);
  }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  Link& l_;
};

Link::Link(ProgramState& state, Transport& transport, Dialogs& dialogs, BusyObserver& busy)
    : s_(state), transport_(transport), dialogs_(dialogs), busy_(busy) {}

bool Link::OpenPort(const std::string& name, std::string& error) {
  if (transport_.IsOpen()) return true;
  s_.MemoriaNota = NessunaMemoriaNota();
  transport_.SetPort(name);
  return transport_.Open(error);
}

void Link::ClosePort() {
  s_.MemoriaNota = NessunaMemoriaNota();
  if (transport_.IsOpen()) transport_.Close();
}

bool Link::PortOpen() const { return transport_.IsOpen(); }

void Link::NoteIo(IoStatus status) {
  if (status == IoStatus::Vanished) {
    // The adapter was unplugged: close our side so it can be opened again
    // once it is back, and say so once.
    transport_.Close();
    busy_.PortLost();
  }
  lastFailureWasPort_ = status == IoStatus::Vanished || status == IoStatus::NotOpen;
}

IoStatus Link::Send(const std::string& frame) {
  if (frame.empty()) return transport_.IsOpen() ? IoStatus::Ok : IoStatus::NotOpen;
  const auto* data = reinterpret_cast<const std::uint8_t*>(frame.data());
  IoStatus st = transport_.Write({data, frame.size()});
  if (st != IoStatus::Ok) NoteIo(st);
  return st;
}

std::string Link::SendAndWait(const std::string& frame, const std::string& templ, double timeout, int mode) {
  const Clock::time_point start = transport_.Now();
  const Clock::time_point deadline = start + Seconds(timeout);
  if (Send(frame) != IoStatus::Ok) return kErrore;
  std::string buffer;
  std::vector<std::uint8_t> chunk;
  for (;;) {
    chunk.clear();
    IoStatus st = transport_.ReadAll(chunk);
    if (st != IoStatus::Ok) {
      NoteIo(st);
      return kErrore;
    }
    buffer.append(chunk.begin(), chunk.end());
    if (auto pos = FindReply(buffer, templ, mode)) return buffer.substr(*pos, templ.size());
    if (transport_.Now() >= deadline) return kTimeout;
    transport_.Wait(deadline, true);
  }
}

void Link::Pausa(double seconds) {
  const Clock::time_point deadline = transport_.Now() + Seconds(seconds);
  while (transport_.Now() < deadline) transport_.Wait(deadline, false);
}

void Link::Flush() { transport_.Discard(); }

void Link::SendFrame(const std::string& frame, double pause) {
  Flush();
  Send(frame);
  Pausa(pause);
  Flush();
}

void Link::StopMeasure() { SendFrame(p::FrameStopMeasure(), p::kPauseAfterMeasure); }
void Link::StartMeasure() { SendFrame(p::FrameStartMeasure(), p::kPauseAfterMeasure); }
void Link::ExitProgram() { SendFrame(p::FrameExitProgram(), p::kPauseAfterProgram); }

void Link::EnterProgram() {
  s_.ErroreCom = 0;
  for (int i = 0; i < p::kEnterProgramSends; ++i) {
    Flush();
    if (Send(p::FrameEnterProgram()) != IoStatus::Ok) {
      s_.ErroreCom = 1;
      return;
    }
    Pausa(p::kPauseAfterProgram);
    std::vector<std::uint8_t> got;
    IoStatus st = transport_.ReadAll(got);
    if (st != IoStatus::Ok) {
      NoteIo(st);
      s_.ErroreCom = 1;
      return;
    }
    Flush();
    if (std::string(got.begin(), got.end()) == p::kProgramAck) return;
  }
  s_.ErroreCom = 1;
}

bool Link::AskRetry(bool portText) {
  const std::string text = portText ? kTextPortNotOpen : Testo(s_, kTextCommError);
  return dialogs_.MsgBox(text, Buttons::RetryCancel, Icon::Error, TitoloApplicazione(s_)) == Answer::Retry;
}

void Link::Progress(int done, int total) {
  if (total > 0) busy_.SetProgress(static_cast<double>(done) / total);
}

std::array<std::uint8_t, 257> Link::ReadBytes(int bank, int start, int count) {
  std::array<std::uint8_t, 257> result{};
  s_.ErroreCom = 0;
  // Refuse what cannot be put in a frame rather than send a malformed one.
  if (bank < 0 || bank > 255 || start < 0 || count < 0 || count > p::kReadBytesResultSize ||
      start + count > p::kBankSize) {
    s_.ErroreCom = 1;
    result[0] = 1;
    dialogs_.MsgBox(Testo(s_, kTxtLetturaRifiutata,
                          {std::to_string(start), std::to_string(start + count - 1), std::to_string(bank)}),
                    Buttons::Ok, Icon::Error, TitoloApplicazione(s_));
    return result;
  }
  BusyScope busy(*this);
  busy_.SetMainEnabled(false);
  int tries = 0;
  bool done = false;
  while (!done) {
    StopMeasure();
    EnterProgram();
    s_.ErroreCom = 0;  // reading goes on even without the acknowledgement
    Flush();
    bool retry = false;
    for (int a = start; a < start + count; ++a) {
      Flush();
      std::string r = SendAndWait(p::FrameRead(static_cast<std::uint8_t>(bank), static_cast<std::uint8_t>(a)),
                                  p::kTemplateRead, p::kReplyTimeout, p::kModeCrLf);
      if (r == kErrore) {
        result = {};
        result[0] = 1;
        s_.ErroreCom = 1;
        busy_.SetMainEnabled(true);
        return result;
      }
      if (r == kTimeout) {
        ++tries;
        if (tries >= p::kReadBytesTries && !AskRetry(false)) {
          result = {};
          result[0] = 1;
          s_.ErroreCom = 1;
          ExitProgram();
          busy_.SetMainEnabled(true);
          return result;
        }
        ExitProgram();
        Flush();
        retry = true;
        break;
      }
      result[static_cast<std::size_t>(a - start)] = Byte(r, 3);
      Progress(a - start + 1, count);
    }
    if (!retry) done = true;
  }
  ExitProgram();
  s_.EERAM.assign(result.begin(), result.begin() + count);
  if (bank == 0)
    for (int i = 0; i < count; ++i) s_.MemoriaNota[static_cast<std::size_t>(start + i)] = result[static_cast<std::size_t>(i)];
  busy_.SetMainEnabled(true);
  return result;
}

bool Link::WriteBytes(int bank, int count) {
  pairsSent_ = 0;
  stopped_ = false;
  // A bank that does not fit the frame's byte would wrap round to another
  // bank (256 is bank 0, the configuration memory): refuse before anything
  // goes out.
  if (bank < 0 || bank > 255) {
    s_.ErroreCom = 1;
    dialogs_.MsgBox(Testo(s_, kTxtScritturaRifiutata, {std::to_string(bank)}), Buttons::Ok, Icon::Error,
                    TitoloApplicazione(s_));
    return false;
  }
  BusyScope busy(*this);
  StopMeasure();
  EnterProgram();
  bool ok = true;
  if (s_.ErroreCom) {
    dialogs_.MsgBox(Testo(s_, kTextCommError), Buttons::Ok, Icon::Error, TitoloApplicazione(s_));
    ok = false;
  } else {
    const int n = std::min<int>(count, static_cast<int>(std::min(s_.BufIndirizzi.size(), s_.BufDati.size())));
    if (bank == 0)
      for (int i = 0; i < n; ++i) s_.MemoriaNota[s_.BufIndirizzi[static_cast<std::size_t>(i)]] = -1;
    for (int i = 0; i < n; ++i) {
      if (stopRequest_ && stopRequest_()) {
        stopped_ = true;
        ok = false;
        break;
      }
      if (Send(p::FrameWrite(static_cast<std::uint8_t>(bank), s_.BufIndirizzi[static_cast<std::size_t>(i)],
                             s_.BufDati[static_cast<std::size_t>(i)])) != IoStatus::Ok) {
        ok = false;
        break;
      }
      ++pairsSent_;
      Pausa(p::kPauseAfterWrite);
      Progress(i + 1, count);
    }
    if (n < count) ok = false;
  }
  ExitProgram();
  // A write that did not reach the device is a failure for the caller to see.
  s_.ErroreCom = ok ? 0 : 1;
  return ok;
}

std::vector<int> Link::ReadSamples(int channel) {
  switch (s_.CodVariante) {
    case 0: case 1: case 2: case 3: case 6: case 8: case 9:
      s_.NumCampioni1 = 63;
      s_.NumCampioni2 = 15;
      break;
    case 4: case 5:
      s_.NumCampioni1 = 16;
      s_.NumCampioni2 = 16;
      break;
    case 7:
      s_.NumCampioni1 = 63;
      s_.NumCampioni2 = 1;
      break;
    default:
      break;
  }
  const int n = s_.NumCampioni1 + s_.NumCampioni2;
  const std::string templ = p::TemplateSamples(n);
  const auto ch = static_cast<std::uint8_t>(channel);
  BusyScope busy(*this);
  s_.ErroreCom = 0;
  int tries = 0;
  std::string reply;
  for (;;) {
    StopMeasure();
    EnterProgram();
    s_.ErroreCom = 0;
    Flush();
    reply = SendAndWait(p::FrameSamples(ch), templ, p::kReplyTimeout, p::kModeCrLf);
    if (reply == kErrore) {
      s_.ErroreCom = 1;
      return {};
    }
    if (reply != kTimeout) break;
    ++tries;
    if (tries >= p::kReadSamplesTries && !AskRetry(false)) {
      ExitProgram();
      s_.ErroreCom = 1;
      return {};
    }
    ExitProgram();
  }
  ExitProgram();
  Pausa(p::kPauseBeforeStoredWords);
  auto stored = ReadBytes(0, 128 + 4 * channel, 4);
  if (s_.ErroreCom) {
    s_.ErroreCom = 1;
    return {};
  }
  (void)stored;
  Pausa(p::kPauseAfterStoredWords);
  if (Byte(reply, static_cast<std::size_t>(2 * n + 1)) != ch) {
    s_.ErroreCom = 1;
    return {};
  }
  auto word = [&](std::size_t k) {  // k-th table word of the reply, low byte first
    return static_cast<int>(JoinWord(Byte(reply, 2 + 2 * k), Byte(reply, 1 + 2 * k), s_.ConSegno));
  };
  std::vector<int> result;
  result.reserve(static_cast<std::size_t>(n + 2));
  result.push_back(static_cast<int>(JoinWord(s_.EERAM[1], s_.EERAM[0], s_.ConSegno)));
  for (int k = 0; k < s_.NumCampioni1; ++k) result.push_back(word(static_cast<std::size_t>(k)));
  result.push_back(static_cast<int>(JoinWord(s_.EERAM[3], s_.EERAM[2], s_.ConSegno)));
  for (int k = s_.NumCampioni1; k < n; ++k) result.push_back(word(static_cast<std::size_t>(k)));
  return result;
}

std::array<int, 4> Link::ReadDip() {
  std::array<int, 4> result{};
  const bool longReply = (s_.CodVariante == 0 && s_.CodProdotto == 12) || s_.CodVariante == 7 ||
                         s_.CodVariante == 8 || s_.CodVariante == 9;
  const std::string& templ = longReply ? p::kTemplateDipLong : p::kTemplateDipShort;
  BusyScope busy(*this);
  int tries = 0;
  for (;;) {
    StopMeasure();
    EnterProgram();
    if (s_.ErroreCom) {  // no acknowledgement: give up at once, without asking
      s_.ErroreCom = 1;
      return result;
    }
    Flush();
    std::string r = SendAndWait(p::FrameDip(), templ, p::kReplyTimeout, p::kModeCrLf);
    if (r == kErrore) {
      s_.ErroreCom = 1;
      return result;
    }
    if (r != kTimeout) {
      for (std::size_t i = 0; i < 4; ++i) result[i] = Byte(r, i + 1);
      ExitProgram();
      return result;
    }
    ++tries;
    if (tries < p::kReadDipTries) {
      ExitProgram();
      Flush();
      Send(p::FrameExitProgram());  // the second time without the pause
      continue;
    }
    if (!AskRetry(false)) {
      ExitProgram();
      s_.ErroreCom = 1;
      return result;
    }
    ExitProgram();
  }
}

std::array<std::uint8_t, 5> Link::ReadProduct() {
  std::array<std::uint8_t, 5> result{};
  BusyScope busy(*this);
  for (;;) {
    s_.ErroreCom = 0;
    StopMeasure();
    EnterProgram();
    s_.ErroreCom = 0;  // identification goes on without the acknowledgement
    Flush();
    std::string r = SendAndWait(p::FrameProduct(), p::kTemplateProduct, p::kReplyTimeout, p::kModeCrLf);
    if (!IsFailure(r)) {
      result[0] = 0;
      result[1] = Byte(r, 3);
      result[2] = Byte(r, 4);
      result[3] = Byte(r, 1);
      result[4] = Byte(r, 2);
      ExitProgram();
      s_.IdExtra = result[1];
      s_.CodProdotto = result[2];
      s_.CodVariante = result[3];
      s_.VerSw = result[4];
      ExitProgram();
      return result;
    }
    const bool portText = r == kErrore && !transport_.IsOpen();
    if (!AskRetry(portText)) {
      result[0] = 1;
      s_.ErroreCom = 1;
      return result;
    }
  }
}

std::string Link::MeasureTemplate() const {
  if (s_.CodProdotto == 11) return p::Template('A', 7);
  if (s_.CodVariante == 5) return p::Template('A', 15);
  if (s_.CodVariante == 0 || s_.CodVariante == 7 || s_.CodVariante == 8 || s_.CodVariante == 9)
    return p::Template('A', 16);
  return p::Template('A', 9);
}

std::array<std::uint8_t, 15> Link::ReadMeasure() {
  std::array<std::uint8_t, 15> m{};
  const std::string templ = MeasureTemplate();
  // Measuring may be stopped while this waits (Stop, or a read that stops it
  // and talks to the device meanwhile): nobody wants the frame any more.
  const bool misurando = s_.InMisura;
  for (;;) {
    std::string r = SendAndWait({}, templ, p::kReplyTimeout, p::kModeCr);
    if (r == kErrore) {
      m[0] = 1;
      s_.ErroreCom = 1;
      return m;
    }
    if (r != kTimeout) {
      int last = 7;
      if (s_.CodProdotto == 11) {
        last = 5;
      } else {
        const int v = s_.CodVariante;
        if (v == 5 || v == 0 || v == 7 || v == 8 || v == 9) last = 13;
        if (v == 0 || v == 7) last = 14;
      }
      for (int i = 1; i <= last; ++i) m[static_cast<std::size_t>(i)] = Byte(r, static_cast<std::size_t>(i));
      return m;
    }
    if (misurando && !s_.InMisura) {
      m[0] = 1;
      return m;
    }
    if (!AskRetry(false)) {
      m[0] = 1;
      return m;
    }
    StopMeasure();
    Pausa(p::kPauseMeasureRetry);
    StartMeasure();
  }
}

void Link::SendValueA(int v) {
  auto [hi, lo] = SplitWord(v);
  SendFrame(p::FrameValueA(hi, lo), p::kPauseAfterMeasure);
}

void Link::SendValueB(int v) {
  auto [hi, lo] = SplitWord(v);
  SendFrame(p::FrameValueB(hi, lo), p::kPauseAfterMeasure);
}

}  // namespace korventa
