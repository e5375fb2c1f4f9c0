// korventa-cli switches through a pseudo-terminal to korventa-sim: the
// switches set on the simulated device come back as the choices they make,
// and measuring shows the output of the range those switches select.
#include <gtest/gtest.h>

#include <sstream>

#include "app/json.h"
#include "cli_process.h"
#include "sim_process.h"

using namespace korventa;

namespace {

TEST(SwitchesOverPty, TheChoicesOfTheSwitchesAndTheMeasuredOutputAgree) {
  test::SimProcess sim;
  std::string errore;
  // PLV7100: Tc J, span position 5 (20 °C), zero position 3 (-80 °C), output
  // A 0-20 mA; the input held in the middle of that range.
  ASSERT_TRUE(sim.Start({"--model", "PLV7100", "--dip", "0x27:0x14:0x03", "--signal-a", "steady:-30"}, errore))
      << errore;
  const auto r = test::RunCliProcess({"--port", sim.SlavePath(), "switches", "--json"}, 60);
  ASSERT_EQ(r.rc, 0) << r.err;
  json::ParseError e;
  const auto doc = json::Parse(r.out, e);
  ASSERT_TRUE(doc) << e.Message() << '\n' << r.out;
  const std::string t = json::WriteCompact(*doc);
  for (const char* atteso : {"\"banks\":[39,20,3]", "\"input\":\"Tc J\"", "\"output\":\"0-20 mA\"",
                             "\"span\":{\"position\":5,\"value\":20}", "\"zero\":{\"position\":3,\"value\":-80}",
                             "\"check\":\"OK\""})
    EXPECT_NE(t.find(atteso), std::string::npos) << atteso << '\n' << t;

  const auto m = test::RunCliProcess({"--port", sim.SlavePath(), "measure", "--count", "1", "--csv"}, 60);
  ASSERT_EQ(m.rc, 0) << m.err;
  std::istringstream righe(m.out);
  std::string riga;
  bool visto = false;
  while (std::getline(righe, riga)) {
    std::vector<std::string> campi;
    std::stringstream t(riga);
    for (std::string c; std::getline(t, c, ',');) campi.push_back(c);
    if (campi.size() < 5 || campi[1] != "A") continue;
    visto = true;
    EXPECT_NEAR(std::stod(campi[2]), 10.0, 0.1) << riga;  // -30 °C in -80..20 °C on 0-20 mA
    EXPECT_EQ(campi[3], "mA");
  }
  EXPECT_TRUE(visto) << m.out;
}

}  // namespace
