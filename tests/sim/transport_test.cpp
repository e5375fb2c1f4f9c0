#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>

#include "app/busy.h"
#include "app/state.h"
#include "link/codecs.h"
#include "link/link.h"
#include "sim/options.h"
#include "sim/sample_tables.h"
#include "sim_util.h"
#include "support/scripted_dialogs.h"

using namespace korventa;
using namespace korventa::sim;
namespace p = korventa::protocol;

namespace {

struct CountingBusy : BusyObserver {
  int lost = 0;
  void PortLost() override { ++lost; }
};

std::unique_ptr<SimTransport> OpenPort(const SimOptions& o) {
  std::string error;
  auto port = MakeSimTransport(o, error);
  if (!port) throw std::runtime_error(error);
  port->Open(error);
  return port;
}

struct Bench {
  explicit Bench(const SimOptions& o = {}) : port(OpenPort(o)) {}
  ProgramState state;
  std::unique_ptr<SimTransport> port;
  korventa::test::ScriptedDialogs dialogs;
  CountingBusy busy;
  Link link{state, *port, dialogs, busy};
};

SimOptions Model(const std::string& code) {
  SimOptions o;
  o.model = code;
  return o;
}

}  // namespace

TEST(SimTransport, LinkIdentifiesReadsAndWritesOnAVirtualClock) {
  Bench b(Model("PLV7210C"));
  const auto wallStart = std::chrono::steady_clock::now();
  const auto id = b.link.ReadProduct();
  EXPECT_EQ(id[0], 0);
  EXPECT_EQ(b.state.CodVariante, 6);
  EXPECT_EQ(b.state.CodProdotto, 12);
  EXPECT_EQ(b.state.VerSw, 4);

  const auto bytes = b.link.ReadBytes(0, 0, 65);
  EXPECT_EQ(b.state.ErroreCom, 0);
  const MemoryBank& m = b.port->Converter().Bank(0);
  for (int a = 0; a < 65; ++a) EXPECT_EQ(bytes[static_cast<std::size_t>(a)], m[static_cast<std::size_t>(a)]) << a;
  EXPECT_EQ(bytes[4] & 0x60, 0x20) << "line bits of the 7210";

  b.state.BufIndirizzi = {40, 41};
  b.state.BufDati = {0x12, 0x34};
  EXPECT_TRUE(b.link.WriteBytes(0, 2));
  EXPECT_EQ(m[40], 0x12);
  EXPECT_EQ(m[41], 0x34);
  EXPECT_FALSE(b.port->Converter().InProgramMode()) << "every transaction leaves program mode";

  // Dozens of pauses and exchanges pass on the virtual clock, none of them
  // on the real one: really sleeping through them would take longer.
  EXPECT_GT(b.port->ElapsedSeconds(), 1.0);
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count(),
            b.port->ElapsedSeconds());
  EXPECT_TRUE(b.dialogs.boxes.empty());
}

TEST(SimTransport, LinkReadsTablesSwitchesAndMeasurements) {
  SimOptions o = Model("PLV7100");
  o.dip = {0x27, 0x14, 0x03, 0x00};
  Bench b(o);
  b.link.ReadProduct();
  const auto t = b.link.ReadSamples(8);
  ASSERT_EQ(t.size(), 80u);
  EXPECT_EQ(t[0], 13000) << "stored span of Tc K";
  EXPECT_EQ(t[64], -2000) << "stored zero of Tc K";
  const SampleTables tables = MakeSampleTables(0, 8);
  EXPECT_EQ(t[1], tables.span[0]);
  EXPECT_EQ(t[63], tables.span[62]);
  EXPECT_EQ(t[65], tables.zero[0]);

  const auto dip = b.link.ReadDip();
  EXPECT_EQ(dip, (std::array<int, 4>{0x27, 0x14, 0x03, 0x00}));

  b.link.StartMeasure();
  const auto m = b.link.ReadMeasure();
  EXPECT_EQ(m[0], 0);
  const double raw = DecodeMeasureFloat(m[2], m[3], m[4]);
  EXPECT_GT(raw, 800.0);
  EXPECT_LT(raw, 3500.0);
  b.link.StopMeasure();
  EXPECT_FALSE(b.port->Converter().Streaming());
}

