#include <gtest/gtest.h>

#include <cmath>

#include "link/codecs.h"

using namespace korventa;

TEST(Codecs, WordsSplitAndJoinAsTwosComplement) {
  EXPECT_EQ(SplitWord(-1), (std::pair<std::uint8_t, std::uint8_t>{255, 255}));
  EXPECT_EQ(JoinWord(255, 255, true), -1);
  EXPECT_EQ(JoinWord(255, 255, false), 65535);
  EXPECT_EQ(SplitWord(12000), (std::pair<std::uint8_t, std::uint8_t>{0x2E, 0xE0}));
  EXPECT_EQ(JoinWord(0xF8, 0x30, true), -2000);
  for (long v : {-32768L, -2000L, -1L, 0L, 1L, 4000L, 32767L}) {
    auto [hi, lo] = SplitWord(v);
    EXPECT_EQ(JoinWord(hi, lo, true), v) << v;
  }
}

TEST(Codecs, HexDigits) {
  EXPECT_EQ(Hex2(0x0A), "0A");
  EXPECT_EQ(Hex2(255), "FF");
  std::uint8_t b = 0;
  EXPECT_TRUE(HexToByte("7b", b));
  EXPECT_EQ(b, 0x7B);
  EXPECT_FALSE(HexToByte("G1", b));
  EXPECT_FALSE(HexToByte("123", b));
}

TEST(Codecs, ConfigurationFloatExamples) {
  using B = std::array<std::uint8_t, 3>;
  EXPECT_EQ(EncodeFloat(1.0), (B{0x3F, 0x80, 0x00}));
  EXPECT_EQ(EncodeFloat(-2.5), (B{0xC0, 0x20, 0x00}));
  EXPECT_EQ(EncodeFloat(0.0), (B{0, 0, 0}));
  EXPECT_DOUBLE_EQ(DecodeFloat(0x80, 0x00, 0x3F), 1.0);
  EXPECT_DOUBLE_EQ(DecodeFloat(0, 0, 0), std::ldexp(1.0, -127));
}

TEST(Codecs, ConfigurationFloatRoundTripsToOnePartIn32768) {
  for (double x : {1.0, -2.5, 100.0, 0.001, 1300.0, -200.0, 20000.0, 0.1, 12345.678}) {
    auto b = EncodeFloat(x);
    double y = DecodeFloat(b[1], b[2], b[0]);
    EXPECT_NEAR(y, x, std::fabs(x) / 32768.0) << x;
  }
}

TEST(Codecs, ConfigurationFloatCarryNearTwoStaysCorrect) {
  // Within 2^-24 of 2 the rounded fraction carries into the exponent.
  const double almostTwo = 2.0 - std::ldexp(1.0, -25);
  auto b = EncodeFloat(almostTwo);
  EXPECT_EQ(b, (std::array<std::uint8_t, 3>{0x40, 0x00, 0x00}));
  EXPECT_DOUBLE_EQ(DecodeFloat(b[1], b[2], b[0]), 2.0);
  auto n = EncodeFloat(-almostTwo * 4);
  EXPECT_DOUBLE_EQ(DecodeFloat(n[1], n[2], n[0]), -8.0);
}

TEST(Codecs, MeasurementFloatSignInFractionHighBit) {
  EXPECT_DOUBLE_EQ(DecodeMeasureFloat(0x00, 0x00, 127), 1.0);
  EXPECT_DOUBLE_EQ(DecodeMeasureFloat(0x80, 0x00, 127), -1.0);
  EXPECT_DOUBLE_EQ(DecodeMeasureFloat(0x40, 0x00, 128), 3.0);
  EXPECT_DOUBLE_EQ(DecodeMeasureFloat(0xC0, 0x00, 128), -3.0);
}
