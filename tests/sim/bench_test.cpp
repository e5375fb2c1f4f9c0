// The virtual bench wired to a simulated PLV7100: a known calibrator value
// routed to each input type comes back through the converter's measurement,
// off by the unit's own gain error until the gain constant found from that
// reading is written, and exact afterwards.
#include <gtest/gtest.h>

#include <cmath>

#include "app/busy.h"
#include "instruments/strumenti.h"
#include "link/codecs.h"
#include "link/link.h"
#include "sim/bench/bench.h"
#include "sim/options.h"
#include "support/scripted_dialogs.h"

namespace korventa {
namespace {

using sim::BenchRole;

struct Route {
  int type;
  const char* relays;
  int function;
  double k;  // calibrator units per unit of the range
  double setPoint;
  int address;  // the range's gain constant, channel A
};

class BenchPlv7100 : public ::testing::Test {
 protected:
  BenchPlv7100() : bench(*sim::IdentityForModel("PLV7100"), sim::BenchOptions{7, 2}) {
    sim::SimOptions o;
    o.model = "PLV7100";
    o.measureModel = bench.Model();
    std::string error;
    converter = sim::MakeSimTransport(o, error);
    bench.Attach(converter->Converter());
    link = std::make_unique<Link>(state, *converter, dialogs, busy);
    link->OpenPort("SIM", error);
    ports = bench.Ports({{"COM5", BenchRole::Switch}, {"COM6", BenchRole::Cal}});
    usb = bench.Channels({});
    strumenti = std::make_unique<Strumenti>(state, sel, *ports, *usb, dialogs);
  }

  void Write(std::initializer_list<std::pair<int, int>> pairs) {
    state.BufIndirizzi.clear();
    state.BufDati.clear();
    for (auto [a, v] : pairs) {
      state.BufIndirizzi.push_back(static_cast<std::uint8_t>(a));
      state.BufDati.push_back(static_cast<std::uint8_t>(v));
    }
    ASSERT_TRUE(link->WriteBytes(0, static_cast<int>(pairs.size())));
  }
  void WriteConstant(int address, double c) {
    const auto b = EncodeFloat(c);  // SE, EF, F
    Write({{address, b[2]}, {address + 1, b[1]}, {address + 2, b[0]}});
  }
  // The device's reading of channel A, as the calibration reads it.
  double Reading() {
    link->StartMeasure();
    link->Pausa(0.5);
    const auto m = link->ReadMeasure();
    link->StopMeasure();
    EXPECT_EQ(m[0], 0);
    return DecodeMeasureFloat(m[11], m[12], m[13]);
  }
  void Apply(const Route& r, double value) {
    ASSERT_TRUE(strumenti->ImpostaSwitch(r.relays)) << strumenti->Errore();
    std::array<std::uint8_t, 4> d{static_cast<std::uint8_t>(r.function), 0, 0, 0};
    ASSERT_TRUE(strumenti->InviaCal(1, kCalFunzione, d));
    ASSERT_TRUE(strumenti->ImpostaCal(value * r.k));
  }

  ProgramState state;
  SelettoriStrumenti sel;
  test::ScriptedDialogs dialogs;
  BusyObserver busy;
  sim::VirtualBench bench;
  std::unique_ptr<sim::SimTransport> converter;
  std::unique_ptr<Link> link;
  std::unique_ptr<PortFactory> ports;
  std::unique_ptr<InstrumentIoFactory> usb;
  std::unique_ptr<Strumenti> strumenti;
};

TEST_F(BenchPlv7100, EachInputTypeReadsTheCalibratorOnceItsGainIsCalibrated) {
  const Route routes[] = {
      {1, "101A102A103A104A105A", 0, 1000, 50, 50},     {2, "101A102A103A104A105A", 0, 1000, 125, 53},
      {3, "101A102A103A104A105A", 1, 100, 500, 56},     {4, "101A102A103C104C105A", 2, 10, 5000, 59},
      {5, "101A102C103C104C105C", 3, 10, 10000, 62},    {16, "101C102C103C104A105A", 5, 100, 1400, 65},
      {17, "101C102C103C104A105A", 4, 1000, 300, 68},
  };
  for (const Route& r : routes) {
    SCOPED_TRACE(r.type);
    Write({{0, r.type}, {3, 0}});
    const double c0 = bench.Truth().Constant(converter->Converter().Identity(), r.type, 0) * 1.03;
    WriteConstant(r.address, c0);
    Apply(r, r.setPoint);
    const double before = Reading();
    EXPECT_GT(std::fabs(before - r.setPoint), r.setPoint * 0.01);  // a wrong constant reads wrong
    WriteConstant(r.address, c0 * r.setPoint / before);
    EXPECT_NEAR(Reading(), r.setPoint, r.setPoint * 2e-4);
    // Half scale with the same constant.
    Apply(r, r.setPoint / 2);
    EXPECT_NEAR(Reading(), r.setPoint / 2, r.setPoint * 2e-4);
    // The wrong terminals read nothing.
    ASSERT_TRUE(strumenti->ImpostaSwitch(r.type == 5 ? "101A102A103A104A105A" : "101A102C103C104C105C"));
    EXPECT_NEAR(Reading(), 0, 1e-3);
  }
}

TEST_F(BenchPlv7100, ColdJunctionOffsetFromTheAmbientTemperatureMakesTheThermocoupleExact) {
  Write({{0, 8}, {3, 0}, {7, 0}, {8, 0}});
  Apply({8, "101A102A103A104A105A", 0, 1000, 0, 50}, 0);
  const double t = Reading();
  const auto ta = strumenti->LeggiTempAmbiente();
  ASSERT_TRUE(ta);
  EXPECT_NEAR(t - *ta, bench.Truth().cjcError, 0.01);
  const int offset = static_cast<int>(std::lround((*ta - t) * 10));
  Write({{7, (offset + 256) % 256}, {8, (offset + 256) % 256}});
  EXPECT_NEAR(Reading(), *ta, 0.06);
}

TEST_F(BenchPlv7100, MultimeterReadsTheForcedOutputThroughTheOutputStage) {
  // Output calibration: force raw 800 and 3500, read the multimeter.
  sel.txt_comMult = "Com3";
  auto meters = bench.Ports({{"COM3", BenchRole::Mult}});
  Strumenti mult(state, sel, *meters, *usb, dialogs);
  Write({{4, 1}});  // 4-20 mA output
  ASSERT_TRUE(mult.ImpostaMult(0, "REM", "CURR"));
  link->EnterProgram();
  link->SendValueA(800);
  const auto y1 = mult.LeggiMult(0);
  link->SendValueA(3500);
  const auto y2 = mult.LeggiMult(0);
  link->ExitProgram();
  ASSERT_TRUE(y1 && y2) << mult.Errore();
  const auto& truth = bench.Truth();
  EXPECT_NEAR(*y1, 4.0 * (1 + truth.outputGain[0]) + truth.outputOffset[0], 1e-6);
  EXPECT_NEAR(*y2, 20.0 * (1 + truth.outputGain[0]) + truth.outputOffset[0], 1e-6);
}

}  // namespace
}  // namespace korventa
