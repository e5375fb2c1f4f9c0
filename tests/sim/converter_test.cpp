#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "link/codecs.h"
#include "link/models.h"
#include "sim/measure.h"
#include "sim/sample_tables.h"
#include "sim_util.h"

using namespace korventa;
using namespace korventa::sim;
using namespace korventa::sim::test;
namespace p = korventa::protocol;

TEST(Converter, AnswersEveryCommandByteForByte) {
  VirtualConverter dev(ConfigFor("PLV7210C"));
  EXPECT_EQ(Exchange(dev, p::FrameEnterProgram()), "OK\r\n");
  EXPECT_EQ(Exchange(dev, p::FrameProduct()), Bytes({'*', 6, 4, 0, 12, 13, 10}));
  dev.Bank(0)[5] = 0x7B;
  EXPECT_EQ(Exchange(dev, p::FrameRead(0, 5)), Bytes({'*', 0, 5, 0x7B, 13, 10}));
  EXPECT_EQ(Exchange(dev, p::FrameWrite(0, 0x10, 0x41)), "");
  EXPECT_EQ(dev.Bank(0)[0x10], 0x41);
  dev.SetDip({0x21, 0x35, 0x47, 0x59});
  EXPECT_EQ(Exchange(dev, p::FrameDip()), Bytes({'*', 0x21, 0x35, 13, 10}));  // short-reply model
  EXPECT_EQ(Exchange(dev, p::FrameValueA(0xFF, 0xFF)), "");
  EXPECT_EQ(dev.Forced()[0], -1);
  EXPECT_EQ(Exchange(dev, p::FrameValueB(0x0D, 0xAC)), "");
  EXPECT_EQ(dev.Forced()[1], 3500);
  EXPECT_EQ(Exchange(dev, p::FrameExitProgram()), "");
  EXPECT_FALSE(dev.InProgramMode());
  EXPECT_FALSE(dev.Forced()[0]) << "forcing ends with program mode";
  EXPECT_EQ(dev.FramesReceived(), 8);
}

TEST(Converter, MemoryTablesSwitchesAndIdentityAnswerOnlyInProgramMode) {
  VirtualConverter dev(ConfigFor("PLV7100"));
  for (const std::string& f : {p::FrameProduct(), p::FrameRead(0, 4), p::FrameDip(), p::FrameSamples(8)})
    EXPECT_EQ(Exchange(dev, f), "") << "answered outside program mode: " << f[1];
  const std::uint8_t before = dev.Bank(0)[30];
  Exchange(dev, p::FrameWrite(0, 30, static_cast<std::uint8_t>(before ^ 0xFF)));
  EXPECT_EQ(dev.Bank(0)[30], before) << "a write outside program mode changed memory";
  Exchange(dev, p::FrameValueA(0x03, 0x20));
  EXPECT_EQ(dev.Forced()[0], 800) << "outputs can be forced at any time";

  Exchange(dev, p::FrameEnterProgram());
  EXPECT_EQ(Exchange(dev, p::FrameProduct()).size(), 7u);
  Exchange(dev, p::FrameExitProgram());
  EXPECT_EQ(Exchange(dev, p::FrameRead(0, 4)), "");
}

TEST(Converter, BanksAreSeparateAndBinaryBytesAreData) {
  VirtualConverter dev(ConfigFor("PLV7100"));
  Exchange(dev, p::FrameEnterProgram());
  // Address 13 holding '$': both look like protocol bytes but sit at fixed
  // positions of the frame.
  Exchange(dev, p::FrameWrite(0, 13, '$'));
  EXPECT_EQ(Exchange(dev, p::FrameRead(0, 13)), Bytes({'*', 0, 13, '$', 13, 10}));
  Exchange(dev, p::FrameWrite(1, 13, 0x55));
  EXPECT_EQ(dev.Bank(0)[13], '$');
  EXPECT_EQ(Exchange(dev, p::FrameRead(1, 13)), Bytes({'*', 1, 13, 0x55, 13, 10}));
  EXPECT_EQ(Exchange(dev, p::FrameRead(2, 200)), Bytes({'*', 2, 200, 0xFF, 13, 10})) << "unwritten bank";
}

