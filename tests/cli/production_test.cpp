// korventa-cli production against the whole virtual bench in-process.
#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <sstream>

#include "app/json.h"
#include "run_cli.h"
#include "support/files.h"

namespace korventa {
namespace {

using test::Cli;

// Standard output that presses Ctrl-C as soon as a text shows on it.
class CtrlCAt : public std::stringbuf {
 public:
  explicit CtrlCAt(std::string text) : text_(std::move(text)) {}

 protected:
  int sync() override {
    if (!done_ && str().find(text_) != std::string::npos) {
      done_ = true;
      std::raise(SIGINT);
    }
    return 0;
  }

 private:
  std::string text_;
  bool done_ = false;
};

TEST(CliProduction, RunsAndSaysPassFailOrError) {
  const test::TempDir dir("production");
  const std::vector<std::string> run = {"--simulate", "PLV7110A", "production", "--model", "PLV7110A",
                                        "--reports",  dir.path().string()};
  auto with = [&run](std::vector<std::string> more) {
    more.insert(more.begin(), run.begin(), run.end());
    return more;
  };
  auto r = Cli(with({"--no-switch-check", "--json"}));
  ASSERT_EQ(r.rc, 0) << r.err;
  json::ParseError pe;
  const auto doc = json::Parse(r.out, pe);
  ASSERT_TRUE(doc) << r.out;
  EXPECT_EQ(json::Find(*doc, "verdict")->get_ref<const std::string&>(), "pass");
  EXPECT_EQ(json::Find(*doc, "rows")->size(), 6u);
  // The switches of the simulated unit are not all ON: Abort ends the run
  // with its rows undone.
  r = Cli(with({"--rows", "0"}));
  EXPECT_EQ(r.rc, 5) << r.err;
  EXPECT_NE(r.err.find("Impostare tutti i dip-switch a ON -> Abort"), std::string::npos) << r.err;
  // No model file for the final programming: an error.
  r = Cli(with({"--no-switch-check", "--rows", "0", "--final-programming", "--model-files", "/nonexistent"}));
  EXPECT_EQ(r.rc, 2) << r.err;
  // Every run leaves its line in the log.
  std::ifstream log(dir / "collaudi.csv");
  std::string line;
  int lines = 0;
  while (std::getline(log, line)) ++lines;
  EXPECT_EQ(lines, 4);
  for (const auto& bad : {std::vector<std::string>{"production"},
                          {"production", "--model", "PLV9999"},
                          {"production", "--model", "PLV7100", "--channels", "C"},
                          {"production", "--model", "PLV7100", "--rows", "0,22"},
                          {"production", "--model", "PLV7100", "--on-fault", "later"}})
    EXPECT_EQ(Cli(bad).rc, 1) << bad.back();
}

// Ctrl-C is STOP: the run ends after the step on hand; a later process
// resumes it, keeping the rows that ended green and running the others.
TEST(CliProduction, CtrlCStopsAndALaterProcessResumes) {
  const test::TempDir dir("resume");
  const std::vector<std::string> args = {"--simulate", "PLV7110A", "production", "--model", "PLV7110A",
                                         "--no-switch-check", "--rows", "0,1", "--reports", dir.path().string()};
  CtrlCAt buffer("90mV A");
  std::ostream out(&buffer);
  std::ostringstream err;
  EXPECT_EQ(cli::RunCli(args, out, err, &cli::VirtualSimulatedTransport), 5) << err.str();
  EXPECT_NE(err.str().find("stopping after this step"), std::string::npos) << err.str();
  EXPECT_EQ(buffer.str().find("200mV A   1"), std::string::npos) << buffer.str();

  auto resumed = args;
  resumed.insert(resumed.end(), {"--resume", "--json"});
  auto r = Cli(resumed);
  ASSERT_EQ(r.rc, 0) << r.err;
  json::ParseError pe;
  const auto doc = json::Parse(r.out, pe);
  ASSERT_TRUE(doc) << r.out;
  const json::Value& rows = *json::Find(*doc, "rows");
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_TRUE(json::Find(rows[0], "earlierRun"));
  EXPECT_FALSE(json::Find(rows[1], "earlierRun"));
  EXPECT_EQ(json::Find(rows[1], "verdict")->get_ref<const std::string&>(), "pass");

  // A kept table that is not whole is refused, not half used.
  std::ofstream(dir / "PLV7110A.resume.json") << "{\"model\": \"PLV7110A\", \"identification\": \"\", \"time\": \"\"}";
  r = Cli(resumed);
  EXPECT_EQ(r.rc, 4);
  EXPECT_NE(r.err.find("the step table is not whole"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace korventa
