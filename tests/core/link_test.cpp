// The link against a scripted device on a virtual clock: frames byte for
// byte, reply recognition, retry policies and the questions asked.
#include <gtest/gtest.h>

#include <map>

#include "link/codecs.h"
#include "link/link.h"
#include "link/protocol.h"
#include "link/reply.h"
#include "support/scripted_dialogs.h"
#include "support/scripted_transport.h"

using namespace korventa;
using test::Reply;
using test::ScriptedDialogs;
using test::ScriptedTransport;

namespace {

std::string Bytes(std::initializer_list<int> b) {
  std::string s;
  for (int v : b) s.push_back(static_cast<char>(v));
  return s;
}

class RecordingBusy : public BusyObserver {
 public:
  std::vector<std::string> events;
  int depth = 0;
  void SetBusy(bool b) override { events.push_back(b ? "busy" : "idle"); }
  void SetMainEnabled(bool e) override { events.push_back(e ? "enabled" : "disabled"); }
  void SetProgress(double p) override { lastProgress = p; }
  void PortLost() override { events.push_back("lost"); }
  double lastProgress = 0;
};

// A well-behaved device: acknowledges "PR", answers "$R" from memory, "$V"
// with its identity. Individual tests override pieces of it.
struct Device {
  std::array<std::uint8_t, 256> memory{};
  std::string identity = Bytes({0, 4, 7, 12});  // variant, firmware, extra, product
  bool ackProgram = true;
  int silentReads = 0;  // the next n "$R" go unanswered
  double latency = 0.002;

  void Attach(ScriptedTransport& t) {
    t.responder = [this](ScriptedTransport& tr, const std::string& f) {
      if (f == protocol::FrameEnterProgram()) {
        if (ackProgram) tr.Deliver("OK\r\n", latency);
      } else if (f.size() == 6 && f[0] == '$' && f[1] == 'R') {
        if (silentReads > 0) {
          --silentReads;
          return;
        }
        tr.Deliver(Reply(Bytes({0, static_cast<std::uint8_t>(f[3]), memory[static_cast<std::uint8_t>(f[3])]})),
                   latency);
      } else if (f.size() == 6 && f[0] == '$' && f[1] == 'V') {
        tr.Deliver(Reply(identity), latency);
      }
    };
  }
};

struct LinkFixture : ::testing::Test {
  ProgramState state;
  ScriptedTransport transport;
  ScriptedDialogs dialogs;
  RecordingBusy busy;
  Device device;
  Link link{state, transport, dialogs, busy};
  void SetUp() override { device.Attach(transport); }
};

}  // namespace

TEST(FindReply, RecognisesByLeadLengthAndTerminatorOnly) {
  const std::string t = protocol::kTemplateRead;
  EXPECT_EQ(FindReply(Reply(Bytes({1, 2, 3})), t, 0), 0u);
  // Noise in front, and a lead character inside binary data: the candidate
  // starting at the inner '*' does not end with CR LF at the right distance.
  EXPECT_EQ(FindReply("xx" + Reply(Bytes({'*', '*', 13})), t, 0), 2u);
  // Wrong terminator: right lead and length, no CR LF.
  EXPECT_FALSE(FindReply("*abc\n\r", t, 0));
  // Incomplete reply.
  EXPECT_FALSE(FindReply("*ab", t, 0));
  // Two candidates: the last one wins (a stale reply in front).
  EXPECT_EQ(FindReply(Reply("old") + Reply("new"), t, 0), 6u);
  // CR-only frames.
  EXPECT_EQ(FindReply("A1234567\r", "A########", -1), 0u);
  EXPECT_FALSE(FindReply("A123456\r\n", "A########", -1));
}

TEST_F(LinkFixture, ReplyInPiecesIsRecognisedOnceComplete) {
  transport.responder = [](ScriptedTransport& t, const std::string&) {
    t.Deliver("*\x01", 0.01);
    t.Deliver("\x02\x03", 0.02);
    t.Deliver("\r\n", 0.30);
  };
  EXPECT_EQ(link.SendAndWait("x", protocol::kTemplateRead, 1.0, 0), Reply(Bytes({1, 2, 3})));
  EXPECT_NEAR(transport.ElapsedSeconds(), 0.30, 1e-6);
}