TEST(Converter, SwitchReplyLengthFollowsVariantAndFamily) {
  struct Case {
    const char* model;
    std::optional<int> product;
    std::size_t length;
  };
  for (Case c : {Case{"PLV7100", {}, 7}, Case{"PLV7100", 11, 5}, Case{"PLV7300", {}, 7}, Case{"PLV7150", {}, 7},
                 Case{"PLV3100", {}, 7}, Case{"PLV7110A", {}, 5}, Case{"PLV7220D", {}, 5}}) {
    ConverterConfig cfg = ConfigFor(c.model);
    if (c.product) cfg.identity.product = static_cast<std::uint8_t>(*c.product);
    cfg.dip = {1, 2, 3, 4};
    VirtualConverter dev(cfg);
    Exchange(dev, p::FrameEnterProgram());
    const std::string r = Exchange(dev, p::FrameDip());
    ASSERT_EQ(r.size(), c.length) << c.model;
    EXPECT_EQ(r.substr(1, c.length - 3), Bytes({1, 2, 3, 4}).substr(0, c.length - 3)) << c.model;
  }
}

TEST(Converter, SampleReplyCarriesBothTablesAndTheEcho) {
  struct Case {
    const char* model;
    std::optional<int> variant;
    int n;
  };
  for (Case c : {Case{"PLV7100", {}, 78}, Case{"PLV7110D", {}, 32}, Case{"PLV7220D", 5, 32}, Case{"PLV7300", {}, 64},
                 Case{"PLV7120C", {}, 78}}) {
    ConverterConfig cfg = ConfigFor(c.model);
    if (c.variant) cfg.identity.variant = static_cast<std::uint8_t>(*c.variant);
    VirtualConverter dev(cfg);
    Exchange(dev, p::FrameEnterProgram());
    const std::uint8_t code = cfg.identity.variant == 4 || cfg.identity.variant == 5 ? 5 : 8;
    const std::string r = Exchange(dev, p::FrameSamples(code));
    ASSERT_EQ(r.size(), static_cast<std::size_t>(2 * c.n + 4)) << c.model;
    EXPECT_EQ(r.front(), '*');
    EXPECT_EQ(static_cast<std::uint8_t>(r[static_cast<std::size_t>(2 * c.n + 1)]), code);
    EXPECT_EQ(r.substr(r.size() - 2), "\r\n");
  }
}

TEST(Converter, TablesFollowTheWizardTables) {
  // Tc K on the PLV7100: the wizard's table 0 in tenths of a degree.
  SampleTables k = MakeSampleTables(0, 8);
  ASSERT_EQ(k.span.size(), 63u);
  ASSERT_EQ(k.zero.size(), 15u);
  for (std::size_t i = 1; i < k.span.size(); ++i) EXPECT_GT(k.span[i], k.span[i - 1]);
  for (std::size_t i = 1; i < k.zero.size(); ++i) EXPECT_GT(k.zero[i], k.zero[i - 1]);
  EXPECT_EQ(k.span.back(), 18500);
  EXPECT_EQ(k.zero.front(), -2000);
  // Two-channel models: (zero, span) pairs of the D ranges, position 1
  // 0..20 mA and position 2 4..20 mA; the first table's eighth pair is
  // never picked.
  SampleTables ma = MakeSampleTables(4, 5);
  ASSERT_EQ(ma.span.size(), 16u);
  for (std::size_t i = 0; i < 14; i += 2) EXPECT_LT(ma.span[i], ma.span[i + 1]);
  for (std::size_t i = 0; i < ma.zero.size(); i += 2) EXPECT_LT(ma.zero[i], ma.zero[i + 1]);
  EXPECT_EQ(ma.span[1], 20000);
  EXPECT_EQ(ma.span[2], 4000);
  // The frequency converter: hertz at divider 1000, 0.5 to 29.5 kHz, then
  // the last entry repeated; a single zero.
  SampleTables f = MakeSampleTables(7, 1);
  EXPECT_EQ(f.zero, std::vector<long>{0});
  EXPECT_EQ(f.span.front(), 500);
  EXPECT_EQ(f.span.back(), 29500);
}

