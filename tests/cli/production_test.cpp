// korventa-cli production against the whole virtual bench in-process.
#include <gtest/gtest.h>

#include "app/json.h"
#include "run_cli.h"

namespace korventa {
namespace {

using test::Cli;

TEST(CliProduction, RunsAndSaysPassFailOrError) {
  auto r = Cli({"--simulate", "PLV7110A", "production", "--model", "PLV7110A", "--no-switch-check", "--json"});
  ASSERT_EQ(r.rc, 0) << r.err;
  json::ParseError pe;
  const auto doc = json::Parse(r.out, pe);
  ASSERT_TRUE(doc) << r.out;
  EXPECT_EQ(json::Find(*doc, "verdict")->get_ref<const std::string&>(), "pass");
  EXPECT_EQ(json::Find(*doc, "rows")->size(), 6u);
  // The switches of the simulated unit are not all ON: Abort ends the run
  // with its rows undone.
  r = Cli({"--simulate", "PLV7110A", "production", "--model", "PLV7110A", "--rows", "0"});
  EXPECT_EQ(r.rc, 5) << r.err;
  EXPECT_NE(r.err.find("Impostare tutti i dip-switch a ON -> Abort"), std::string::npos) << r.err;
  // No model file for the final programming: an error.
  r = Cli({"--simulate", "PLV7110A", "production", "--model", "PLV7110A", "--no-switch-check", "--rows", "0",
           "--final-programming", "--model-files", "/nonexistent"});
  EXPECT_EQ(r.rc, 2) << r.err;
  for (const auto& bad : {std::vector<std::string>{"production"},
                          {"production", "--model", "PLV9999"},
                          {"production", "--model", "PLV7100", "--channels", "C"},
                          {"production", "--model", "PLV7100", "--rows", "0,22"},
                          {"production", "--model", "PLV7100", "--on-fault", "later"}})
    EXPECT_EQ(Cli(bad).rc, 1) << bad.back();
}

}  // namespace
}  // namespace korventa
