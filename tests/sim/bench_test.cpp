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
    const int trim = sim::ZeroTrimAddress(converter->Converter().Identity(), r.type, 0);
    if (trim >= 0) {
      // Zero trim first: the byte from the reading at zero.
      Write({{trim, 0}});
      Apply(r, 0);
      const long zero = std::lround(Reading());
      EXPECT_NE(zero, 0);
      Write({{trim, static_cast<int>(zero > 0 ? 255 - zero : -zero)}});
      EXPECT_NEAR(Reading(), 0, 1e-3);
    }
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

std::string Send(sim::SimInstrument& i, const std::string& bytes) {
  std::string reply;
  for (char c : bytes) reply += i.Receive(static_cast<std::uint8_t>(c));
  return reply;
}

TEST(SimInstruments, CommandsChangeTheBenchOnlyWhenWellFormed) {
  sim::BenchState st;
  sim::SimCalibrator cal(st);
  // A packet with a wrong check byte is answered byte for byte but not obeyed.
  EXPECT_EQ(Send(cal, std::string("\x01\x81\x00\x00\x03\xE8\x00", 7)).size(), 7u);
  EXPECT_EQ(st.calValue, 0);
  Send(cal, std::string("\x01\x81\xFF\xFF\xFF\xFF\x7C", 7));
  EXPECT_EQ(st.calValue, -1);
  Send(cal, std::string("\x01\x80\x08\x01\x00\x00\x09", 7));  // temperature select keeps the output
  Send(cal, std::string("\x01\x80\x03\x00\x00\x00\x03", 7));
  EXPECT_EQ(st.calFunction, 3);

  sim::SimRelayUnit relays(st);
  Send(relays, "rout:close (@101,102)\r\nROUT:CLOSE (@113)\nrout:open (@102)\r\nrout:bogus (@104)\r\n");
  EXPECT_EQ(st.closed, (std::set<int>{101, 113}));

  sim::SimFunctionGenerator gen(st);
  Send(gen, "*RST\nFUNCtion SQUARE\nVOLTage 5\nVOLTage:OFFSet 2.5\nFREQ 50\nOUTPut ON\nFUNC\n");
  EXPECT_EQ(st.genFunction, "");
  EXPECT_EQ(st.genVolts, 5);
  EXPECT_EQ(st.genOffset, 2.5);
  EXPECT_EQ(st.genFrequency, 50);
  EXPECT_TRUE(st.genOutput);
  Send(gen, "DATA VOLATILE, 0, 1, -1, 0.5\nDATA:COPY RIMB\nFUNCtion:USER RIMB\nOUTPut OFF\n");
  EXPECT_EQ(gen.userPoints, 4u);
  EXPECT_EQ(gen.userName, "RIMB");
  EXPECT_EQ(st.genFunction, "USER RIMB");
  EXPECT_FALSE(st.genOutput);
}

TEST_F(BenchPlv7100, SupplyCurrentFollowsTheVoltageAndTheFrequencyModelTheGenerator) {
  sim::BenchState& st = bench.State();
  st.supplyOn = true;
  for (auto [volts, mA] : {std::pair{20.0, 26.0}, {24.0, 23.5}, {30.0, 21.0}, {5.0, 0.0}}) {
    st.supplyVolts = volts;
    EXPECT_NEAR(bench.SupplyCurrent() * 1000, mA, 1e-9) << volts;
  }
  sim::VirtualBench frequency(*sim::IdentityForModel("PLV7300"));
  frequency.Engage();
  frequency.State().genOutput = true;
  frequency.State().genFrequency = 1234;
  sim::MemoryBank memory{};
  const std::array<std::uint8_t, 4> dip{};
  const sim::DeviceIdentity id = *sim::IdentityForModel("PLV7300");
  const auto sample = frequency.Model()->Sample({id, memory, dip, {}, 0.0});
  EXPECT_EQ(sample.input[0], 1234);
}

}  // namespace
}  // namespace korventa
