// The real device link over the serial transport, talking to korventa-sim
// through a pseudo-terminal: every layer between a command and the bytes on
// the line, including the faults a cable and a tired converter produce.
#include <QTimer>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include <gtest/gtest.h>

#include "app/state.h"
#include "link/codecs.h"
#include "link/link.h"
#include "qt/link/serial_transport.h"
#include "sim/identity.h"
#include "sim/sample_tables.h"
#include "sim_process.h"
#include "support/scripted_dialogs.h"

namespace korventa {
namespace {

using qt::SerialTransport;
using qt::WaitMode;

struct RecordingBusy : BusyObserver {
  void SetBusy(bool b) override { busy = b; }
  void SetMainEnabled(bool e) override { mainEnabled = e; }
  void PortLost() override { ++portLost; }
  bool busy = false;
  bool mainEnabled = true;
  int portLost = 0;
};

// A configuration memory with the awkward bytes in the block the program
// reads: CR, LF and the reply lead "*" as data.
std::array<std::uint8_t, 256> TestImage() {
  std::array<std::uint8_t, 256> m{};
  for (std::size_t i = 0; i < m.size(); ++i) m[i] = static_cast<std::uint8_t>((i * 37 + 11) & 0xFF);
  m[5] = 13;
  m[6] = 10;
  m[7] = '*';
  m[13] = 13;
  m[14] = 13;
  m[15] = 10;
  return m;
}

class LinkOverSim : public ::testing::Test {
 protected:
  LinkOverSim() : LinkOverSim(WaitMode::Blocking) {}
  explicit LinkOverSim(WaitMode mode) : transport(mode), link(state, transport, dialogs, busy) {}

  void SetUp() override {
    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::replace(name.begin(), name.end(), '/', '_');
    dir = std::filesystem::temp_directory_path() / ("korventa-it-" + std::to_string(::getpid()) + "-" + name);
    std::filesystem::create_directories(dir);
    memoryFile = (dir / "memory.bin").string();
    std::ofstream(memoryFile, std::ios::binary).write(reinterpret_cast<const char*>(image.data()), image.size());
  }
  void TearDown() override {
    link.ClosePort();
    sim.Stop();
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }

  // Starts a simulator with the test image in memory and opens it.
  void Connect(std::vector<std::string> args) {
    args.insert(args.end(), {"--memory", memoryFile});
    std::string error;
    ASSERT_TRUE(sim.Start(args, error)) << error;
    ASSERT_TRUE(link.OpenPort(sim.SlavePath(), error)) << error;
  }

  std::vector<std::uint8_t> Expected(int from, int count) const {
    return {image.begin() + from, image.begin() + from + count};
  }
  static std::vector<std::uint8_t> First(const std::array<std::uint8_t, 257>& r, int count) {
    return {r.begin(), r.begin() + count};
  }