TEST_F(LinkFixture, WrongTerminatorTimesOutAfterOneSecond) {
  transport.responder = [](ScriptedTransport& t, const std::string&) { t.Deliver("*abc\r\r", 0.01); };
  EXPECT_EQ(link.SendAndWait("x", protocol::kTemplateRead, 1.0, 0), "timeout");
  EXPECT_NEAR(transport.ElapsedSeconds(), 1.0, 1e-6);
}

TEST_F(LinkFixture, ClosedPortGivesErrore) {
  transport.open = false;
  EXPECT_EQ(link.SendAndWait("x", protocol::kTemplateRead, 1.0, 0), "errore");
  transport.open = true;
  transport.failWrites = true;
  EXPECT_EQ(link.SendAndWait("x", protocol::kTemplateRead, 1.0, 0), "errore");
}

TEST_F(LinkFixture, VanishedAdapterClosesThePortAndSaysSoOnce) {
  transport.readStatus = IoStatus::Vanished;
  EXPECT_EQ(link.SendAndWait("x", protocol::kTemplateRead, 1.0, 0), "errore");
  EXPECT_FALSE(transport.open);
  EXPECT_EQ(std::count(busy.events.begin(), busy.events.end(), "lost"), 1);
  EXPECT_TRUE(link.LastFailureWasPort());
}

TEST_F(LinkFixture, PausaMeasuresElapsedTime) {
  link.Pausa(0.25);
  EXPECT_NEAR(transport.ElapsedSeconds(), 0.25, 1e-6);
}

TEST_F(LinkFixture, EnterProgramTriesThreeTimesThenFails) {
  device.ackProgram = false;
  link.EnterProgram();
  EXPECT_EQ(state.ErroreCom, 1);
  EXPECT_EQ(transport.Count("PR"), 3);
  device.ackProgram = true;
  link.EnterProgram();
  EXPECT_EQ(state.ErroreCom, 0);
}

TEST_F(LinkFixture, ReadBytesSendsOneFramePerAddressInsideTheTransaction) {
  for (int a = 0; a < 256; ++a) device.memory[static_cast<std::size_t>(a)] = static_cast<std::uint8_t>(255 - a);
  device.memory[5] = 0x7B;
  auto r = link.ReadBytes(0, 5, 1);
  EXPECT_EQ(r[0], 0x7B);
  EXPECT_EQ(r[1], 0);
  ASSERT_EQ(transport.written.size(), 4u);
  EXPECT_EQ(transport.written[0], "SM\r");
  EXPECT_EQ(transport.written[1], "PR\r");
  EXPECT_EQ(transport.written[2], Bytes({0x24, 0x52, 0x00, 0x05, 0x00, 0x0D}));
  EXPECT_EQ(transport.written[3], "$FPxx\r");
  EXPECT_EQ(state.ErroreCom, 0);
  EXPECT_EQ(state.EERAM, std::vector<std::uint8_t>{0x7B});

  auto all = link.ReadBytes(0, 0, 256);
  for (int a = 0; a < 256; ++a) EXPECT_EQ(all[static_cast<std::size_t>(a)], device.memory[static_cast<std::size_t>(a)]);
  EXPECT_DOUBLE_EQ(busy.lastProgress, 1.0);
  EXPECT_EQ(busy.events.front(), "busy");
  EXPECT_EQ(busy.events[1], "disabled");
  EXPECT_EQ(busy.events.back(), "idle");
}

TEST_F(LinkFixture, ReadBytesRefusesWhatCannotBeFramed) {
  for (auto [bank, start, count] : std::vector<std::tuple<int, int, int>>{
           {0, 0, 258}, {0, 200, 57}, {0, 256, 1}, {256, 0, 1}, {0, -1, 2}}) {
    transport.written.clear();
    auto r = link.ReadBytes(bank, start, count);
    EXPECT_EQ(r[0], 1);
    EXPECT_EQ(state.ErroreCom, 1);
    EXPECT_TRUE(transport.written.empty());
  }
  EXPECT_EQ(dialogs.boxes.size(), 5u);
  EXPECT_EQ(dialogs.boxes[0].icon, Icon::Error);
}

