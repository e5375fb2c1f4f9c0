// The production run and its calibration steps against the virtual bench:
// a simulated converter of each model with its own analogue errors, the
// calibrator, multimeters, relay unit and supply, all on the virtual clock.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "app/busy.h"
#include "calibration/linearita.h"
#include "factory/collaudo.h"
#include "link/codecs.h"
#include "sim/bench/bench.h"
#include "sim/options.h"
#include "support/scripted_dialogs.h"

namespace korventa {
namespace {

std::size_t U(int i) { return static_cast<std::size_t>(i); }

// One converter of `simModel` on the bench, calibrated as `model`.
struct Banco {
  explicit Banco(const std::string& model, const std::string& simModel = "", unsigned unit = 3) {
    sim::SimOptions o;
    o.model = simModel.empty() ? model : simModel;
    o.unit = unit;
    std::string error;
    converter = sim::MakeSimTransportWithBench(o, bench, error);
    EXPECT_TRUE(converter) << error;
    ports = bench->Ports(sim::BenchPortNames(sel));
    usb = bench->Channels({});
    link = std::make_unique<Link>(state, *converter, dialogs, busy);
    strumenti = std::make_unique<Strumenti>(state, sel, *ports, *usb, dialogs);
    const ModelloTara* m = ModelloTaraDaCodice(model);
    opt_modello_Click(frm, f3100, state, static_cast<int>(m - ModelliTara().data()));
    frm.chk_programma.Value = false;
    frm.chk_switch.Value = false;
    frm.chk_default.Value = false;
    b = std::make_unique<BancoTara>(BancoTara{state, *link, *strumenti, dialogs, frm, f3100});
    b->aggiorna = [this] {
      for (int i = 0; i < kRigheTara; ++i) {
        const Colore c = frm.righe[U(i)].chk_tara.colore;
        if ((c == Colore::Verde || c == Colore::Rosso) && !finite[U(i)]) ordine.push_back(i);
        finite[U(i)] = c == Colore::Verde || c == Colore::Rosso;
      }
      if (onUpdate) onUpdate();
    };
    collaudo = std::make_unique<Collaudo>(*b);
  }
  const sim::MemoryBank& Memory() { return converter->Converter().Bank(0); }
  double Float(int a) { return DecodeFloat(Memory()[U(a + 1)], Memory()[U(a)], Memory()[U(a + 2)]); }
  RigaTara& Row(int r) { return frm.righe[U(r)]; }