  const std::array<std::uint8_t, 256> image = TestImage();
  std::filesystem::path dir;
  std::string memoryFile;
  test::SimProcess sim;
  ProgramState state;
  test::ScriptedDialogs dialogs;
  RecordingBusy busy;
  SerialTransport transport;
  Link link;
};

TEST_F(LinkOverSim, IdentifiesTheDeviceAndReadsItsConfiguration) {
  ASSERT_NO_FATAL_FAILURE(Connect({"--model", "PLV7110A", "--firmware", "7", "--extra", "3"}));
  const auto id = sim::IdentityForModel("PLV7110A");
  ASSERT_TRUE(id);

  const auto product = link.ReadProduct();
  EXPECT_EQ(product[0], 0);
  EXPECT_EQ(state.CodProdotto, 12);
  EXPECT_EQ(state.CodVariante, id->variant);
  EXPECT_EQ(state.VerSw, 7);
  EXPECT_EQ(state.IdExtra, 3);

  const auto bytes = link.ReadBytes(0, 0, 65);
  EXPECT_EQ(state.ErroreCom, 0);
  EXPECT_EQ(First(bytes, 65), Expected(0, 65));
  EXPECT_EQ(state.EERAM, Expected(0, 65));
  EXPECT_TRUE(dialogs.boxes.empty());
  EXPECT_FALSE(busy.busy);
  EXPECT_TRUE(busy.mainEnabled);

  // Closing and opening the port again finds the device as before.
  link.ClosePort();
  std::string error;
  ASSERT_TRUE(link.OpenPort(sim.SlavePath(), error)) << error;
  EXPECT_EQ(First(link.ReadBytes(0, 60, 5), 5), Expected(60, 5));
}

TEST_F(LinkOverSim, WrittenBytesReadBack) {
  ASSERT_NO_FATAL_FAILURE(Connect({"--model", "PLV7100"}));
  state.BufIndirizzi = {3, 10, 64};
  state.BufDati = {0xAA, 13, 0};
  ASSERT_TRUE(link.WriteBytes(0, 3));
  EXPECT_EQ(state.ErroreCom, 0);

  auto expected = Expected(0, 65);
  expected[3] = 0xAA;
  expected[10] = 13;
  expected[64] = 0;
  EXPECT_EQ(First(link.ReadBytes(0, 0, 65), 65), expected);
  EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(LinkOverSim, ReadsSwitchesAndSpanZeroTables) {
  ASSERT_NO_FATAL_FAILURE(Connect({"--model", "PLV7100", "--dip", "1,2,200,13"}));
  state.CodProdotto = 12;
  state.CodVariante = 0;  // long switch reply, 63 + 15 table words

  EXPECT_EQ(link.ReadDip(), (std::array<int, 4>{1, 2, 200, 13}));
  EXPECT_EQ(state.ErroreCom, 0);

  const int channel = 1;
  const auto words = link.ReadSamples(channel);
  ASSERT_EQ(state.ErroreCom, 0);
  const auto tables = sim::MakeSampleTables(0, channel);
  ASSERT_EQ(tables.span.size(), 63u);
  ASSERT_EQ(tables.zero.size(), 15u);
  ASSERT_EQ(words.size(), 2u + 63u + 15u);
  auto asSigned = [](long v) { return static_cast<int>(static_cast<std::int16_t>(static_cast<std::uint16_t>(v))); };
  // Stored words of the channel come from memory at 128 + 4 x channel.
  EXPECT_EQ(words[0], JoinWord(image[133], image[132], true));
  EXPECT_EQ(words[64], JoinWord(image[135], image[134], true));
  for (std::size_t k = 0; k < 63; ++k) EXPECT_EQ(words[1 + k], asSigned(tables.span[k])) << "span " << k;
  for (std::size_t k = 0; k < 15; ++k) EXPECT_EQ(words[65 + k], asSigned(tables.zero[k])) << "zero " << k;
  EXPECT_EQ(state.EERAM, Expected(132, 4));
  EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(LinkOverSim, ReadsStreamedMeasurementsAfterStarting) {
  ASSERT_NO_FATAL_FAILURE(Connect({"--model", "PLV7110A", "--rate", "50"}));
  ASSERT_EQ(link.ReadProduct()[0], 0);
  link.StartMeasure();
  for (int i = 0; i < 3; ++i) {
    // Each frame is taken as it comes: a time-out would have asked.
    const auto m = link.ReadMeasure();
    EXPECT_EQ(m[0], 0);
    EXPECT_TRUE(dialogs.boxes.empty()) << "frame " << i << " was waited out";
    // Output A in raw counts; the converter's calibration points are 800
    // and 3500, and its output never leaves the neighbourhood.
    const double outA = DecodeMeasureFloat(m[2], m[3], m[4]);
    EXPECT_GT(outA, 100.0);
    EXPECT_LT(outA, 5000.0);
  }
  link.StopMeasure();
  EXPECT_TRUE(dialogs.boxes.empty());
}

// Noise, replies in pieces and stale replies in front of the wanted one do
// not change what is read.
class LinkOverFaultySim : public LinkOverSim, public ::testing::WithParamInterface<std::vector<std::string>> {};

TEST_P(LinkOverFaultySim, StillReadsCorrectly) {
  auto args = GetParam();
  args.insert(args.end(), {"--model", "PLV7110A", "--seed", "7"});
  ASSERT_NO_FATAL_FAILURE(Connect(args));
  const auto product = link.ReadProduct();
  EXPECT_EQ(product[0], 0);
  EXPECT_EQ(state.CodVariante, sim::IdentityForModel("PLV7110A")->variant);
  EXPECT_EQ(First(link.ReadBytes(0, 0, 65), 65), Expected(0, 65));
  EXPECT_EQ(state.ErroreCom, 0);
  EXPECT_TRUE(dialogs.boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(Faults, LinkOverFaultySim,
                         ::testing::Values(std::vector<std::string>{"--split"},
                                           std::vector<std::string>{"--garbage", "0.5"},
                                           std::vector<std::string>{"--stale", "0.5"},
                                           std::vector<std::string>{"--split", "--garbage", "0.3"}),
                         [](const ::testing::TestParamInfo<std::vector<std::string>>& info) {
                           std::string name;
                           for (const auto& a : info.param)
                             if (a.rfind("--", 0) == 0) name += (name.empty() ? "" : "_") + a.substr(2);
                           return name;
                         });
// Not combined: split and stale together. The stale reply then completes
// before the wanted one has arrived, and nothing in a "$R" reply that the
// program interprets tells the two apart.

TEST_F(LinkOverSim, VanishedPortIsReportedAndANewOneCanBeOpened) {
  ASSERT_NO_FATAL_FAILURE(Connect({"--model", "PLV7100", "--vanish-after", "12"}));
  const auto bytes = link.ReadBytes(0, 0, 65);
  EXPECT_EQ(bytes[0], 1);
  EXPECT_EQ(state.ErroreCom, 1);
  EXPECT_EQ(busy.portLost, 1);
  EXPECT_TRUE(link.LastFailureWasPort());
  EXPECT_FALSE(link.PortOpen());
  // A port error ends the read at once, without a question: waiting out
  // the time-outs of its tries would have ended in one.
  EXPECT_TRUE(dialogs.boxes.empty());
  EXPECT_FALSE(busy.busy);
  EXPECT_TRUE(busy.mainEnabled);

  // The adapter comes back (as a new terminal): open it and carry on.
  test::SimProcess again;
  std::string error;
  ASSERT_TRUE(again.Start({"--model", "PLV7100", "--memory", memoryFile}, error)) << error;
  ASSERT_TRUE(link.OpenPort(again.SlavePath(), error)) << error;
  EXPECT_EQ(link.ReadProduct()[0], 0);
  EXPECT_EQ(First(link.ReadBytes(0, 0, 8), 8), Expected(0, 8));
  link.ClosePort();
}

class LinkOverSimInEventLoop : public LinkOverSim {
 protected:
  LinkOverSimInEventLoop() : LinkOverSim(WaitMode::EventLoop) {}
};

TEST_F(LinkOverSimInEventLoop, ReadsWhileTheProgramStaysResponsive) {
  ASSERT_NO_FATAL_FAILURE(Connect({"--model", "PLV7110A", "--split"}));
  // Stands for repaints and clicks: it must keep running during a read.
  int ticks = 0;
  QTimer ui;
  QObject::connect(&ui, &QTimer::timeout, [&ticks] { ++ticks; });
  ui.start(10);

  EXPECT_EQ(link.ReadProduct()[0], 0);
  EXPECT_EQ(First(link.ReadBytes(0, 0, 24), 24), Expected(0, 24));
  EXPECT_EQ(state.ErroreCom, 0);
  EXPECT_GT(ticks, 20);
  EXPECT_TRUE(dialogs.boxes.empty());
}

}  // namespace
}  // namespace korventa
