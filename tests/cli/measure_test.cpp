// korventa-cli measure against the simulated converter on a virtual clock:
// the CSV rows and the printed readings show the simulated input back, the
// count ends the run, and a device that stops streaming is a communication
// failure.
#include <gtest/gtest.h>

#include <cmath>
#include <regex>
#include <sstream>

#include "cli/app.h"
#include "link/transport.h"
#include "support/forwarding_transport.h"

using namespace korventa;
using namespace korventa::cli;

namespace {

struct Outcome {
  int rc;
  std::string out;
  std::string err;
};

Outcome Cli(std::vector<std::string> args, TransportFactory factory = &VirtualSimulatedTransport) {
  std::ostringstream out, err;
  const int rc = RunCli(args, out, err, factory);
  return {rc, out.str(), err.str()};
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  return lines;
}

std::vector<std::string> Fields(const std::string& row) {
  std::vector<std::string> f;
  std::size_t from = 0;
  for (;;) {
    const std::size_t comma = row.find(',', from);
    f.push_back(row.substr(from, comma == std::string::npos ? std::string::npos : comma - from));
    if (comma == std::string::npos) return f;
    from = comma + 1;
  }
}

// The simulated device that never starts streaming: "MI" is lost.
class NoStream : public korventa::test::ForwardingTransport {
 public:
  using ForwardingTransport::ForwardingTransport;
  IoStatus Write(std::span<const std::uint8_t> b) override {
    if (b.size() == 3 && b[0] == 'M' && b[1] == 'I') return IoStatus::Ok;
    return ForwardingTransport::Write(b);
  }
};

std::unique_ptr<Transport> NoStreamFactory(const GlobalOptions& o, std::string& error) {
  auto t = VirtualSimulatedTransport(o, error);
  if (!t) return nullptr;
  return std::make_unique<NoStream>(std::move(t));
}

}  // namespace

TEST(CliMeasure, CsvRowsShowTheSimulatedInput) {
  const Outcome r = Cli({"--simulate", "PLV7110A", "--sim-opt", "signal-a=steady:123.4", "measure", "--count", "3", "--csv"});
  ASSERT_EQ(r.rc, kExitOk) << r.err;
  const auto lines = Lines(r.out);
  // One channel on this model: the header and one row per reading.
  ASSERT_EQ(lines.size(), 4u) << r.out;
  EXPECT_EQ(lines[0], "timestamp,channel,output,output_unit,input,input_unit,status");
  const std::regex stamp(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z)");
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const auto f = Fields(lines[i]);
    ASSERT_EQ(f.size(), 7u) << lines[i];
    EXPECT_TRUE(std::regex_match(f[0], stamp)) << f[0];
    EXPECT_EQ(f[1], "A");
    // Tc J 0..400 °C on 4..20 mA: 123.4 °C drives 8.936 mA.
    EXPECT_NEAR(std::stod(f[2]), 4 + 16 * 123.4 / 400, 0.0015) << lines[i];
    EXPECT_EQ(f[3], "mA");
    EXPECT_EQ(f[4], "123.4");
    EXPECT_EQ(f[5], "°C");
  }

  // The PLV7100 sends its input itself and has a second output: two rows
  // per reading, the trip status with them.
  const Outcome v0 = Cli({"--simulate", "PLV7100", "--sim-opt", "signal-a=ramp:500:900:2", "measure", "--count", "3",
                      "--csv"});
  ASSERT_EQ(v0.rc, kExitOk) << v0.err;
  const auto rows = Lines(v0.out);
  ASSERT_EQ(rows.size(), 7u) << v0.out;
  for (std::size_t i = 1; i < rows.size(); ++i) {
    const auto f = Fields(rows[i]);
    EXPECT_EQ(f[1], i % 2 ? "A" : "B");
    EXPECT_EQ(f[5], "°C");
    const double x = std::stod(f[4]);
    EXPECT_GE(x, 500);
    EXPECT_LE(x, 900);
  }
}

TEST(CliMeasure, PrintsTheSummaryAndEachReading) {
  const Outcome r = Cli({"--lang", "en", "--simulate", "PLV7100", "--sim-opt", "signal-a=steady:850", "measure",
                     "--count", "2"});
  ASSERT_EQ(r.rc, kExitOk) << r.err;
  const auto lines = Lines(r.out);
  ASSERT_GE(lines.size(), 5u) << r.out;
  EXPECT_EQ(lines[0], "device: GN-7100 (PLV7100), ID=12/0");
  EXPECT_EQ(lines[1], "A input: Tc K  0÷ 1000 °C");
  EXPECT_EQ(lines[2], "A output:  4÷ 20 mA");
  EXPECT_NE(r.out.find("trip A: H =  800 °C, L =  780 °C, MAX, Delay =  2 sec.\n"), std::string::npos) << r.out;
  // 850 °C is above the trip: pending for its 2 s delay.
  EXPECT_NE(r.out.find("1 A  output 17.600 mA  input 850.0 °C  trip A pending\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("2 A  output 17.600 mA  input 850.0 °C"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("3 A"), std::string::npos);
}

TEST(CliMeasure, CommunicationFailuresAndBadArguments) {
  // Readings never come: after the retries allowed, exit 2.
  const Outcome r = Cli({"--simulate", "PLV7110A", "measure", "--count", "1"}, &NoStreamFactory);
  EXPECT_EQ(r.rc, kExitComm) << r.out;
  EXPECT_NE(r.err.find("stopped sending readings"), std::string::npos) << r.err;
  // A device that answers nothing.
  EXPECT_EQ(Cli({"--simulate", "PLV7110A", "--sim-opt", "silent-after=0", "measure", "--count", "1"}).rc, kExitComm);
  EXPECT_EQ(Cli({"--simulate", "PLV7110A", "measure", "--count", "0"}).rc, kExitUsage);
  EXPECT_EQ(Cli({"--simulate", "PLV7110A", "measure", "--csvx"}).rc, kExitUsage);
}
