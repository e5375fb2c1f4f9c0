// korventa-cli run in-process against the simulated device on a virtual clock.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "cli/app.h"
#include "cli/run_cli.h"

using namespace korventa::cli;

namespace {

using korventa::test::Cli;
using korventa::test::CliRun;

std::unique_ptr<korventa::Transport> NoFactory(const GlobalOptions&, std::string& error) {
  error = "no such port";
  return nullptr;
}

}  // namespace

TEST(Cli, UsageErrorsExitOne) {
  EXPECT_EQ(Cli({}).rc, kExitUsage);
  EXPECT_EQ(Cli({"identify"}).rc, kExitUsage);  // no device named
  EXPECT_EQ(Cli({"--simulate", "PLV7100", "frobnicate"}).rc, kExitUsage);
  EXPECT_EQ(Cli({"--simulate", "PLV7100", "--port", "COM1", "identify"}).rc, kExitUsage);
  EXPECT_EQ(Cli({"--retries", "x", "--simulate", "PLV7100", "identify"}).rc, kExitUsage);
  EXPECT_EQ(Cli({"--simulate", "PLV7100", "dump", "--bank", "300"}).rc, kExitUsage);
  auto help = Cli({"--help"});
  EXPECT_EQ(help.rc, kExitOk);
  EXPECT_NE(help.out.find("dump"), std::string::npos);
  EXPECT_NE(help.out.find("Exit codes:"), std::string::npos);
  auto dumpHelp = Cli({"dump", "--help"});
  EXPECT_EQ(dumpHelp.rc, kExitOk);
  EXPECT_NE(dumpHelp.out.find("--bank"), std::string::npos);
  // Every help text fits 80 columns and shows no parser notation.
  for (const auto& args : {std::vector<std::string>{"--help"}, {"write", "--help"}, {"production", "--help"},
                           {"eeprom", "write", "--help"}, {"check", "--help"}}) {
    const auto r = Cli(args);
    std::istringstream lines(r.out);
    for (std::string line; std::getline(lines, line);) {
      EXPECT_LE(line.size(), 80u) << line;
      for (const char* noise : {"Excludes:", "Needs:", "{false}", "REQUIRED"})
        EXPECT_EQ(line.find(noise), std::string::npos) << line;
    }
  }
}

TEST(Cli, OptionValuesMayFollowAnEqualsSignAndOptionsTheCommand) {
  EXPECT_EQ(Cli({"--simulate=PLV7300", "identify"}).rc, kExitOk);
  auto r = Cli({"identify", "--simulate", "PLV7300", "--lang=en"});
  EXPECT_EQ(r.rc, kExitOk) << r.err;
  EXPECT_NE(r.out.find("variant: 7\n"), std::string::npos);
}

TEST(Cli, IdentifyPrintsTheIdentification) {
  auto r = Cli({"--simulate", "PLV7300", "identify"});
  ASSERT_EQ(r.rc, kExitOk) << r.err;
  EXPECT_NE(r.out.find("product: 12\n"), std::string::npos);
  EXPECT_NE(r.out.find("variant: 7\n"), std::string::npos);
}

TEST(Cli, DumpPrintsEveryAddressOfTheBank) {
  auto r = Cli({"--simulate", "PLV7110A", "dump"});
  ASSERT_EQ(r.rc, kExitOk) << r.err;
  std::istringstream lines(r.out);
  std::string line;
  int n = 0;
  int byte4 = -1;
  while (std::getline(lines, line)) {
    auto tab = line.find('\t');
    ASSERT_NE(tab, std::string::npos);
    EXPECT_EQ(std::stoi(line.substr(0, tab)), n);
    int v = std::stoi(line.substr(tab + 1));
    EXPECT_GE(v, 0);
    EXPECT_LE(v, 255);
    if (n == 4) byte4 = v;
    ++n;
  }
  EXPECT_EQ(n, 256);
  // The model line bits of a 7110 at address 4.
  EXPECT_EQ(byte4 & 0x60, 0x60);
}

TEST(Cli, DumpToAFileAndToAnUnwritablePlace) {
  const std::string path = ::testing::TempDir() + "korventa_dump.txt";
  auto r = Cli({"--simulate", "PLV7100", "dump", "--bank", "1", "--out", path});
  ASSERT_EQ(r.rc, kExitOk) << r.err;
  std::ifstream f(path);
  std::string all((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  EXPECT_EQ(std::count(all.begin(), all.end(), '\n'), 256);
  std::remove(path.c_str());
  EXPECT_EQ(Cli({"--simulate", "PLV7100", "dump", "--out", "/nonexistent-dir/x"}).rc, kExitFile);
}

TEST(Cli, SilentDeviceRetriesThenFailsWithExitTwo) {
  auto r = Cli({"--retries", "1", "--simulate", "PLV7100", "--sim-opt", "silent-after=0", "identify"});
  EXPECT_EQ(r.rc, kExitComm);
  // The question is printed with the answers the policy gave.
  EXPECT_NE(r.err.find("Errore di comunicazione [Retry]"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("Errore di comunicazione [Cancel]"), std::string::npos) << r.err;
}

TEST(Cli, EnglishTextsWithLangEn) {
  auto r = Cli({"--lang", "en", "--retries", "0", "--simulate", "PLV7100", "--sim-opt", "silent-after=0", "identify"});
  EXPECT_EQ(r.rc, kExitComm);
  EXPECT_NE(r.err.find("Communication error [Cancel]"), std::string::npos) << r.err;
}

TEST(Cli, PortThatCannotBeMadeIsACommunicationFailure) {
  auto r = Cli({"--port", "COM9", "identify"}, &NoFactory);
  EXPECT_EQ(r.rc, kExitComm);
  EXPECT_NE(r.err.find("no such port"), std::string::npos);
}
