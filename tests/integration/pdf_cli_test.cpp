// korventa-cli drawing PDF files as a script runs it, with no display named:
// the production run's certificate and the switch card. A file is only ever
// replaced whole, so a write that fails half-way leaves the old one as it was.
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
#include "support/files.h"

namespace korventa {
namespace {

std::string Contents(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

TEST(PdfFromTheCli, WritesTheFileAndLeavesOneItCannotReplaceIntact) {
  const test::TempDir scratch("pdf");
  const std::filesystem::path& dir = scratch.path();
  const test::TempDir reports("pdf-reports");
  // The program picks the offscreen platform itself when none is named.
  const char* named = std::getenv("QT_QPA_PLATFORM");
  const std::optional<std::string> platform = named ? std::optional<std::string>(named) : std::nullopt;
  ::unsetenv("QT_QPA_PLATFORM");
  struct Case {
    std::vector<std::string> args;
    std::string option;
  };
  const Case cases[] = {
      {{"--simulate", "3200OEM", "production", "--model", "3200OEM", "--reports", reports.path().string()}, "--certificate"},
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
    const auto f = [&] {
      const test::FileSizeLimit full(1000);
      return test::RunCliProcess(args, 120);
    }();
    EXPECT_EQ(f.rc, 4) << f.err;
    EXPECT_NE(f.err.find("writing failed"), std::string::npos) << f.err;
    EXPECT_EQ(Contents(kept), "earlier");
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 4);  // no temporary file left
  if (platform) ::setenv("QT_QPA_PLATFORM", platform->c_str(), 1);
}

}  // namespace
}  // namespace korventa