TEST_F(LinkFixture, ReadBytesRetriesThreeTimesThenAsks) {
  device.silentReads = 3;  // three tries time out, then the device answers
  dialogs.answers = {Answer::Retry};
  device.memory[0] = 42;
  auto r = link.ReadBytes(0, 0, 2);
  EXPECT_EQ(r[0], 42);
  EXPECT_EQ(state.ErroreCom, 0);
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].text, "Errore di comunicazione");
  EXPECT_EQ(dialogs.boxes[0].buttons, Buttons::RetryCancel);
  EXPECT_EQ(dialogs.boxes[0].caption, "KORVENTA v.2.7");
  // Every try restarts the block: SM and PR each time, $FPxx between tries.
  EXPECT_EQ(transport.Count("SM"), 4);
  EXPECT_EQ(transport.Count("$FPxx"), 4);
}

TEST_F(LinkFixture, ReadBytesCancelReportsFailure) {
  device.silentReads = 1000;
  state.Lingua = 1;
  state.OffLingua = 300;
  dialogs.answers = {Answer::Retry, Answer::Cancel};
  auto r = link.ReadBytes(0, 0, 4);
  EXPECT_EQ(r[0], 1);
  EXPECT_EQ(state.ErroreCom, 1);
  ASSERT_EQ(dialogs.boxes.size(), 2u);  // asked again at the later time-out
  EXPECT_EQ(dialogs.boxes[1].text, "Communication error");
  EXPECT_EQ(busy.events.back(), "idle");
  EXPECT_NE(std::find(busy.events.begin(), busy.events.end(), "enabled"), busy.events.end());
}

TEST_F(LinkFixture, ReadBytesPortErrorEndsAtOnceWithoutMessage) {
  transport.open = false;
  auto r = link.ReadBytes(0, 0, 4);
  EXPECT_EQ(r[0], 1);
  EXPECT_EQ(state.ErroreCom, 1);
  EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(LinkFixture, WriteBytesSendsEveryPairFiftyMillisecondsApart) {
  state.BufIndirizzi = {0x10, 0x11};
  state.BufDati = {0x41, 0x0D};
  EXPECT_TRUE(link.WriteBytes(0, 2));
  ASSERT_EQ(transport.written.size(), 5u);
  EXPECT_EQ(transport.written[2], Bytes({0x24, 0x57, 0x00, 0x10, 0x41, 0x0D}));
  EXPECT_EQ(transport.written[3], Bytes({0x24, 0x57, 0x00, 0x11, 0x0D, 0x0D}));
  // SM 0.2 + PR 0.1 + 2 x 0.05 + $FPxx 0.1
  EXPECT_NEAR(transport.ElapsedSeconds(), 0.5, 1e-6);
  EXPECT_EQ(state.ErroreCom, 0);
}

TEST_F(LinkFixture, WriteBytesWithoutProgramModeWritesNothingAndReportsIt) {
  device.ackProgram = false;
  state.BufIndirizzi = {1};
  state.BufDati = {2};
  EXPECT_FALSE(link.WriteBytes(0, 1));
  EXPECT_EQ(transport.Count("$W"), 0);
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].text, "Errore di comunicazione");
  EXPECT_EQ(dialogs.boxes[0].icon, Icon::Error);
  EXPECT_EQ(state.ErroreCom, 1);
}

