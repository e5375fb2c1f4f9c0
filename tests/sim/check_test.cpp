// The calibration check and the bench-test window against the virtual
// bench: the check run's report of a programmed simulated converter, the
// range rules, the linearity sweep through the simulated generator, and
// output forcing seen by the multimeter.
#include <gtest/gtest.h>

#include "app/context.h"
#include "calibration/verifica.h"
#include "config/program_window.h"
#include "config/read_config.h"
#include "factory/frm_test.h"
#include "instruments/strumenti.h"
#include "sim/bench/bench.h"
#include "sim/options.h"
#include "support/scripted_dialogs.h"

namespace korventa {
namespace {

using sim::BenchRole;

// The generator's channel, every command it was sent kept in order.
class Registra final : public InstrumentIoFactory {
 public:
  explicit Registra(std::unique_ptr<InstrumentIoFactory> f) : f_(std::move(f)) {}
  std::unique_ptr<InstrumentIo> Make(const std::string& r, std::string& e) override {
    auto io = f_->Make(r, e);
    return io ? std::make_unique<Canale>(std::move(io), comandi) : nullptr;
  }
  std::vector<std::string> comandi;

 private:
  struct Canale final : InstrumentIo {
    Canale(std::unique_ptr<InstrumentIo> io, std::vector<std::string>& c) : io(std::move(io)), c(c) {}
    bool Open(std::string& e) override { return io->Open(e); }
    void Close() override { io->Close(); }
    bool WriteString(const std::string& s, std::string& e) override {
      c.push_back(s);
      return io->WriteString(s, e);
    }
    std::optional<std::string> ReadString(std::string& e) override { return io->ReadString(e); }
    void Clear() override { io->Clear(); }
    void SetTimeout(int ms) override { io->SetTimeout(ms); }
    void Wait(Clock::time_point d) override { io->Wait(d); }
    std::unique_ptr<InstrumentIo> io;
    std::vector<std::string>& c;
  };
  std::unique_ptr<InstrumentIoFactory> f_;
};

class Banco : public ::testing::Test {
 protected:
  void Avvia(const std::string& modello) {
    sim::SimOptions o;
    o.model = modello;
    o.clock = sim::ClockMode::Virtual;
    std::string error;
    converter = sim::MakeSimTransportWithBench(o, bench, error);
    ASSERT_TRUE(converter) << error;
    link = std::make_unique<Link>(state, *converter, dialogs, busy);
    ASSERT_TRUE(link->OpenPort("SIM", error));
    ports = bench->Ports(sim::BenchPortNames(sel));
    usb = std::make_unique<Registra>(bench->Channels({{sel.risorsaUsb, BenchRole::Generator}}));
    strumenti = std::make_unique<Strumenti>(state, sel, *ports, *usb, dialogs);
    ctx = std::make_unique<Context>(Context{state, w, *link, dialogs});
    v = std::make_unique<Verifica>(Verifica{*ctx, *strumenti, w.frm_verifica, w.interfaccia_strum_ver, w.Taratura});
    comm_strum_Click(*v);
  }
  std::vector<std::string> Messaggi() const {
    std::vector<std::string> t;
    for (const auto& b : dialogs.boxes) t.push_back(b.text);
    return t;
  }
  void Imposta(int ingresso, const std::string& min, const std::string& max, const std::string& out) {
    InterfacciaStrumVer& i = w.interfaccia_strum_ver;
    i.minimo.Text = min;
    i.massimo.Text = max;
    calibratore_in_Click(*v, ingresso);
    i.outvi.Select(out == "mA" ? 1 : 0);
  }

