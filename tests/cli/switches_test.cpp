// korventa-cli switches compose and set-default against the simulated
// converter: the wizard's banks without a device, and the stored-default
// edit with its question and its refusals.
#include <gtest/gtest.h>

#include "cli/app.h"
#include "cli/run_cli.h"

using namespace korventa;
using korventa::test::Cli;

namespace {

TEST(CliSwitches, ComposeNeedsNoDevice) {
  const auto r = Cli({"switches", "compose", "--model", "7300", "--input", "TTL", "--output", "0-5 V", "--span", "10",
                      "--divider", "100"});
  ASSERT_EQ(r.rc, cli::kExitOk) << r.err;
  EXPECT_NE(r.out.find("banks: 0x0E 0x4A 0x0E\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("divider: 100\n"), std::string::npos) << r.out;
  EXPECT_EQ(Cli({"switches", "compose", "--model", "7999", "--input", "TTL"}).rc, cli::kExitUsage);
  EXPECT_EQ(Cli({"switches", "compose", "--model", "7100", "--input", "Tc Q"}).rc, cli::kExitUsage);
  EXPECT_EQ(Cli({"switches", "compose", "--model", "7100", "--input", "Tc J", "--span", "64"}).rc, cli::kExitUsage);
}

TEST(CliSwitches, SetDefaultWritesOrRefuses) {
  const std::vector<std::string> dev = {"--simulate", "PLV7100,dip=0x0A:0x14:0x03", "switches", "set-default",
                                        "--input", "Tc S"};
  auto con = [&](std::vector<std::string> extra) {
    auto a = dev;
    a.insert(a.end(), extra.begin(), extra.end());
    return Cli(a);
  };
  const auto ok = con({"--zero", "100"});
  ASSERT_EQ(ok.rc, cli::kExitOk) << ok.err;
  EXPECT_EQ(ok.out, "zero default of Tc S: Def: 100\n");
  EXPECT_EQ(con({"--zero", "abc"}).rc, cli::kExitUsage);
  // Beyond the type's limits: the question is answered Cancel without --yes.
  EXPECT_EQ(con({"--span", "1800"}).rc, cli::kExitRefused);
  EXPECT_EQ(con({"--span", "5000", "--yes"}).rc, cli::kExitUsage);  // not a 16-bit word
  EXPECT_EQ(con({"--span", "1", "--zero", "2"}).rc, cli::kExitUsage);
}

}  // namespace