TEST(Converter, ResynchronisesAfterGarbage) {
  VirtualConverter dev(ConfigFor("PLV7100"));
  EXPECT_EQ(Exchange(dev, "xQ\r$Z" + p::FrameEnterProgram()), "OK\r\n");
  // A stray "$" glued to a frame: the first candidate is six bytes long
  // but does not end in CR, so the parser moves on by one byte.
  EXPECT_EQ(Exchange(dev, "$" + p::FrameProduct()).size(), 7u);
  EXPECT_EQ(Exchange(dev, "SP" + p::FrameRead(0, 0)).size(), 6u);
  EXPECT_EQ(Exchange(dev, "$FPxy\r" + p::FrameEnterProgram()), "OK\r\n");
}

TEST(Converter, AbandonsAFrameLeftIncomplete) {
  VirtualConverter dev(ConfigFor("PLV7100"));
  std::vector<Emission> out;
  for (char c : std::string("$R\x00", 3)) dev.Receive(static_cast<std::uint8_t>(c), At(0.0), out);
  ASSERT_TRUE(dev.NextTimer());
  EXPECT_EQ(*dev.NextTimer(), At(0.1));
  // Without the receive time-out "PR" CR would complete the stale "$R".
  EXPECT_EQ(Exchange(dev, p::FrameEnterProgram(), 0.5), "OK\r\n");
  EXPECT_FALSE(dev.NextTimer());
}

TEST(Converter, StreamsFramesAtTheRateUntilStopped) {
  VirtualConverter dev(ConfigFor("PLV7100"));
  Exchange(dev, p::FrameStartMeasure(), 1.0);
  std::vector<Emission> out;
  dev.Advance(At(1.55), out);
  ASSERT_EQ(out.size(), 5u);
  for (std::size_t i = 0; i < out.size(); ++i) {
    EXPECT_EQ(out[i].at, At(1.0) + std::chrono::milliseconds(100) * static_cast<int>(i + 1));
    EXPECT_TRUE(out[i].stream);
    EXPECT_EQ(out[i].bytes.size(), 16u);
    EXPECT_EQ(out[i].bytes.front(), 'A');
    EXPECT_EQ(out[i].bytes.back(), '\r');
  }
  Exchange(dev, p::FrameStopMeasure(), 1.6);
  out.clear();
  dev.Advance(At(5.0), out);
  EXPECT_TRUE(out.empty());
  EXPECT_FALSE(dev.NextTimer());
}

TEST(Converter, MeasurementFloatInvertsTheDecoder) {
  for (double x : {800.0, 3500.0, 1.0, -1.0, 0.001, 1234.5, -20000.0, 4095.0}) {
    auto b = EncodeMeasureFloat(x);
    EXPECT_NEAR(DecodeMeasureFloat(b[0], b[1], b[2]), x, std::fabs(x) / 32768.0) << x;
  }
  // The calibration counts are exact.
  auto b = EncodeMeasureFloat(800.0);
  EXPECT_EQ(DecodeMeasureFloat(b[0], b[1], b[2]), 800.0);
  // With the status in the first byte the rest comes as close as it can.
  auto s = EncodeMeasureFloatWithHigh(1030.0, 0x00);
  EXPECT_EQ(s[0], 0x00);
  EXPECT_NEAR(DecodeMeasureFloat(s[0], s[1], s[2]), 1030.0, 0.1);
}

namespace {

double Value(const std::string& frame, int at) {
  auto byte = [&](int i) { return static_cast<std::uint8_t>(frame[static_cast<std::size_t>(i)]); };
  return DecodeMeasureFloat(byte(at), byte(at + 1), byte(at + 2));
}

// The output the client shows for a raw count, with the constants it reads.
double ClientOutput(const MemoryBank& m, int variant, int address, double raw) {
  const double c0 = GetFloat(m, address), c1 = GetFloat(m, address + 3);
  if (variant == 0 || variant == 7 || variant == 8 || variant == 9) return c1 + (c0 - c1) * (raw - 800) / 2700;
  return c0 + (c1 - c0) * (raw - 800) / 2700;
}

std::string FirstFrame(VirtualConverter& dev) {
  Exchange(dev, p::FrameStartMeasure());
  std::vector<Emission> out;
  dev.Advance(At(0.1), out);
  return out.at(0).bytes;
}

}  // namespace

