// korventa-cli drawing PDF files as a script runs it, with no display named:
// the production run's certificate and the switch card. A file is only ever
// replaced whole, so a write that fails half-way leaves the old one as it was.
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli_process.h"

namespace korventa {
namespace {

std::string Contents(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

TEST(PdfFromTheCli, WritesTheFileAndLeavesOneItCannotReplaceIntact) {
  const auto dir = std::filesystem::temp_directory_path() / ("korventa-pdf-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  // The program picks the offscreen platform itself when none is named.
  const char* named = std::getenv("QT_QPA_PLATFORM");
  const std::optional<std::string> platform = named ? std::optional<std::string>(named) : std::nullopt;
  ::unsetenv("QT_QPA_PLATFORM");
  struct Case {
    std::vector<std::string> args;
    std::string option;
  };
  const Case cases[] = {
      {{"--simulate", "3200OEM", "production", "--model", "3200OEM"}, "--certificate"},
      {{"switches", "compose", "--model", "7100", "--input", "Tc J"}, "--pdf"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.option);
    const auto fresh = dir / (c.option.substr(2) + ".pdf");
    auto args = c.args;
    args.insert(args.end(), {c.option, fresh.string()});
    const auto r = test::RunCliProcess(args, 120);
    EXPECT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(Contents(fresh).substr(0, 5), "%PDF-");

    // The disk "fills up" half-way (a file-size limit the program inherits,
    // which holds even for root): the file already there must survive whole.
    const auto kept = dir / (c.option.substr(2) + "-kept.pdf");
    std::ofstream(kept) << "earlier";
    args = c.args;
    args.insert(args.end(), {c.option, kept.string()});
    struct sigaction ignore {}, previous {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGXFSZ, &ignore, &previous);
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 1000;
    ::setrlimit(RLIMIT_FSIZE, &small);
    const auto f = test::RunCliProcess(args, 120);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::sigaction(SIGXFSZ, &previous, nullptr);
    EXPECT_EQ(f.rc, 4) << f.err;
    EXPECT_NE(f.err.find("writing failed"), std::string::npos) << f.err;
    EXPECT_EQ(Contents(kept), "earlier");
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 4);  // no temporary file left
  if (platform) ::setenv("QT_QPA_PLATFORM", platform->c_str(), 1);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace korventa
