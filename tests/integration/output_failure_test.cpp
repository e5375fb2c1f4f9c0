// Output that does not arrive is a failure: korventa-cli with its standard
// output on a full disk (/dev/full) exits 4 and says why, for every command
// that prints.
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

#include <gtest/gtest.h>

#include "cli_process.h"

namespace korventa {
namespace {

TEST(OutputFailure, AFullDiskOnStandardOutputExitsFourWithTheReason) {
  const auto dir = std::filesystem::temp_directory_path() / ("korventa-out-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string dst = (dir / "K.DST").string();
  const std::string cli = test::CliExecutable();
  const std::string sim = " --simulate PLV7100 --sim-opt virtual-clock ";
  ASSERT_EQ(std::system((cli + sim + "read --save " + dst + " > /dev/null").c_str()), 0);
  for (const std::string& command :
       {std::string("--help"), "show " + dst, sim + "dump", sim + "read --json", sim + "measure --count 2"}) {
    SCOPED_TRACE(command);
    const std::string err = (dir / "err").string();
    const int status = std::system((cli + " " + command + " > /dev/full 2> " + err).c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 4);
    std::ifstream in(err);
    const std::string said{std::istreambuf_iterator<char>(in), {}};
    EXPECT_NE(said.find("korventa-cli: the standard output could not be written: No space left on device\n"),
              std::string::npos)
        << said;
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace korventa