TEST_F(LinkFixture, WriteBytesRefusesABankThatWouldWrapToAnother) {
  state.BufIndirizzi = {0x10};
  state.BufDati = {0x41};
  for (int bank : {256, -1, 511}) {
    EXPECT_FALSE(link.WriteBytes(bank, 1)) << bank;
    EXPECT_EQ(state.ErroreCom, 1);
  }
  EXPECT_TRUE(transport.written.empty());  // not even "SM": nothing reached the device
  ASSERT_EQ(dialogs.boxes.size(), 3u);
  EXPECT_EQ(dialogs.boxes[0].icon, Icon::Error);
  // The refusal speaks the user's language.
  EXPECT_EQ(dialogs.boxes[0].text, "Scrittura rifiutata: il banco 256 è fuori da 0 - 255.");
  state.Lingua = 1;
  state.OffLingua = 300;
  EXPECT_FALSE(link.WriteBytes(256, 1));
  EXPECT_EQ(dialogs.boxes.back().text, "Write refused: bank 256 is outside 0 to 255.");
  state.Lingua = 0;
  state.OffLingua = 0;
  EXPECT_TRUE(link.WriteBytes(255, 1));
  EXPECT_EQ(transport.written[2], Bytes({0x24, 0x57, 0xFF, 0x10, 0x41, 0x0D}));
}

TEST_F(LinkFixture, WriteBytesStoppedByAVanishedPortIsAFailure) {
  state.BufIndirizzi = {1, 2, 3};
  state.BufDati = {1, 2, 3};
  int writes = 0;
  auto inner = transport.responder;
  transport.responder = [&](ScriptedTransport& t, const std::string& f) {
    inner(t, f);
    if (f.rfind("$W", 0) == 0 && ++writes == 2) t.failWrites = true;
  };
  EXPECT_FALSE(link.WriteBytes(0, 3));
  EXPECT_EQ(state.ErroreCom, 1);
}

TEST_F(LinkFixture, ReadProductSetsTheIdentification) {
  device.identity = Bytes({6, 3, 9, 12});
  auto r = link.ReadProduct();
  EXPECT_EQ(r, (std::array<std::uint8_t, 5>{0, 9, 12, 6, 3}));
  EXPECT_EQ(state.CodVariante, 6);
  EXPECT_EQ(state.VerSw, 3);
  EXPECT_EQ(state.IdExtra, 9);
  EXPECT_EQ(state.CodProdotto, 12);
  EXPECT_EQ(transport.written[2], Bytes({0x24, 0x56, 0, 0, 0, 0x0D}));
  EXPECT_EQ(transport.Count("$FPxx"), 2);
}

TEST_F(LinkFixture, ReadProductOnAClosedPortAsksWithThePortText) {
  transport.open = false;
  state.CodVariante = 3;
  dialogs.answers = {Answer::Retry, Answer::Cancel};
  auto r = link.ReadProduct();
  EXPECT_EQ(r[0], 1);
  EXPECT_EQ(state.ErroreCom, 1);
  EXPECT_EQ(state.CodVariante, 3);  // a failed identification changes nothing
  ASSERT_EQ(dialogs.boxes.size(), 2u);
  EXPECT_EQ(dialogs.boxes[0].text, "COM Port not open");
}

TEST_F(LinkFixture, ReadProductSilentDeviceAsksWithTheLanguageText) {
  device.identity.clear();
  transport.responder = [](ScriptedTransport& t, const std::string& f) {
    if (f == "PR\r") t.Deliver("OK\r\n", 0.001);
  };
  dialogs.answers = {Answer::Cancel};
  EXPECT_EQ(link.ReadProduct()[0], 1);
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].text, "Errore di comunicazione");
}

TEST_F(LinkFixture, ReadDipShortAndLongReplies) {
  transport.responder = [](ScriptedTransport& t, const std::string& f) {
    if (f == "PR\r") t.Deliver("OK\r\n", 0.001);
    if (f.rfind("$D", 0) == 0) t.Deliver(Reply(Bytes({0x11, 0x22, 0x33, 0x44})).substr(0, 3) + "\r\n", 0.001);
  };
  state.CodVariante = 2;
  EXPECT_EQ(link.ReadDip(), (std::array<int, 4>{0x11, 0x22, 13, 10}));
  transport.responder = [](ScriptedTransport& t, const std::string& f) {
    if (f == "PR\r") t.Deliver("OK\r\n", 0.001);
    if (f.rfind("$D", 0) == 0) t.Deliver(Reply(Bytes({0x11, 0x22, 0x33, 0x44})), 0.001);
  };
  state.CodVariante = 0;
  EXPECT_EQ(link.ReadDip(), (std::array<int, 4>{0x11, 0x22, 0x33, 0x44}));
  EXPECT_EQ(state.ErroreCom, 0);
}