  ProgramState state;
  Windows w;
  SelettoriStrumenti sel;
  test::ScriptedDialogs dialogs;
  BusyObserver busy;
  std::unique_ptr<sim::VirtualBench> bench;
  std::unique_ptr<sim::SimTransport> converter;
  std::unique_ptr<Link> link;
  std::unique_ptr<PortFactory> ports;
  std::unique_ptr<Registra> usb;
  std::unique_ptr<Strumenti> strumenti;
  std::unique_ptr<Context> ctx;
  std::unique_ptr<Verifica> v;
};

TEST_F(Banco, RangeRulesAndTheSupplyLimitStopTheCheckWithTheirMessages) {
  Avvia("PLV7100");
  const struct {
    int ingresso;
    const char *min, *max;
    const char* messaggio;  // empty: accepted
  } casi[] = {{0, "-20", "200", ""},
              {0, "-21", "100", "Valore non corretto per mVL; selezionare ingresso mVH"},
              {0, "0", "201", "Valore non corretto per mVL; selezionare ingresso mVH"},
              {1, "-201", "800", "Valore non corretto per mVH; selezionare ingresso V"},
              {1, "-200", "800", ""}};
  for (const auto& c : casi) {
    SCOPED_TRACE(std::string(c.min) + " " + c.max);
    const auto r = RegolaRange(c.ingresso, std::stod(c.min), std::stod(c.max));
    EXPECT_EQ(r.value_or(""), c.messaggio);
  }
  // mA 4..20: the calibrator gets 4, 12 and 20 × 10^4.
  mode_aut_man_Click(*v, 0);
  Imposta(3, "4", "20", "mA");
  EXPECT_EQ(w.interfaccia_strum_ver.mezzo_scala.Text, "12");
  ASSERT_TRUE(set_cali_Click(*v)) << w.frm_verifica.report_ver.Text;
  EXPECT_EQ(w.Taratura.Zero, 40000);
  EXPECT_EQ(w.Taratura.Meta, 120000);
  EXPECT_EQ(w.Taratura.Span, 200000);
  // 17.9 V is refused and nothing reaches the supply.
  w.interfaccia_strum_ver.val_alim_ver.Text = "17.9";
  EXPECT_FALSE(set_al_Click(*v));
  EXPECT_EQ(Messaggi().back(), "Valore di alimentazione errato!");
  EXPECT_FALSE(bench->State().supplyOn);
  w.interfaccia_strum_ver.val_alim_ver.Text = "24";
  EXPECT_TRUE(set_al_Click(*v));
  EXPECT_TRUE(bench->State().supplyOn);
  EXPECT_EQ(bench->State().supplyVolts, 24);
}

TEST_F(Banco, CheckRunOfAProgrammedConverterReportsZeroHalfAndSpan) {
  Avvia("PLV7100");
  // Program channel A for a 4..20 mA input through the programming window.
  ASSERT_EQ(ReadEprom(*ctx), 0);
  FrmProgram& p = w.frm_program;
  const auto& voci = p.cmb_Prog_In[0].List;
  const auto ma = std::find(voci.begin(), voci.end(), "20 mA");
  ASSERT_NE(ma, voci.end());
  p.cmb_Prog_In[0].Select(static_cast<int>(ma - voci.begin()));
  cmb_Prog_In_Click(state, p, p.cmb_Prog_In[0].ListIndex);
  p.txt_Input_min[0].Text = "4";
  p.txt_Input_max[0].Text = "20";
  p.txt_soglia_H[0].Text = "15";
  p.txt_soglia_L[0].Text = "10";
  ASSERT_TRUE(Send_prog_Click(*v)) << testing::PrintToString(Messaggi());
  EXPECT_EQ(w.frm_verifica.report_ver.Text,
            "Download completato. Programmazioni effettuate:     1\r\nImpostare strumentazione");
  EXPECT_EQ(w.frm_verifica.Spia_verifica.Caption, "OK");

  mode_aut_man_Click(*v, 0);
  w.interfaccia_strum_ver.val_alim_ver.Text = "24";
  disp_un_sw_Click(*v, 0);
  Imposta(3, "4", "20", "mA");
  w.frm_verifica.report_ver.Text.clear();
  ASSERT_TRUE(imp_strum_Click(*v)) << w.frm_verifica.report_ver.Text;
  const std::string& r = w.frm_verifica.report_ver.Text;
  EXPECT_EQ(r.substr(0, r.find("Valore")), "Taratura in corso N° : 1 Range: 4 ÷ 20 mA\r\n");
  // The readings: the converter's output within its own analogue error.
  const std::pair<const char*, double> punti[] = {
      {"Valore di zero: ", 4}, {"Valore di 1/2 scala: ", 12}, {"Valore di span: ", 20}};
  for (const auto& [riga, atteso] : punti) {
    const auto at = r.find(riga);
    ASSERT_NE(at, std::string::npos) << riga << "\n" << r;
    const std::string valore = r.substr(at + std::string(riga).size(), 6);
    EXPECT_EQ(valore.find('.'), 2u) << valore;  // "00.000"
    EXPECT_NEAR(std::stod(valore), atteso, 0.3) << riga;
    EXPECT_EQ(r.substr(at + std::string(riga).size() + 6, 5), " mA\r\n");
  }
  for (const char* riga : {"Taratura dispositivo N° 1 : terminata\r\n",
                           "Misura del dispositivo in corso. Controllare comunicazione\r\n"})
    EXPECT_NE(r.find(riga), std::string::npos) << riga << "\n" << r;
  EXPECT_NE(r.find(std::string(58, '_') + "\r\n"), std::string::npos);
  EXPECT_EQ(bench->State().multFunction[0], "CURR");
  EXPECT_FALSE(bench->State().multRemote[0]);  // back to local
  // The next check is number 2; a multimeter that does not answer is a
  // failed reading, not 00.000.
  bench->State().off.insert(BenchRole::Mult);
  EXPECT_FALSE(set_cali_Click(*v));
  EXPECT_NE(r.find("Taratura in corso N° : 2"), std::string::npos);
  EXPECT_NE(r.find("Valore di zero: lettura non riuscita"), std::string::npos) << r;
  EXPECT_EQ(r.find("00.000"), std::string::npos);

  stop_ver_Click(*v);
  EXPECT_FALSE(bench->State().supplyOn);
  EXPECT_FALSE(strumenti->PortaAperta(Ruolo::Alim));
}

TEST_F(Banco, LinearitySweepFindsTheOneFrequencyTheGeneratorMisses) {
  Avvia("PLV7300");
  bench->State().genFrequencyError[300] = 5;
  FrmTest& f = w.frm_test;
  f.Text3.Text = "0";
  f.Text4.Text = "500";
  f.Text5.Text = "100";
  EXPECT_EQ(Command4_Click(*ctx, f, *strumenti), EsitoTest::Fermato);
  const std::vector<std::string> setUp{"*RST", "FUNCtion SQUARE", "VOLTage 5", "VOLTage:OFFSet 0", "OUTPut ON",
                                       "FREQuency 0.001", "FREQuency 100"};
  ASSERT_GE(usb->comandi.size(), setUp.size());
  EXPECT_EQ(std::vector<std::string>(usb->comandi.begin(), usb->comandi.begin() + 7), setUp);
  EXPECT_EQ(usb->comandi.back(), "FREQuency 500");
  ASSERT_FALSE(f.List1.empty());
  for (const auto& d : f.List1) EXPECT_EQ(d, "300-->305");
  EXPECT_FALSE(state.InMisura);

  // End below start: the set-up, and nothing swept.
  usb->comandi.clear();
  f.List1.clear();
  f.Text3.Text = "600";
  EXPECT_EQ(Command4_Click(*ctx, f, *strumenti), EsitoTest::Fermato);
  EXPECT_EQ(usb->comandi, std::vector<std::string>(setUp.begin(), setUp.begin() + 5));
  EXPECT_TRUE(f.List1.empty());
}

TEST_F(Banco, ForcingDrivesTheOutputsAndAlwaysEndsOutOfForcing) {
  Avvia("PLV7100");
  FrmTest& f = w.frm_test;
  f.Text1[2].Text = "3500";
  f.Text1[1].Text = "800";
  ASSERT_TRUE(strumenti->ImpostaMult(0, "REM", "CURR"));
  ASSERT_TRUE(strumenti->ImpostaMult(1, "REM", "CURR"));
  std::optional<double> a, b;
  int giri = 0;
  f.Aggiornato = [&] {
    if (!f.Forzatura) return;
    if (++giri == 2) {
      a = strumenti->LeggiMult(0);
      b = strumenti->LeggiMult(1);
    }
    if (giri == 3) Command8_Click(f);
  };
  EXPECT_EQ(Command11_Click(*ctx, f), EsitoTest::Fermato);
  ASSERT_TRUE(a && b);
  EXPECT_NEAR(*a, 20, 0.5);  // mA at count 3500
  EXPECT_NEAR(*b, 4, 0.5);   // mA at count 800
  EXPECT_FALSE(converter->Converter().Forced()[0].has_value());
  EXPECT_FALSE(converter->Converter().Forced()[1].has_value());

  // A box that is not a whole number in range is refused, nothing forced.
  for (const char* bad : {"", "12.5", "abc", "40000", "-32769"}) {
    f.Text1[2].Text = bad;
    EXPECT_EQ(Command7_Click(*ctx, f), EsitoTest::Rifiutato) << bad;
  }
  EXPECT_EQ(ValoreGrezzo(" -32768 "), -32768);

  // The port failing while forced ends the loop, and the window closing
  // ends it as Stop does.
  f.Text1[2].Text = "2000";
  f.Aggiornato = [&] { FrmTest_Unload(*ctx, f); };
  EXPECT_EQ(Command7_Click(*ctx, f), EsitoTest::Fermato);
  EXPECT_FALSE(converter->Converter().Forced()[0].has_value());
}

TEST(BenchTests, BouncePatternAndGeneratorSetUps) {
  const auto p = PuntiRimbalzo();
  ASSERT_EQ(p.size(), 4000u);
  EXPECT_EQ(p[0], 1);
  EXPECT_EQ(p[80], 0);
  EXPECT_EQ(p[559], 1);
  EXPECT_EQ(p[560], 0);
  EXPECT_EQ(p[1759], 0);
  EXPECT_EQ(p[1760], 1);
  EXPECT_EQ(p[2239], 0);
  EXPECT_EQ(p[2240], 1);
  EXPECT_EQ(p[3999], 1);
  const auto r = ComandiGeneratore(1, "1000");
  ASSERT_EQ(r.size(), 9u);
  EXPECT_EQ(r[2].substr(0, 19), "DATA VOLATILE, 1,1,");
  EXPECT_EQ(r[2].size(), std::string("DATA VOLATILE, ").size() + 4000 * 2 - 1);
  EXPECT_EQ(r.back(), "OUTPut ON");
  EXPECT_EQ(ComandiGeneratore(0, "50"),
            (std::vector<std::string>{"*RST", "FREQuency 50", "FUNCtion SQUARE", "VOLTage 5", "VOLTage:OFFSet 2.5",
                                      "OUTPut ON"}));
  EXPECT_EQ(ComandiGeneratore(-1, "50"), (std::vector<std::string>{"*RST", "FREQuency 50"}));
}

}  // namespace
}  // namespace korventa
