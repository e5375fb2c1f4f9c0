// The converter's measurement stream: the simulated signals, the channel
// set-up it works from (switches or memory), channel B's output on the
// two-output models, and the trip bits with their delay.
#include <gtest/gtest.h>

#include "link/codecs.h"
#include "sim/measure.h"
#include "sim/sample_tables.h"
#include "sim_util.h"

using namespace korventa;
using namespace korventa::sim;
using namespace korventa::sim::test;

namespace {

double Value(const std::string& frame, int at) {
  auto byte = [&](int i) { return static_cast<std::uint8_t>(frame[static_cast<std::size_t>(i)]); };
  return DecodeMeasureFloat(byte(at), byte(at + 1), byte(at + 2));
}

// The frames streamed between `from` and `to` seconds after "MI" at 0.
std::vector<std::string> Stream(VirtualConverter& dev, double to) {
  Exchange(dev, korventa::protocol::FrameStartMeasure(), 0.0);
  std::vector<Emission> out;
  dev.Advance(At(to), out);
  std::vector<std::string> frames;
  for (const auto& e : out) frames.push_back(e.bytes);
  return frames;
}

// What a client scaling with the calibration constants makes of a raw
// count (most models: CalOut0 at 800 counts).
double Output(const MemoryBank& m, int address, double raw) {
  const double c0 = GetFloat(m, address), c1 = GetFloat(m, address + 3);
  return c0 + (c1 - c0) * (raw - 800) / 2700;
}

}  // namespace

TEST(Signal, ParsesTheFourKindsAndRefusesTheRest) {
  Signal s;
  std::string error;
  ASSERT_TRUE(ParseSignal("steady:-12.5", s, error)) << error;
  EXPECT_EQ(s.kind, Signal::Kind::Steady);
  EXPECT_EQ(s.low, -12.5);
  ASSERT_TRUE(ParseSignal("ramp:0:1000:30", s, error)) << error;
  EXPECT_EQ(s.kind, Signal::Kind::Ramp);
  EXPECT_EQ(s.high, 1000);
  EXPECT_EQ(s.period, 30);
  ASSERT_TRUE(ParseSignal("sine:4:20", s, error)) << error;
  EXPECT_EQ(s.period, 20);
  ASSERT_TRUE(ParseSignal("sweep", s, error));
  for (const char* bad : {"", "steady", "steady:1:2", "ramp:0", "sine:0:1:0", "sine:0:x", "noise:1", "steady:1e999"})
    EXPECT_FALSE(ParseSignal(bad, s, error)) << bad;
}

TEST(Stream, SignalsDriveTheSwitchSetRangeAndTheSecondOutput) {
  // PLV7120A (two outputs): Tc J from the switches, 0..10 V on both.
  ConverterConfig cfg = ConfigFor("PLV7120A");
  cfg.dip = {0x27, 0xB2, 0, 0};
  Signal a, b;
  a.kind = Signal::Kind::Ramp;
  a.low = 100;
  a.high = 200;
  a.period = 10;
  b.kind = Signal::Kind::Steady;
  b.low = 150;
  cfg.model = std::make_shared<SignalModel>(std::array<Signal, 2>{a, b});
  VirtualConverter dev(cfg);
  const auto ch = ActiveChannels(dev.Identity(), dev.Bank(0), cfg.dip);
  ASSERT_TRUE(ch[0].fromSwitches);
  EXPECT_EQ(ch[0].code, 7);
  EXPECT_EQ(ch[0].outputType, 2);
  const auto t = MakeSampleTables(2, 7);
  EXPECT_DOUBLE_EQ(ch[0].inMax, t.span[49] / 10.0);
  EXPECT_DOUBLE_EQ(ch[0].inMin, t.zero[1] / 10.0);

  const auto frames = Stream(dev, 5.05);
  ASSERT_EQ(frames.size(), 50u);
  for (std::size_t i : {0u, 24u, 49u}) {
    const double seconds = 0.1 * static_cast<double>(i + 1);
    const double x = 100 + 100 * seconds / 10;
    const double o = 10 * (x - ch[0].inMin) / (ch[0].inMax - ch[0].inMin);
    EXPECT_NEAR(Output(dev.Bank(0), 100, Value(frames[i], 2)), o, 2e-3) << i;
    // Channel B's value comes in full, not cut down to the status byte.
    const double ob = 10 * (150 - ch[1].inMin) / (ch[1].inMax - ch[1].inMin);
    EXPECT_NEAR(Output(dev.Bank(0), 112, Value(frames[i], 5)), ob, 2e-3) << i;
  }
  // Without a switch code the memory set-up holds, as before.
  const auto memory = ActiveChannels(dev.Identity(), dev.Bank(0), {0, 0, 0, 0});
  EXPECT_FALSE(memory[0].fromSwitches);
  EXPECT_EQ(memory[0].code, 7);
  EXPECT_EQ(memory[0].inMax, 400);
}

