#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>

#include "app/numbers.h"

using namespace korventa;

TEST(Val, ReadsSignDigitsAndPointAndStopsAtAnythingElse) {
  struct Case {
    const char* text;
    double value;
  };
  const Case cases[] = {
      {"", 0.0},          {"-", 0.0},        {"+", 0.0},         {".", 0.0},
      {"-.", 0.0},        {"abc", 0.0},      {"12.5abc", 12.5},  {" -3", -3.0},
      {"\t\r\n 7", 7.0},  {"1.2.3", 1.2},    {"+4", 4.0},        {".5", 0.5},
      {"-.25", -0.25},    {"5.", 5.0},       {"1e3", 1.0},       {"1E3", 1.0},
      {"1,5", 1.0},       {"- 3", 0.0},      {"+-3", 0.0},       {"007.50", 7.5},
      {"-1200", -1200.0}, {"3 4", 3.0},      {"0.1", 0.1},       {"-0", 0.0},
  };
  for (const auto& c : cases) EXPECT_EQ(Val(c.text), c.value) << '"' << c.text << '"';
  // A zero never comes back negative, so it is never shown as "-0".
  EXPECT_FALSE(std::signbit(Val("-0.000")));
}

TEST(Val, NeverReadsPastTheView) {
  // The view ends in the middle of a longer buffer of digits.
  const std::string buffer = "12.3456789";
  EXPECT_EQ(Val(std::string_view(buffer.data(), 4)), 12.3);
  EXPECT_EQ(Val(std::string_view(buffer.data(), 0)), 0.0);
}

TEST(Val, CorrectlyRoundedAndAlwaysFinite) {
  // Needs more than 17 digits to decide the nearest double.
  EXPECT_EQ(Val("0.1000000000000000055511151231257827"), 0.1);
  EXPECT_EQ(Val("9007199254740993"), 9007199254740992.0);  // tie to even
  const std::string huge(400, '9');
  EXPECT_EQ(Val(huge), std::numeric_limits<double>::max());
  EXPECT_EQ(Val("-" + huge), -std::numeric_limits<double>::max());
  EXPECT_EQ(Val("0." + std::string(400, '0') + "1"), 0.0);
  EXPECT_EQ(Val("-0." + std::string(400, '0') + "1"), 0.0);
}

TEST(Round, HalvesGoToTheEvenNeighbourAndExtremesSaturate) {
  EXPECT_EQ(Round(2.5), 2);
  EXPECT_EQ(Round(3.5), 4);
  EXPECT_EQ(Round(-2.5), -2);
  EXPECT_EQ(Round(-3.5), -4);
  EXPECT_EQ(Round(-0.5), 0);
  EXPECT_EQ(Round(2.5000000000000004), 3);
  EXPECT_EQ(Round(-0.49999999999999994), 0);
  EXPECT_EQ(Round(-1234.6), -1235);
  // Conversions of these to long would be undefined behaviour.
  EXPECT_EQ(Round(std::nan("")), 0);
  EXPECT_EQ(Round(INFINITY), std::numeric_limits<long>::max());
  EXPECT_EQ(Round(-1e300), std::numeric_limits<long>::min());
  EXPECT_EQ(Round(9223372036854775808.0), std::numeric_limits<long>::max());
}

TEST(PlainNumber, WritesPlainDecimalText) {
  EXPECT_EQ(PlainNumber(1300), "1300");
  EXPECT_EQ(PlainNumber(-12.5), "-12.5");
  EXPECT_EQ(PlainNumber(0.1), "0.1");
  EXPECT_EQ(PlainNumber(-0.0), "0");
  EXPECT_EQ(PlainNumber(1e21), "1000000000000000000000");
  EXPECT_EQ(PlainNumber(1e-7), "0.0000001");
  EXPECT_EQ(PlainNumber(-INFINITY), "-inf");
}

TEST(PlainNumber, ReadsBackToTheSameDouble) {
  const double edges[] = {std::numeric_limits<double>::max(),
                          -std::numeric_limits<double>::max(),
                          std::numeric_limits<double>::denorm_min(),
                          -2192.0000000000005};
  for (double x : edges) {
    const std::string text = PlainNumber(x);
    EXPECT_EQ(text.find_first_of("eE"), std::string::npos) << text;
    EXPECT_EQ(Val(text), x) << text;
  }
  // Any finite bit pattern at all.
  std::mt19937_64 random(20240611);
  for (int i = 0; i < 20000; ++i) {
    const double x = std::bit_cast<double>(random());
    if (!std::isfinite(x)) continue;
    ASSERT_EQ(Val(PlainNumber(x)), x) << PlainNumber(x);
  }
}