  ProgramState state;
  test::ScriptedDialogs dialogs;
  BusyObserver busy;
  SelettoriStrumenti sel;
  std::unique_ptr<sim::VirtualBench> bench;
  std::unique_ptr<sim::SimTransport> converter;
  std::unique_ptr<PortFactory> ports;
  std::unique_ptr<InstrumentIoFactory> usb;
  std::unique_ptr<Link> link;
  std::unique_ptr<Strumenti> strumenti;
  FrmTara frm;
  Frm3100 f3100;
  std::unique_ptr<BancoTara> b;
  std::unique_ptr<Collaudo> collaudo;
  std::array<bool, kRigheTara> finite{};
  std::vector<int> ordine;  // rows in the order they finished
  std::function<void()> onUpdate;
};

void OnlyRows(Banco& x, std::initializer_list<int> rows) {
  for (auto& r : x.frm.righe) r.chk_tara.Value = false;
  for (int r : rows) x.Row(r).chk_tara.Value = true;
}

TEST(CalibrationBytes, DeviceEncodings) {
  EXPECT_EQ(ByteTrim(3), 252);
  EXPECT_EQ(ByteTrim(-3), 3);
  EXPECT_EQ(ByteTrim(0), 0);
  EXPECT_EQ(ByteCjc(-34), 222);
  EXPECT_EQ(ParolaLimite(-20, 25, 1), 65536 - 200);
  EXPECT_EQ(ParolaLimite(10000, 4, 3), 10000);  // 10 V and 20 mA are stored as they are
  // The output byte keeps the device's model-line and high-speed bits.
  EXPECT_EQ(ByteUscitaConservato(0xE3, 16), 0xF0);
}

TEST(CalibrationWindow, ModelSelectionSetsTheRun) {
  FrmTara f;
  Frm3100 d;
  ProgramState s;
  f.chk_Canale[1].Value = true;
  opt_modello_Click(f, d, s, 4);  // PLV7110D: channel A, B left as it was
  EXPECT_EQ(s.Modello, "PLV7110D");
  EXPECT_TRUE(f.chk_Canale[0].Value && f.chk_Canale[1].Value);
  EXPECT_TRUE(f.righe[3].chk_tara.Value && f.righe[9].chk_tara.Value && !f.righe[0].chk_tara.Value);
  opt_modello_Click(f, d, s, 15);  // 3200OEM
  EXPECT_FALSE(f.chk_Canale[1].Value);
  EXPECT_FALSE(f.chk_switch.Value || f.chk_switch.Enabled || f.chk_Consumo.Value);
  EXPECT_FALSE(d.Visible);
  opt_modello_Click(f, d, s, 16);
  EXPECT_TRUE(d.Visible);
  opt_modello_Click(f, d, s, 13);
  EXPECT_TRUE(f.chk_default.Value);
  FrmVerifica v;
  v.report_ver.Text = "old";
  v.Programmazioni = 4;
  Command7_Click(v);
  EXPECT_TRUE(v.Visible && v.ErroreProg && v.report_ver.Text.empty() && v.Programmazioni == 0);
  EXPECT_EQ(v.Spia_verifica.Caption, "STOP");
}

TEST(TwoDeviceWindow, EnableDisablePairs) {
  Frm3100 d;
  AbilitaDispositivo(d, false, 0);
  EXPECT_TRUE(d.Check1[0].Value && d.calibra[0] && d.Command2.Visible && !d.Command1.Visible);
  DisabilitaDispositivo(d, false, 0);
  EXPECT_TRUE(d.Command1.Visible && !d.Command2.Visible && !d.calibra[0] && !d.Check1[0].Value);
  AbilitaDispositivo(d, true, 1);
  EXPECT_TRUE(d.programma[1] && d.Command10.Visible && !d.calibra[1]);
}

TEST(InputStep, NinetyMillivoltsGainFromItsReading) {
  Banco x("PLV7110A");
  x.bench->Truth().gainConstant[0][0] = 2500.0 / 44.2;  // the unit reads 44.2 mV for 50 mV with C0 = 50
  OnlyRows(x, {0});
  x.collaudo->Command2_Click();
  EXPECT_EQ(x.Row(0).txt_k1.Text, "56.561");
  EXPECT_NEAR(x.Float(50), 56.561, 0.01);
  EXPECT_EQ(x.Row(0).chk_tara.colore, Colore::Verde);
}

TEST(InputStep, TenVoltToleranceIsTwoPercentOfNominal) {
  struct Case {
    double truth;
    Colore colour;
    double stored;
  } cases[] = {{19900 + 390, Colore::Verde, 19900 + 390}, {19900 + 420, Colore::Rosso, 20000}};
  for (const auto& c : cases) {
    Banco x("PLV7110D");
    x.bench->Truth().gainConstant[0][3] = c.truth;
    OnlyRows(x, {3});
    const EsitoCollaudo e = x.collaudo->Command2_Click();
    EXPECT_FALSE(e.errore) << e.messaggio;
    EXPECT_EQ(x.Row(3).txt_k1.colore, c.colour) << c.truth;
    EXPECT_NEAR(x.Float(59), c.stored, 2) << "memory keeps C0 when the constant is refused";
  }
}

TEST(InputStep, ColdJunctionOffsetKeepsTheModelLineBits) {
  Banco x("PLV7110A");
  x.bench->Truth().cjcError = 3.4;  // the device reads 3.4 °C high: offset -34 tenths
  OnlyRows(x, {7});
  const int line = x.Memory()[4] & 0xE0;
  x.collaudo->Command2_Click();
  EXPECT_EQ(x.Memory()[7], 222);
  EXPECT_EQ(x.Memory()[8], 222);
  EXPECT_EQ(x.Memory()[4] & 0xE0, line);
  EXPECT_EQ(x.Row(7).chk_tara.colore, Colore::Verde);
}

TEST(ProductionRun, SupplyCurrentLimits) {
  struct Case {
    double extra;
    bool asked;
  } cases[] = {{2, false}, {6, true}};  // 28 mA and 32 mA at 20 V against 26
  for (const auto& c : cases) {
    Banco x("PLV7100");
    x.bench->Truth().extraSupply_mA = c.extra;
    OnlyRows(x, {});
    x.dialogs.answers = {Answer::Ignore, Answer::Ignore, Answer::Ignore};
    x.collaudo->Command2_Click();
    bool asked = false;
    for (const auto& box : x.dialogs.boxes)
      if (box.text.rfind("Consumo Errato 32mA @ 20V (26)", 0) == 0) asked = box.buttons == Buttons::AbortRetryIgnore;
    EXPECT_EQ(asked, c.asked) << c.extra;
  }
  Banco y("PLV7110A");
  y.bench->Truth().extraSupply_mA = 12;
  OnlyRows(y, {});
  y.dialogs.answers = {Answer::Abort};
  const EsitoCollaudo e = y.collaudo->Command2_Click();
  ASSERT_FALSE(y.dialogs.boxes.empty());
  EXPECT_NE(y.dialogs.boxes[0].text.find("mA @ 20V ("), std::string::npos) << "checked at 18 V, said at 20 V";
  EXPECT_TRUE(e.fermato);
  EXPECT_EQ(y.frm.lbl_collaudo.Caption, "COLLAUDO TERMINATO");
  EXPECT_FALSE(y.bench->State().supplyOn);
}

TEST(ProductionRun, ChannelAUntickedGoesStraightToChannelB) {
  Banco x("PLV7120A");
  x.frm.chk_Canale[0].Value = false;
  x.frm.chk_Consumo.Value = false;
  const EsitoCollaudo e = x.collaudo->Command2_Click();
  EXPECT_FALSE(e.errore) << e.messaggio;
  ASSERT_FALSE(x.ordine.empty());
  EXPECT_EQ(x.ordine.front(), 12);
  for (int r : {0, 1, 2, 7, 8, 9}) EXPECT_EQ(x.Row(r).chk_tara.colore, Colore::Normale);
  EXPECT_EQ(x.Row(11).chk_tara.colore, Colore::Verde);
}

TEST(ProductionRun, FinalProgrammingKeepsTheColdJunctionOffsets) {
  const auto dir = std::filesystem::temp_directory_path() / "korventa_model_files";
  std::filesystem::create_directories(dir);
  for (const char* m : {"PLV7120A", "PLV7110A"}) {
    std::ofstream f(dir / (std::string(m) + ".dat"));
    for (int i = 0; i < 28; ++i) f << (i < 3 ? 1 : 99) << "\r\n";
  }
  struct Case {
    const char* model;
    bool keeps8;
  } cases[] = {{"PLV7120A", true}, {"PLV7110A", false}};
  for (const auto& c : cases) {
    Banco x(c.model);
    OnlyRows(x, {});
    x.frm.chk_programma.Value = true;
    x.frm.cartellaModelli = dir.string();
    const int b7 = x.Memory()[7], b8 = x.Memory()[8];
    EXPECT_FALSE(x.collaudo->Command2_Click().errore);
    EXPECT_EQ(x.Memory()[7], b7);
    EXPECT_EQ(x.Memory()[8], c.keeps8 ? b8 : 99);
    EXPECT_EQ(x.Memory()[27], 99);
  }
  Banco missing("PLV7210A");
  OnlyRows(missing, {});
  missing.frm.cartellaModelli = (dir / "none").string();
  missing.frm.chk_programma.Value = true;
  EXPECT_TRUE(missing.collaudo->Command2_Click().errore);
  EXPECT_EQ(missing.frm.coloreCollaudo, Colore::Rosso);
}

TEST(ProductionRun, ResumeSkipsGreenRowsAndTouchesNothingElse) {
  Banco x("PLV7110A");
  const EsitoCollaudo first = x.collaudo->Command2_Click();
  ASSERT_TRUE(first.Superato()) << first.messaggio;
  const auto before = x.Memory();
  x.ordine.clear();
  PulisciRiga(x.Row(1));
  x.finite[1] = false;
  const EsitoCollaudo again = x.collaudo->Command6_Click();
  EXPECT_TRUE(again.Superato());
  EXPECT_EQ(x.ordine, std::vector<int>{1});
  for (int a : {7, 8, 50, 51, 52, 56, 57, 58, 106, 107, 108}) EXPECT_EQ(x.Memory()[U(a)], before[U(a)]) << a;
}

TEST(ProductionRun, StopEndsTheRunAtTheNextStep) {
  Banco x("PLV7110A");
  x.frm.chk_programma.Value = false;
  x.onUpdate = [&x] {
    if (x.Row(0).chk_tara.colore == Colore::Verde) Command5_Click(x.frm);
  };
  const EsitoCollaudo e = x.collaudo->Command2_Click();
  EXPECT_TRUE(e.fermato);
  EXPECT_EQ(x.ordine, std::vector<int>{0});
  EXPECT_EQ(x.frm.lbl_collaudo.Caption, "COLLAUDO TERMINATO");
  EXPECT_FALSE(x.bench->State().supplyOn);
  EXPECT_FALSE(x.converter->Converter().Forced()[0].has_value());
}

TEST(ProductionRun, OemCalibratesItsOutputFirst) {
  Banco x("3200OEM");
  x.collaudo->Command2_Click();
  EXPECT_EQ(x.state.CodVariante, 8);  // the OEM board answers as a PLV7150
  ASSERT_GE(x.ordine.size(), 2u);
  EXPECT_EQ(x.ordine[0], 9);
  EXPECT_EQ(x.ordine[1], 20);
}

TEST(ProductionRun, TwoDeviceModelWithNeitherDeviceSendsNoDeviceRelays) {
  Banco x("PLV3100");
  x.collaudo->Command2_Click();
  EXPECT_TRUE(x.bench->State().closed.empty());
}

TEST(ProductionRun, GainErrorBeyondTwoPercentIsRedAndTheRunGoesOn) {
  Banco x("PLV7210A");
  x.bench->Truth().gainConstant[0][1] = 113 * 1.03;
  const EsitoCollaudo e = x.collaudo->Command2_Click();
  EXPECT_FALSE(e.errore);
  EXPECT_EQ(x.Row(1).chk_tara.colore, Colore::Rosso);
  EXPECT_EQ(e.righeRosse, std::vector<int>{1});
  EXPECT_EQ(x.Row(11).chk_tara.colore, Colore::Verde);
}

TEST(LinearitySweep, OutputSweepWritesUntilStopAndLeavesForcing) {
  Banco x("PLV7110A");
  x.ports = x.bench->Ports({{"COM8", sim::BenchRole::Mult}, {"COM2", sim::BenchRole::Mult1}});
  x.strumenti = std::make_unique<Strumenti>(x.state, x.sel, *x.ports, *x.usb, x.dialogs);
  const auto dir = std::filesystem::temp_directory_path() / "korventa_sweep";
  std::filesystem::create_directories(dir);
  x.frm.cartellaModelli = dir.string();
  BancoTara b{x.state, *x.link, *x.strumenti, x.dialogs, x.frm, x.f3100};
  int righe = 0;
  b.aggiorna = [&] {
    if (++righe == 3) Command4_Click(x.frm);
  };
  std::string errore;
  ASSERT_TRUE(Command9_Click(b, errore)) << errore;
  std::ifstream f(dir / "linear.dat");
  std::string a, c;
  std::getline(f, a);
  std::getline(f, c);
  EXPECT_EQ(a.substr(0, 4), "800\t");
  EXPECT_EQ(c.substr(0, 4), "801\t");
  EXPECT_EQ(x.sel.txt_comMult, "Com3");  // the operator's selector is back
  EXPECT_FALSE(x.converter->Converter().Forced()[0].has_value());
}

class EveryModel : public ::testing::TestWithParam<const char*> {};

TEST_P(EveryModel, FullRunEndsGreen) {
  const std::string m = GetParam();
  Banco x(m);
  if (m == "PLV3100") AbilitaDispositivo(x.f3100, false, 0);
  const EsitoCollaudo e = x.collaudo->Command2_Click();
  EXPECT_FALSE(e.errore) << e.messaggio;
  EXPECT_EQ(x.frm.lbl_collaudo.Caption, "COLLAUDO TERMINATO");
  EXPECT_EQ(e.righeRosse, std::vector<int>{}) << m;
}

INSTANTIATE_TEST_SUITE_P(Models, EveryModel,
                         ::testing::Values("PLV7100", "PLV7110A", "PLV7110B", "PLV7110C", "PLV7110D", "PLV7120A",
                                           "PLV7120B", "PLV7120C", "PLV7120D", "PLV7210A", "PLV7210B", "PLV7210C",
                                           "PLV7210D", "PLV7220D", "PLV7150", "3200OEM", "PLV3100"));

}  // namespace
}  // namespace korventa