TEST(Stream, TripsWaitTheirDelay) {
  // PLV7100: trip A on the maximum at 800 °C, back below 780 °C, 2 s delay.
  ConverterConfig cfg = ConfigFor("PLV7100");
  Signal a;
  a.kind = Signal::Kind::Ramp;
  a.low = 790;
  a.high = 810;
  a.period = 10;  // above 800 after 5 s
  cfg.model = std::make_shared<SignalModel>(std::array<Signal, 2>{a, Signal{}});
  VirtualConverter dev(cfg);
  const auto frames = Stream(dev, 9.95);
  auto status = [&](double seconds) {
    return static_cast<int>(static_cast<std::uint8_t>(frames.at(static_cast<std::size_t>(seconds * 10 + 0.5) - 1)[14]));
  };
  EXPECT_EQ(status(4.9), 0x00);
  EXPECT_EQ(status(5.5), 0x10) << "pending while the delay runs";
  EXPECT_EQ(status(6.9), 0x10);
  EXPECT_EQ(status(7.2), 0x01) << "tripped once the delay has passed";
  EXPECT_EQ(status(9.9), 0x01);
}

TEST(Stream, FourWireSwitchesKeepTheRangeInMemory) {
  // PLV3100: the switches choose Pot50K; span and zero stay the memory's,
  // so the output follows the signal across that range.
  ConverterConfig cfg = ConfigFor("PLV3100");
  cfg.dip = {0x27, 0x85, 0, 0};
  Signal a;
  a.kind = Signal::Kind::Steady;
  a.low = 840;
  cfg.model = std::make_shared<SignalModel>(std::array<Signal, 2>{a, Signal{}});
  VirtualConverter dev(cfg);
  const auto ch = ActiveChannels(dev.Identity(), dev.Bank(0), cfg.dip);
  const auto memory = ActiveChannels(dev.Identity(), dev.Bank(0), {0, 0, 0, 0});
  ASSERT_TRUE(ch[0].fromSwitches);
  EXPECT_EQ(ch[0].code, 23);
  EXPECT_EQ(ch[0].inMin, memory[0].inMin);
  EXPECT_EQ(ch[0].inMax, memory[0].inMax);
  ASSERT_GT(ch[0].inMax, ch[0].inMin);
  const auto frames = Stream(dev, 0.15);
  ASSERT_FALSE(frames.empty());
  // This model keeps its output constants the other way round.
  const int cal = 100 + (ch[0].current ? 6 : 0);
  const MemoryBank& m = dev.Bank(0);
  const double c0 = GetFloat(m, cal + 3), c1 = GetFloat(m, cal);
  const double o = c0 + (c1 - c0) * (Value(frames[0], 2) - 800) / 2700;
  const double share = (840 - ch[0].inMin) / (ch[0].inMax - ch[0].inMin);
  EXPECT_NEAR(o, ch[0].outMin + share * (ch[0].outMax - ch[0].outMin), 2e-3);
}
