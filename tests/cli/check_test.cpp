// korventa-cli check, forcing, stability and linearity against the
// in-process simulated converter and virtual bench.
#include <gtest/gtest.h>

#include <csignal>

#include "run_cli.h"
#include "sim/sim_transport.h"

namespace korventa {
namespace {

using test::Cli;

// The simulated device of the run, seen from the test: every frame the
// program wrote, and Ctrl-C pressed once the third forcing frame went out.
struct Osservato {
  sim::SimTransport* converter = nullptr;
  std::vector<std::string> frames;
  // The outputs still forced when the program let go of the device.
  std::array<std::optional<int>, 2> forzate{};
};
Osservato* osservato = nullptr;

class CtrlCDopoTreForzature final : public Transport {
 public:
  explicit CtrlCDopoTreForzature(std::unique_ptr<Transport> t) : t_(std::move(t)) {}
  ~CtrlCDopoTreForzature() override {
    if (osservato->converter) osservato->forzate = osservato->converter->Converter().Forced();
  }
  void SetPort(const std::string& n) override { t_->SetPort(n); }
  std::string Port() const override { return t_->Port(); }
  bool Open(std::string& e) override { return t_->Open(e); }
  void Close() override { t_->Close(); }
  bool IsOpen() const override { return t_->IsOpen(); }
  IoStatus Write(std::span<const std::uint8_t> b) override {
    osservato->frames.emplace_back(b.begin(), b.end());
    if (osservato->frames.back().rfind("$I", 0) == 0 && ++forzature_ == 3) std::raise(SIGINT);
    return t_->Write(b);
  }
  IoStatus ReadAll(std::vector<std::uint8_t>& out) override { return t_->ReadAll(out); }
  void Discard() override { t_->Discard(); }
  void Wait(Clock::time_point d, bool w) override { t_->Wait(d, w); }
  Clock::time_point Now() const override { return t_->Now(); }

 private:
  std::unique_ptr<Transport> t_;
  int forzature_ = 0;
};

std::unique_ptr<Transport> Osserva(const cli::GlobalOptions& o, std::string& error) {
  auto t = cli::VirtualSimulatedTransport(o, error);
  osservato->converter = dynamic_cast<sim::SimTransport*>(t.get());
  return std::make_unique<CtrlCDopoTreForzature>(std::move(t));
}

TEST(CliBenchTests, ForcingEndedByCtrlCLeavesTheDeviceOutOfForcing) {
  Osservato o;
  osservato = &o;
  auto r = Cli({"--simulate", "PLV7100", "forcing", "--a", "3500", "--b", "800"}, &Osserva);
  osservato = nullptr;
  EXPECT_EQ(r.rc, 0) << r.err;
  EXPECT_EQ(r.out, "forcing A=3500 B=800 until Ctrl-C\nforcing ended\n");
  ASSERT_TRUE(o.converter);
  EXPECT_FALSE(o.forzate[0].has_value());
  EXPECT_FALSE(o.forzate[1].has_value());
  std::size_t i = o.frames.size();
  while (i > 0 && o.frames[i - 1].rfind("$FPxx", 0) != 0) --i;
  ASSERT_GT(i, 0u);
  for (; i < o.frames.size(); ++i) EXPECT_NE(o.frames[i].substr(0, 2), "$I");
  // A raw value that is not a whole number is refused, nothing forced.
  r = Cli({"--simulate", "PLV7100", "forcing", "--a", "12.5", "--seconds", "1"});
  EXPECT_EQ(r.rc, 1);
  EXPECT_NE(r.err.find("12.5"), std::string::npos) << r.err;
  r = Cli({"--simulate", "PLV7100", "forcing", "--b", "2000", "--seconds", "1"});
  EXPECT_EQ(r.rc, 0) << r.err;
}

TEST(CliBenchTests, CheckPrintsTheReportAndLinearityTheDeviations) {
  auto r = Cli({"--simulate", "PLV7100", "check", "--device", "PLV7100", "--input", "mA", "--min", "4", "--max", "20",
                "--output", "mA"});
  EXPECT_EQ(r.rc, 0) << r.err;
  EXPECT_EQ(r.out.rfind("Taratura in corso N° : 1 Range: 4 ÷ 20 mA\nValore di zero: ", 0), 0u) << r.out;
  EXPECT_NE(r.out.find("Valore di 1/2 scala: "), std::string::npos);
  EXPECT_NE(r.out.find("Taratura dispositivo N° 1 : terminata\n"), std::string::npos);
  r = Cli({"--simulate", "PLV7100", "check", "--device", "PLV7100", "--input", "mVL", "--min", "-21", "--max", "20",
           "--output", "V"});
  EXPECT_EQ(r.rc, 3);
  EXPECT_NE(r.err.find("Valore non corretto per mVL; selezionare ingresso mVH"), std::string::npos) << r.err;
  r = Cli({"--simulate", "PLV7100", "check", "--device", "PLV9999", "--input", "mA", "--min", "4", "--max", "20",
           "--output", "mA"});
  EXPECT_EQ(r.rc, 1);

  // The simulated generator is exact: from 0 nothing deviates by more than 1.
  r = Cli({"--simulate", "PLV7300", "linearity", "--start", "0", "--end", "300", "--step", "100"});
  EXPECT_EQ(r.rc, 0) << r.err;
  EXPECT_EQ(r.out, "");
  r = Cli({"--simulate", "PLV7300", "linearity", "--start", "0", "--end", "300", "--step", "100", "--tol", "-1"});
  EXPECT_EQ(r.out.rfind("0-->.001\n", 0), 0u) << r.out;
  r = Cli({"--simulate", "PLV7300", "stability", "--ref", "800", "--tol", "1", "--count", "3"});
  EXPECT_EQ(r.rc, 0) << r.err;
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 3) << r.out;
}

}  // namespace
}  // namespace korventa
