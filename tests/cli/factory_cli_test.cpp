// korventa-cli eeprom, register, restore and diff against the simulated
// converter on a virtual clock, its memory kept in a file between runs.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/run_cli.h"

using korventa::test::Cli;
using korventa::test::CliRun;
namespace fs = std::filesystem;

namespace {

struct FactoryCli : ::testing::Test {
  std::string dir = ::testing::TempDir() + "korventa-factory-cli-" +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name();
  void SetUp() override {
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }

  // A run against the converter of `model` whose bank 0 lives in `memory`.
  CliRun Run(std::vector<std::string> args, const std::string& model = "PLV7100", const std::string& memory = "mem") {
    std::vector<std::string> a = {"--lang",    "en",  "--simulate",          model, "--sim-opt", "memory=" + dir + "/" + memory,
                                  "--backup-dir", dir + "/backups"};
    a.insert(a.end(), args.begin(), args.end());
    return Cli(a);
  }
  std::string Read(const std::string& name) {
    std::ifstream f(dir + "/" + name, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
  }
};

TEST_F(FactoryCli, ImageRegisterWriteVerifyAndRestore) {
  ASSERT_EQ(Run({"eeprom", "read", "--out", dir + "/a.dat"}).rc, 0);
  const std::string original = Read("a.dat");
  EXPECT_EQ(std::count(original.begin(), original.end(), '\n'), 256);
  auto r = Run({"eeprom", "verify", dir + "/a.dat"});
  EXPECT_EQ(r.rc, 0);
  EXPECT_EQ(r.out, "0 errors\n");

  r = Run({"register", "write", "--bank", "0", "--addr", "60", "--format", "int", "--value", "1000"});
  ASSERT_EQ(r.rc, 0) << r.err;
  EXPECT_EQ(Run({"register", "read", "--bank", "0", "--addr", "60", "--format", "int"}).out, "1000\t232 003\n");
  r = Run({"register", "write", "--bank", "0", "--addr", "62", "--format", "float", "--raw", "0,32,192"});
  ASSERT_EQ(r.rc, 0) << r.err;
  EXPECT_EQ(Run({"register", "read", "--bank", "0", "--addr", "62", "--format", "float"}).out, "-2.5\t000 032 192\n");

  r = Run({"eeprom", "verify", dir + "/a.dat"});
  EXPECT_EQ(r.rc, 2);
  EXPECT_NE(r.out.find("60\t"), std::string::npos);
  EXPECT_NE(r.out.find("\t232\n"), std::string::npos);
  EXPECT_NE(r.out.find("5 errors\n"), std::string::npos) << r.out;

  // The image write asks first; --yes writes, --verify checks it.
  EXPECT_EQ(Run({"eeprom", "write", dir + "/a.dat"}).rc, 3);
  r = Run({"eeprom", "write", dir + "/a.dat", "--yes", "--verify"});
  EXPECT_EQ(r.rc, 0) << r.err;

  // Three writes backed up; undoing the image write brings the registers back.
  r = Run({"restore", "--list"});
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 3) << r.out;
  r = Run({"restore", "--last"});
  ASSERT_EQ(r.rc, 0) << r.err;
  EXPECT_NE(r.out.find("restored and verified: 5 addresses"), std::string::npos) << r.out;
  EXPECT_EQ(Run({"register", "read", "--bank", "0", "--addr", "60", "--format", "int"}).out, "1000\t232 003\n");
  // Another model has no backups of its own.
  EXPECT_EQ(Run({"restore", "--last"}, "PLV7300", "mem2").rc, 4);
}

TEST_F(FactoryCli, RefusalsSendNothing) {
  ASSERT_EQ(Run({"eeprom", "read", "--out", dir + "/a.dat"}).rc, 0);
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"register", "write", "--bank", "256", "--addr", "0", "--format", "byte", "--value", "1"},
           {"register", "write", "--bank", "0", "--addr", "0", "--format", "byte", "--value", "300"},
           {"register", "write", "--bank", "0", "--addr", "0", "--format", "int", "--raw", "1"},
       })
    EXPECT_NE(Run(args).rc, 0);
  std::ofstream(dir + "/bad.dat") << "1\n2\n";
  auto r = Run({"eeprom", "write", dir + "/bad.dat", "--yes"});
  EXPECT_EQ(r.rc, 4);
  EXPECT_NE(r.err.find("The file holds 2 values instead of 256."), std::string::npos) << r.err;
  EXPECT_EQ(Run({"eeprom", "verify", dir + "/a.dat"}).rc, 0);
  EXPECT_FALSE(fs::exists(dir + "/backups"));
}

TEST_F(FactoryCli, DiffOfAFileMadeForAnotherModelAndTheSummaryOfWrite) {
  ASSERT_EQ(Run({"read", "--save", dir + "/7100.DST"}).rc, 0);
  ASSERT_EQ(Run({"eeprom", "read", "--out", dir + "/before.dat"}, "PLV7150", "m7150").rc, 0);
  auto r = Run({"diff", dir + "/7100.DST"}, "PLV7150", "m7150");
  ASSERT_EQ(r.rc, 0) << r.err;
  EXPECT_NE(r.out.find("  cmb_Prog_In(0): Pt 100 -> Tc K\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Addresses:\n  0: 18 -> 8\n"), std::string::npos) << r.out;
  r = Run({"diff", dir + "/7100.DST", "--json"}, "PLV7150", "m7150");
  EXPECT_NE(r.out.find("\"beyond_edits\": true"), std::string::npos) << r.out;
  // Nothing was written and nothing backed up.
  EXPECT_EQ(Run({"eeprom", "verify", dir + "/before.dat"}, "PLV7150", "m7150").rc, 0);
  EXPECT_FALSE(fs::exists(dir + "/backups"));

  // write prints the same summary first (--quiet does not).
  const std::string summary = Run({"diff", dir + "/7100.DST"}, "PLV7150", "m7150").out;
  r = Run({"--yes", "write", dir + "/7100.DST"}, "PLV7150", "m7150");
  ASSERT_EQ(r.rc, 0) << r.err;
  EXPECT_EQ(r.out.rfind(summary, 0), 0u) << r.out;
  r = Run({"--yes", "write", "--quiet", dir + "/7100.DST"}, "PLV7150", "m7150");
  EXPECT_EQ(r.out.find("Addresses"), std::string::npos);
}

}  // namespace
