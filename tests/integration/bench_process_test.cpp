// korventa-sim --bench and korventa-cli as a technician uses them: the roles
// it prints are the instruments, and the calibrator's ambient reading and
// the converter's thermocouple measurement agree through the bench.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <thread>
#include <vector>

#include "cli_process.h"
#include "sim/bench/bench.h"
#include "sim/identity.h"
#include "sim_process.h"

namespace korventa {
namespace {

TEST(BenchProcess, PrintedRolesReachTheInstrumentsAndTheConverterSeesTheBench) {
  test::SimProcess sim;
  std::string error;
  ASSERT_TRUE(sim.Start({"--bench", "--model", "PLV7100", "--unit", "3"}, error)) << error;
  // The first line names the converter; one line per role follows.
  ASSERT_EQ(sim.SlavePath().rfind("eut /dev/", 0), 0u) << sim.SlavePath();
  std::map<std::string, std::string> paths{{"eut", sim.SlavePath().substr(4)}};
  for (int tries = 0; tries < 100 && paths.size() < 8; ++tries) {
    std::istringstream lines(sim.Output());
    for (std::string role, path; lines >> role >> path;) paths[role] = path;
    if (paths.size() < 8) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  for (const char* role : {"supply", "switch", "mult", "mult1", "cal", "gen", "gen-tcp"})
    EXPECT_TRUE(paths.count(role)) << role;
  EXPECT_EQ(paths["gen-tcp"].rfind("TCPIP0::127.0.0.1::", 0), 0u);

  auto r = test::RunCliProcess({"--instrument", "cal=" + paths["cal"], "bench", "ambient"}, 20);
  ASSERT_EQ(r.rc, 0) << r.err;
  EXPECT_EQ(r.out, "23.40\n");
  // The converter's thermocouple input now sees the bench: 0 mV on its
  // terminals, its cold junction at the ambient temperature read with the
  // unit's own error.
  r = test::RunCliProcess({"--port", paths["eut"], "measure", "--count", "1", "--csv"}, 20);
  ASSERT_EQ(r.rc, 0) << r.err;
  const double cjc = sim::AnalogueTruth::Seeded(3, *sim::IdentityForModel("PLV7100")).cjcError;
  std::istringstream rows(r.out);
  std::string header, row;
  std::getline(rows, header);
  std::getline(rows, row);
  std::vector<std::string> f;
  std::istringstream fields(row);
  for (std::string field; std::getline(fields, field, ',');) f.push_back(field);
  ASSERT_GE(f.size(), 5u) << r.out;
  EXPECT_NEAR(std::stod(f[4]), 23.4 + cjc, 0.051) << row;
}

}  // namespace
}  // namespace korventa