TEST_F(LinkFixture, ReadDipGivesUpAtOnceWithoutProgramMode) {
  device.ackProgram = false;
  link.ReadDip();
  EXPECT_EQ(state.ErroreCom, 1);
  EXPECT_TRUE(dialogs.boxes.empty());
  EXPECT_EQ(transport.Count("$D"), 0);
}

TEST_F(LinkFixture, ReadDipTriesThreeTimesWithDoubleExitBetween) {
  transport.responder = [](ScriptedTransport& t, const std::string& f) {
    if (f == "PR\r") t.Deliver("OK\r\n", 0.001);
  };
  dialogs.answers = {Answer::Cancel};
  link.ReadDip();
  EXPECT_EQ(transport.Count("$D"), 3);
  EXPECT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(state.ErroreCom, 1);
  // Two "$FPxx" after each of the first two tries, one after the cancel.
  EXPECT_EQ(transport.Count("$FPxx"), 5);
}

TEST_F(LinkFixture, ReadSamplesAssemblesStoredWordsAndTables) {
  state.CodVariante = 4;  // 16 + 16 samples
  device.memory[132] = 0x10;
  device.memory[133] = 0x00;
  device.memory[134] = 0xFF;
  device.memory[135] = 0xFF;
  auto inner = transport.responder;
  transport.responder = [&](ScriptedTransport& t, const std::string& f) {
    inner(t, f);
    if (f.rfind("$S", 0) == 0) {
      EXPECT_EQ(f, Bytes({'$', 'S', 1, 1, 0, 13}));
      std::string body;
      for (int k = 0; k < 32; ++k) {
        body.push_back(static_cast<char>(k));  // low byte first
        body.push_back(static_cast<char>(k == 31 ? 0x80 : 0));
      }
      body.push_back(1);  // channel echo
      t.Deliver(Reply(body), 0.01);
    }
  };
  auto r = link.ReadSamples(1);
  ASSERT_EQ(r.size(), 34u);
  EXPECT_EQ(r[0], 16);
  EXPECT_EQ(r[1], 0);
  EXPECT_EQ(r[16], 15);
  EXPECT_EQ(r[17], -1);  // stored word 1, signed
  EXPECT_EQ(r[18], 16);
  EXPECT_EQ(r[33], static_cast<int>(JoinWord(0x80, 31, true)));
  EXPECT_EQ(state.EERAM.size(), 4u);  // only the stored words remain
  EXPECT_EQ(state.NumCampioni1, 16);
}