TEST(SimTransport, ClosedPortBehavesLikeAPort) {
  Bench b;
  b.port->Close();
  const std::uint8_t byte = 'x';
  EXPECT_EQ(b.port->Write({&byte, 1}), IoStatus::NotOpen);
  std::vector<std::uint8_t> got;
  EXPECT_EQ(b.port->ReadAll(got), IoStatus::NotOpen);
  const auto id = b.link.ReadProduct();
  EXPECT_EQ(id[0], 1);
  ASSERT_FALSE(b.dialogs.boxes.empty());
  EXPECT_EQ(b.dialogs.boxes.back().text, "COM Port not open");

  // Reopened, stale bytes from before are gone and the device answers.
  std::string error;
  ASSERT_TRUE(b.port->Open(error));
  EXPECT_EQ(b.link.ReadProduct()[0], 0);
}

TEST(SimTransport, LinkSeesThroughNoiseSplitsAndStaleReplies) {
  // A stale reply is harmless only when it arrives together with the
  // wanted one (the last candidate wins); split or paced, it would be
  // complete first and taken. So the stale case runs unsplit.
  for (int combo = 0; combo < 2; ++combo) {
    SimOptions o = Model("PLV7110A");
    o.faults.garbage = 1;
    o.faults.split = combo == 0;
    o.faults.stale = combo == 1 ? 1 : 0;
    o.faults.seed = 11;
    Bench b(o);
    // The "OK" to "PR" is never clean, so the link never sees it; the
    // device is in program mode all the same and the reads go through.
    const auto bytes = b.link.ReadBytes(0, 0, 8);
    EXPECT_EQ(b.state.ErroreCom, 0) << combo;
    for (int a = 0; a < 8; ++a)
      EXPECT_EQ(bytes[static_cast<std::size_t>(a)], b.port->Converter().Bank(0)[static_cast<std::size_t>(a)])
          << combo << " at " << a;
  }
}

TEST(SimTransport, VanishingPortIsReportedAndCanBeReopened) {
  SimOptions v;
  v.faults.vanishAfter = 3;  // "SM", "PR", "$V" are served, "$FPxx" is lost
  Bench b(v);
  b.link.ReadProduct();
  EXPECT_EQ(b.busy.lost, 1);
  EXPECT_FALSE(b.port->IsOpen()) << "the link closes a vanished port";
  std::string error;
  ASSERT_TRUE(b.link.OpenPort("SIM", error));
  EXPECT_EQ(b.link.ReadProduct()[0], 0);
}

TEST(SimTransport, VirtualWaitJumpsToTheNextByteOrTheDeadline) {
  SimOptions o;
  o.baud = 9600;
  Bench b(o);
  const std::string pr = p::FrameEnterProgram();
  const Clock::time_point t0 = b.port->Now();
  b.port->Write({reinterpret_cast<const std::uint8_t*>(pr.data()), pr.size()});
  b.port->Wait(t0 + std::chrono::seconds(1), true);
  // The first answer byte arrives after 3 + 1 byte times.
  EXPECT_EQ(b.port->Now(), t0 + 4 * b.port->Line().ByteTime());
  b.port->Wait(t0 + std::chrono::seconds(1), false);
  EXPECT_EQ(b.port->Now(), t0 + std::chrono::seconds(1));
  std::vector<std::uint8_t> got;
  EXPECT_EQ(b.port->ReadAll(got), IoStatus::Ok);
  EXPECT_EQ(std::string(got.begin(), got.end()), "OK\r\n");
}

TEST(SimTransport, RealTimeWaitSleepsUntilTheReply) {
  SimOptions o;
  o.baud = 1200;  // 8.3 ms a byte: "PR" CR and the first answer byte take about 33 ms
  o.clock = ClockMode::RealTime;
  Bench b(o);
  const std::string pr = p::FrameEnterProgram();
  const Clock::time_point t0 = b.port->Now();
  b.port->Write({reinterpret_cast<const std::uint8_t*>(pr.data()), pr.size()});
  b.port->Wait(t0 + std::chrono::seconds(2), true);
  const double waited = std::chrono::duration<double>(b.port->Now() - t0).count();
  EXPECT_GE(waited, 4 * 10.0 / 1200 - 0.001);
  EXPECT_LT(waited, 0.5);
  std::vector<std::uint8_t> got;
  b.port->ReadAll(got);
  EXPECT_FALSE(got.empty());
  EXPECT_EQ(got[0], 'O');
}
