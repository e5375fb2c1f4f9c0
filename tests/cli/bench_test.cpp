// korventa-cli bench against the in-process virtual bench.
#include <gtest/gtest.h>

#include "run_cli.h"

namespace korventa {
namespace {

using test::Cli;

TEST(CliBench, ActionsPrintWhatTheInstrumentsAnswer) {
  auto r = Cli({"--simulate", "PLV7100", "bench", "ambient"});
  EXPECT_EQ(r.rc, 0) << r.err;
  EXPECT_EQ(r.out, "23.40\n");
  r = Cli({"--simulate", "PLV7100", "bench", "cal-send", "1", "8", "1", "0", "192"});
  EXPECT_EQ(r.out, "0 0 9 36\n");  // 23.40 °C in hundredths
  r = Cli({"--simulate", "PLV7100", "bench", "supply-current"});
  EXPECT_EQ(r.out, "0.000\n");  // the supply is off
  r = Cli({"--simulate", "PLV7100", "--instrument", "switch=/dev/ttyUSB2", "bench", "switch", "101A102C"});
  EXPECT_EQ(r.rc, 0) << r.err;
}

TEST(CliBench, RefusesBadRolesAndSelectorsAndFailsWhenNoInstrumentAnswers) {
  for (const auto& bad : {std::vector<std::string>{"--instrument", "dmm=Com3", "bench", "beep"},
                          {"--instrument", "cal=Com9", "bench", "ambient"},
                          {"--instrument", "cal=TCPIP0::h::5025::SOCKET", "bench", "ambient"},
                          {"bench", "mult-read", "2"},
                          {"bench", "supply", "up", "24"},
                          {"bench", "fly"}}) {
    auto r = Cli(bad);
    EXPECT_EQ(r.rc, 1) << bad[bad.size() - 1] << r.err;
  }
  // No such port: the multimeter cannot be reached.
  auto r = Cli({"--instrument", "mult=/dev/korventa-no-such-port", "bench", "mult-read", "0"});
  EXPECT_EQ(r.rc, 2);
  EXPECT_NE(r.err.find("(Mult, /dev/korventa-no-such-port)"), std::string::npos) << r.err;
  // By hand, the command line answers with nothing: no reading.
  r = Cli({"--simulate", "PLV7100", "--instrument", "mult=Manuale", "bench", "mult-read", "0"});
  EXPECT_EQ(r.rc, 2);
  EXPECT_NE(r.err.find("Lettura Mult"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace korventa
