// korventa-cli's factory commands over the pseudo-terminal, as a script runs
// them: a configuration write and a memory image write, each undone from its
// automatic backup, leave the converter with the bytes it had.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include "cli_process.h"
#include "sim_process.h"

namespace korventa {
namespace {

namespace fs = std::filesystem;

TEST(FactoryOverPty, WritesAreUndoneFromTheirBackups) {
  const fs::path dir = fs::temp_directory_path() / ("korventa-factory-pty-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  test::SimProcess sim;
  std::string error;
  ASSERT_TRUE(sim.Start({"--model", "PLV7100", "--memory", (dir / "memory.bin").string()}, error)) << error;
  auto cli = [&](std::vector<std::string> args) {
    std::vector<std::string> a = {"--lang", "en", "--port", sim.SlavePath(), "--backup-dir", (dir / "b").string()};
    a.insert(a.end(), args.begin(), args.end());
    return test::RunCliProcess(a, 120.0);
  };
  const std::string original = (dir / "original.dat").string();
  auto r = cli({"eeprom", "read", "--out", original});
  ASSERT_EQ(r.rc, 0) << r.err;

  // A configuration write, then its undo.
  std::ofstream(dir / "form.json") << R"({"txt_Input_max": ["900", "900", "900", "900"]})";
  r = cli({"write", "--form", (dir / "form.json").string()});
  ASSERT_EQ(r.rc, 0) << r.err;
  EXPECT_NE(r.out.find("txt_Input_max(0): 1000 -> 900"), std::string::npos) << r.out;
  EXPECT_EQ(cli({"eeprom", "verify", original}).rc, 2);
  r = cli({"restore", "--last"});
  ASSERT_EQ(r.rc, 0) << r.err;
  EXPECT_EQ(cli({"eeprom", "verify", original}).rc, 0);

  // An image with one byte changed, written and verified, then undone.
  std::ifstream in(original);
  std::string image((std::istreambuf_iterator<char>(in)), {});
  image.replace(0, image.find('\n'), "77");
  std::ofstream(dir / "changed.dat") << image;
  r = cli({"eeprom", "write", (dir / "changed.dat").string(), "--yes", "--verify"});
  ASSERT_EQ(r.rc, 0) << r.err;
  r = cli({"restore", "--last"});
  ASSERT_EQ(r.rc, 0) << r.err;
  r = cli({"eeprom", "verify", original});
  EXPECT_EQ(r.rc, 0) << r.out;
  EXPECT_EQ(r.out, "0 errors\n");

  sim.Stop();
  std::error_code ec;
  fs::remove_all(dir, ec);
}

}  // namespace
}  // namespace korventa
