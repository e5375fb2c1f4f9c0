// korventa-cli against the simulated converter on a virtual clock, its
// memory kept in a file of the test, so a test can read, edit, write and
// read again as a person would.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/json.h"
#include "cli/run_cli.h"

namespace korventa::test {

struct DeviceCli : ::testing::Test {
  std::filesystem::path dir =
      std::filesystem::path(::testing::TempDir()) /
      ("korventa-cli-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
  void SetUp() override {
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
  }
  void TearDown() override { std::filesystem::remove_all(dir); }
  std::string Path(const std::string& name) const { return (dir / name).string(); }

  // The simulated model, its memory kept in a file of this test.
  std::vector<std::string> Device(const std::string& model, std::vector<std::string> args,
                                  const std::string& memory = "device.mem") const {
    std::vector<std::string> a = {"--lang", "en", "--simulate", model, "--sim-opt", "memory=" + Path(memory)};
    a.insert(a.end(), args.begin(), args.end());
    return a;
  }
  std::vector<std::uint8_t> Memory(const std::string& name = "device.mem") const {
    std::ifstream in(Path(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  json::Value ReadJson(const std::string& model) const {
    auto r = Cli(Device(model, {"read", "--json"}));
    EXPECT_EQ(r.rc, 0) << r.err;
    json::ParseError e;
    auto doc = json::Parse(r.out, e);
    return doc ? *doc : json::Value();
  }
};

}  // namespace korventa::test