// Without the "PR" acknowledgement reading, sampling and identification
// still try the device; only the switch read gives up (tested above).
TEST_F(LinkFixture, ReadsGoOnWhenProgramModeIsNotAcknowledged) {
  device.ackProgram = false;
  device.memory[5] = 0x7B;
  device.identity = Bytes({2, 5, 0, 12});
  auto inner = transport.responder;
  transport.responder = [&](ScriptedTransport& t, const std::string& f) {
    inner(t, f);
    if (f.rfind("$S", 0) == 0) t.Deliver(Reply(std::string(2 * 78, '\0') + "\x08"), 0.01);
  };
  EXPECT_EQ(link.ReadBytes(0, 5, 1)[0], 0x7B);
  EXPECT_EQ(state.ErroreCom, 0);
  auto id = link.ReadProduct();
  EXPECT_EQ(id[0], 0);
  EXPECT_EQ(state.CodVariante, 2);
  EXPECT_EQ(state.ErroreCom, 0);
  EXPECT_EQ(link.ReadSamples(8).size(), 80u);
  EXPECT_EQ(state.ErroreCom, 0);
  EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(LinkFixture, ReadSamplesTriesTwiceThenAsksAtEveryTimeOut) {
  state.CodVariante = 0;
  dialogs.answers = {Answer::Retry, Answer::Cancel};
  EXPECT_TRUE(link.ReadSamples(8).empty());
  EXPECT_EQ(state.ErroreCom, 1);
  EXPECT_EQ(transport.Count("$S"), 3);  // two tries, then one more after Retry
  ASSERT_EQ(dialogs.boxes.size(), 2u);
  EXPECT_EQ(dialogs.boxes[0].text, "Errore di comunicazione");
  EXPECT_EQ(dialogs.boxes[0].buttons, Buttons::RetryCancel);
  EXPECT_EQ(transport.Count("$FPxx"), 3);  // between the tries, on Retry, on Cancel
  EXPECT_EQ(transport.Count("$R"), 0);     // the stored words are read only after a reply
}

TEST_F(LinkFixture, ReadSamplesWithoutItsStoredWordsIsEmpty) {
  state.CodVariante = 4;
  device.silentReads = 1000;
  auto inner = transport.responder;
  transport.responder = [&](ScriptedTransport& t, const std::string& f) {
    inner(t, f);
    if (f.rfind("$S", 0) == 0) t.Deliver(Reply(std::string(2 * 32, '\0') + "\x05"), 0.01);
  };
  dialogs.answers = {Answer::Cancel};  // the stored-word read's own question
  EXPECT_TRUE(link.ReadSamples(5).empty());
  EXPECT_EQ(state.ErroreCom, 1);
  EXPECT_EQ(dialogs.boxes.size(), 1u);
}

TEST_F(LinkFixture, ReadSamplesWithWrongEchoIsEmpty) {
  state.CodVariante = 7;  // 63 + 1
  auto inner = transport.responder;
  transport.responder = [&](ScriptedTransport& t, const std::string& f) {
    inner(t, f);
    if (f.rfind("$S", 0) == 0) t.Deliver(Reply(std::string(128, '\0') + "\x05"), 0.01);
  };
  EXPECT_TRUE(link.ReadSamples(0).empty());
  EXPECT_EQ(state.ErroreCom, 1);
  EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(LinkFixture, ReadMeasureTakesTheFrameForTheVariant) {
  state.CodVariante = 0;
  EXPECT_EQ(link.MeasureTemplate().size(), 16u);
  state.CodVariante = 5;
  EXPECT_EQ(link.MeasureTemplate().size(), 15u);
  state.CodVariante = 3;
  EXPECT_EQ(link.MeasureTemplate().size(), 9u);
  state.CodProdotto = 11;
  EXPECT_EQ(link.MeasureTemplate().size(), 7u);

  state.CodProdotto = 12;
  state.CodVariante = 0;
  std::string frame = "A";
  for (int i = 1; i <= 14; ++i) frame.push_back(static_cast<char>(i * 10));
  frame.push_back('\r');
  transport.Deliver("\r\r" + frame, 0.05);
  auto m = link.ReadMeasure();
  EXPECT_EQ(m[0], 0);
  for (int i = 1; i <= 14; ++i) EXPECT_EQ(m[static_cast<std::size_t>(i)], i * 10);
}

TEST_F(LinkFixture, ReadMeasureRetryRestartsTheStream) {
  state.CodVariante = 3;
  dialogs.answers = {Answer::Retry, Answer::Cancel};
  auto m = link.ReadMeasure();
  EXPECT_EQ(m[0], 1);
  EXPECT_EQ(transport.written, (std::vector<std::string>{"SM\r", "MI\r"}));
}

TEST_F(LinkFixture, SendValueSendsTwosComplement) {
  link.SendValueA(-1);
  link.SendValueB(0x1234);
  EXPECT_EQ(transport.written[0], Bytes({0x24, 0x49, 0xFF, 0xFF, 0x00, 0x0D}));
  EXPECT_EQ(transport.written[1], Bytes({0x24, 0x69, 0x12, 0x34, 0x00, 0x0D}));
  EXPECT_NEAR(transport.ElapsedSeconds(), 0.4, 1e-6);
}
