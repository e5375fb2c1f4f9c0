#include <gtest/gtest.h>

#include <cmath>

#include "app/format.h"

using namespace korventa;

TEST(Format, UpToThreeDecimalsDropsTrailingZerosAndPoint) {
  EXPECT_EQ(Format(0.5, "#0.###"), "0.5");
  EXPECT_EQ(Format(-0.5, "#0.###"), "-0.5");
  EXPECT_EQ(Format(0, "#0.###"), "0");
  EXPECT_EQ(Format(1300, "#0.###"), "1300");
  EXPECT_EQ(Format(1200.0, "#0.###"), "1200");
  EXPECT_EQ(Format(12.34567, "#0.###"), "12.346");
  EXPECT_EQ(Format(4.0004, "#0.###"), "4");
}

TEST(Format, RoundsHalfAwayFromZeroOnTheDecimalValue) {
  EXPECT_EQ(Format(0.0005, "#0.###"), "0.001");
  EXPECT_EQ(Format(-0.0005, "#0.###"), "-0.001");
  EXPECT_EQ(Format(1.0005, "#0.###"), "1.001");  // binary 1.000499999...
  EXPECT_EQ(Format(2.675, "#0.00"), "2.68");
  EXPECT_EQ(Format(0.25, "#.0"), ".3");
  EXPECT_EQ(Format(-0.25, "#.0"), "-.3");
  EXPECT_EQ(Format(9.96, "#.0"), "10.0");
  EXPECT_EQ(Format(999.9996, "#0.###"), "1000");
  EXPECT_EQ(Format(0.1 + 0.2, "#0.###"), "0.3");
}

TEST(Format, NeverShowsMinusZero) {
  EXPECT_EQ(Format(-0.0001, "#0.###"), "0");
  EXPECT_EQ(Format(-0.0, "#.0"), ".0");
  EXPECT_EQ(Format(-0.04, "#.0"), ".0");
  EXPECT_EQ(Format(-0.04, "#0.0"), "0.0");
  EXPECT_EQ(Str(-0.0), " 0");
}

TEST(Format, OneDecimalWithAndWithoutLeadingZero) {
  EXPECT_EQ(Format(0.5, "#.0"), ".5");
  EXPECT_EQ(Format(-0.5, "#.0"), "-.5");
  EXPECT_EQ(Format(0, "#.0"), ".0");
  EXPECT_EQ(Format(2192, "#.0"), "2192.0");
  EXPECT_EQ(Format(-328, "#.0"), "-328.0");
  EXPECT_EQ(Format(0.5, "#0.0"), "0.5");
  EXPECT_EQ(Format(-0.5, "#0.0"), "-0.5");
  EXPECT_EQ(Format(0.2 + 0.058 * 10, "#0.0"), "0.8");
}

TEST(Format, OtherMasksOfTheMeasurementWindows) {
  EXPECT_EQ(Format(3.14159, "##0.00"), "3.14");
  EXPECT_EQ(Format(0.5, "##0"), "1");
  EXPECT_EQ(Format(7, "#0.000"), "7.000");
  EXPECT_EQ(Format(1.5, "#0.0####"), "1.5");
  EXPECT_EQ(Format(1.123456, "#0.0####"), "1.12346");
  EXPECT_EQ(Format(12345.6, "#0"), "12346");
  EXPECT_EQ(Format(1e20, "#0.###"), "100000000000000000000");
  EXPECT_EQ(Format(std::nan(""), "#0.###"), "NaN");
}

TEST(Format, StrPutsABlankBeforeNonNegativeNumbers) {
  EXPECT_EQ(Str(0.5), " .5");
  EXPECT_EQ(Str(-0.5), "-.5");
  EXPECT_EQ(Str(1300), " 1300");
  EXPECT_EQ(Str(-200), "-200");
  EXPECT_EQ(Str(2.5), " 2.5");
  EXPECT_EQ(Str(0), " 0");
  EXPECT_EQ(Str(0.1 + 0.2), " .3");
  EXPECT_EQ(Str(2192.0 - 32.0), " 2160");
  EXPECT_EQ(Str(0.0001), " .0001");
  EXPECT_EQ(Str(0.000015), " 1.5E-05");
  EXPECT_EQ(Str(123456789012345.0), " 123456789012345");
  EXPECT_EQ(Str(1e15), " 1E+15");
  EXPECT_EQ(Str(-1e15), "-1E+15");
}

TEST(Format, TemperatureConversionsAsText) {
  EXPECT_EQ(CtoF(100.0), "212.0");
  EXPECT_EQ(CtoF(-200.0), "-328.0");
  EXPECT_EQ(CtoF(1200.0), "2192.0");
  EXPECT_EQ(FtoC(212.0), "100.0");
  EXPECT_EQ(FtoC(32.0), ".0");
  EXPECT_EQ(FtoC(-328.0), "-200.0");
  EXPECT_EQ(DiffCtoF(1.0), "1.8");  // an offset carries no 32
  EXPECT_EQ(DiffFtoC(1.8), "1.0");
  EXPECT_EQ(DiffCtoF(-0.5), "-.9");
  EXPECT_EQ(CtoF(std::string_view("1200")), "2192.0");
  EXPECT_EQ(FtoC(std::string_view("2192.0")), "1200.0");
  EXPECT_EQ(DiffFtoC(std::string_view("")), ".0");
  EXPECT_DOUBLE_EQ(FtoCValue(CtoFValue(37.5)), 37.5);
}