TEST(Converter, MeasurementValuesAgreeWithTheConfiguration) {
  // Variant 0, Tc K 0..1000 °C to 4..20 mA: at the start of the sweep the
  // input is mid-range, so the output is 12 mA and value 3 is 500 °C.
  VirtualConverter dev(ConfigFor("PLV7100"));
  const std::string f = FirstFrame(dev);
  const double raw = Value(f, 2);
  EXPECT_NEAR(ClientOutput(dev.Bank(0), 0, 106, raw), 4 + 16 * (0.5 + 0.4 * std::sin(2 * std::numbers::pi * 0.1 / 20)), 0.01);
  EXPECT_NEAR(Value(f, 11), 1000 * (0.5 + 0.4 * std::sin(2 * std::numbers::pi * 0.1 / 20)), 0.1);
  EXPECT_EQ(static_cast<std::uint8_t>(f[14]), 0) << "500 °C is below the 800 °C trip";

  // Variant 9 (0..10 V output) with the voltage constants.
  VirtualConverter v9(ConfigFor("PLV3100"));
  const std::string g = FirstFrame(v9);
  EXPECT_NEAR(ClientOutput(v9.Bank(0), 9, 100, Value(g, 2)), 10 * (0.5 + 0.4 * std::sin(2 * std::numbers::pi * 0.1 / 20)),
              0.01);
}

TEST(Converter, ForcedOutputsAndTripsShowInTheFrames) {
  VirtualConverter dev(ConfigFor("PLV7100"));
  Exchange(dev, p::FrameEnterProgram());
  Exchange(dev, p::FrameValueA(0x0D, 0xAC));  // 3500
  // Trip A high at 100 °C without delay: the mid-range input trips it.
  PutFloat(dev.Bank(0), 10, 100.0);
  PutFloat(dev.Bank(0), 13, 90.0);
  dev.Bank(0)[8] = 0;
  const std::string f = FirstFrame(dev);
  EXPECT_EQ(Value(f, 2), 3500.0);
  EXPECT_EQ(static_cast<std::uint8_t>(f[14]) & 0x01, 0x01);

  // Models without trips carry the status byte in m(5).
  VirtualConverter v2(ConfigFor("PLV7110A"));
  const std::string g = FirstFrame(v2);
  EXPECT_EQ(g.size(), 9u);
  EXPECT_EQ(static_cast<std::uint8_t>(g[5]), 0);
}

TEST(Converter, FallsSilentAndVanishesAfterTheGivenFrames) {
  ConverterConfig cfg = ConfigFor("PLV7100");
  cfg.silentAfter = 2;
  VirtualConverter dev(cfg);
  EXPECT_EQ(Exchange(dev, p::FrameEnterProgram()), "OK\r\n");
  EXPECT_EQ(Exchange(dev, p::FrameStartMeasure()), "");
  EXPECT_EQ(Exchange(dev, p::FrameEnterProgram()), "");
  EXPECT_TRUE(dev.Silent());
  EXPECT_FALSE(dev.Streaming());

  cfg = ConfigFor("PLV7100");
  cfg.silentAfter = 0;
  VirtualConverter mute(cfg);
  EXPECT_EQ(Exchange(mute, p::FrameEnterProgram()), "");

  cfg = ConfigFor("PLV7100");
  cfg.vanishAfter = 1;
  VirtualConverter gone(cfg);
  EXPECT_EQ(Exchange(gone, p::FrameEnterProgram()), "OK\r\n");
  EXPECT_EQ(Exchange(gone, p::FrameEnterProgram()), "");
  EXPECT_TRUE(gone.Vanished());
  gone.Reappear();
  EXPECT_EQ(Exchange(gone, p::FrameEnterProgram()), "OK\r\n") << "the port vanishes once";
}
