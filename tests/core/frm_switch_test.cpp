// The switch window against the simulated converter and in wizard mode:
// what it reads from the banks, what it composes from the choices, the
// stored-default edit, and that a wizard composition set on a device gives
// the measurement window the range the wizard listed.
#include <gtest/gtest.h>

#include <memory>

#include "app/context.h"
#include "app/numbers.h"
#include "link/models.h"
#include "measure/frm_misura.h"
#include "sim/options.h"
#include "support/scripted_dialogs.h"
#include "switches/demo.h"
#include "switches/frm_switch.h"

using namespace korventa;

namespace {

struct Switch : ::testing::Test {
  ProgramState s;
  Windows w;
  test::ScriptedDialogs dialogs;
  BusyObserver busy;
  std::unique_ptr<sim::SimTransport> porta;
  std::unique_ptr<Link> link;
  std::unique_ptr<Context> c;
  FrmSwitch& f = w.frm_switch;

  void Dispositivo(const std::string& modello, const std::string& dip) {
    sim::SimOptions o;
    std::string errore;
    ASSERT_TRUE(sim::ParseSimOptionString(modello + ",dip=" + dip, o, errore)) << errore;
    o.clock = sim::ClockMode::Virtual;
    porta = sim::MakeSimTransport(o, errore);
    ASSERT_TRUE(porta) << errore;
    link = std::make_unique<Link>(s, *porta, dialogs, busy);
    c = std::make_unique<Context>(Context{s, w, *link, dialogs});
    ASSERT_TRUE(link->OpenPort("SIM", errore)) << errore;
    ASSERT_EQ(link->ReadProduct()[0], 0);
    ReadSwitch(*c);
  }
  void Wizard(int modello) {
    if (!c) c = std::make_unique<Context>(Context{s, w, *link, dialogs});
    aiuto_switch_Click(*c);
    aiuto_modello_Click(*c, modello);
  }
  void Scegli(ComboBox& cmb, int pos, void (*click)(Context&, int), int ch = 0) {
    cmb.Select(pos);
    click(*c, ch);
  }
  std::string Primi(const ListBox& l, int n) {
    std::string t;
    for (int i = 0; i < n && i < static_cast<int>(l.List.size()); ++i) t += (i ? "|" : "") + l.List[std::size_t(i)];
    return t;
  }
  sim::VirtualConverter& Dev() { return porta->Converter(); }
};

// In-process simulator without a port: the wizard needs no device.
struct WizardSenzaDispositivo : Switch {
  void SetUp() override { Dispositivo("PLV3100", "0"); }
};

TEST_F(Switch, ReadsThePlv7100Banks) {
  Dispositivo("PLV7100", "0x27:0x14:0x03");
  EXPECT_EQ(f.cmb_SW_in[0].Text, "Tc J");
  EXPECT_EQ(f.lst_span.ListIndex, 5);
  EXPECT_EQ(f.lst_zero.ListIndex, 3);
  EXPECT_EQ(f.cmb_sw_Out[0].Text, "0-20 mA");
  EXPECT_TRUE(f.Opzione[1].Value);
  EXPECT_EQ(f.frm_optionSw[0].Caption, "CJC");
  // Position 0 is the stored default; the device's table 0 in tenths.
  EXPECT_EQ(f.lst_span.List[0].rfind("Def: ", 0), 0u);
  EXPECT_EQ(f.lst_span.List[5], "20");
  EXPECT_EQ(f.lst_zero.List[3], "-80");
  // SW1 left to right 1..8: switches 1, 2, 3 and 6 on; SW2 reads 8..1.
  EXPECT_EQ(f.banchi[0].on, (std::array<bool, 8>{true, true, true, false, false, true, false, false}));
  EXPECT_EQ(f.banchi[1].numero[0], 8);
  EXPECT_TRUE(f.banchi[1].on[3]);  // switch 5 of 0x14
  EXPECT_TRUE(f.CheckOk);
}

TEST_F(Switch, SpanClickOnThePlv7110KeepsTheOutputBits) {
  Dispositivo("PLV7110A", "0x37:0xC2");
  EXPECT_EQ(f.cmb_SW_in[0].Text, "Tc J");
  lst_span_Click(*c, 5);
  EXPECT_EQ(f.Dip[1], 0xC5);
  EXPECT_EQ(f.txt_sw2.Text, "C5");
}

TEST_F(Switch, StoredDefaultEdit) {
  Dispositivo("PLV7100", "0x0A:0x14:0x03");  // Tc S, code 10
  ASSERT_EQ(f.cmb_SW_in[0].Text, "Tc S");
  auto& m = Dev().Bank(0);
  const std::uint8_t span0 = m[168], span1 = m[169];
  // Low byte first at 4 x 10 + 130: 100.0 °C is 1000 tenths.
  dialogs.inputs = {"100"};
  lst_zero_DblClick(*c, 0);
  EXPECT_EQ(m[170], 0xE8);
  EXPECT_EQ(m[171], 0x03);
  EXPECT_EQ(f.lst_zero.List[0], "Def: 100");
  // Not a number, or beyond a 16-bit word after the limit question:
  // refused with a message, nothing written.
  dialogs.boxes.clear();
  dialogs.inputs = {"12abc"};
  lst_zero_DblClick(*c, 0);
  dialogs.inputs = {"5000"};
  dialogs.answers = {Answer::Ok};
  lst_span_DblClick(*c, 0);
  ASSERT_EQ(dialogs.boxes.size(), 3u);
  EXPECT_EQ(dialogs.boxes[0].text, "Il valore non è un numero: nulla è stato scritto");
  EXPECT_EQ(dialogs.boxes[1].text, "Valori di ingresso MAX oltre i limiti");
  EXPECT_EQ(dialogs.boxes[2].text, "Il valore non sta in una parola di 16 bit: nulla è stato scritto");
  EXPECT_EQ(m[170], 0xE8);
  EXPECT_EQ(m[168], span0);
  EXPECT_EQ(m[169], span1);
}

TEST_F(WizardSenzaDispositivo, ComposesEachFamilysBanks) {
  // 7100: Tc J, output A 4-20 mA, option On, output B 0-10 V, span 5, zero 3.
  Wizard(0);
  Scegli(f.cmb_SW_in[0], 7, cmb_SW_in_Click);
  Scegli(f.cmb_sw_Out[0], 1, cmb_sw_Out_Click);
  Opzione_Click(*c, 1);
  Scegli(f.cmb_sw_Out[1], 2, cmb_sw_Out_Click, 1);
  lst_span_Click(*c, 5);
  lst_zero_Click(*c, 3);
  EXPECT_EQ(f.Dip, (sw::Banchi{0x67, 0x16, 0x03}));
  EXPECT_EQ(f.banchi[0].on, (std::array<bool, 8>{true, true, true, false, false, true, true, false}));
  // Input 12 (Tc B) has no cold-junction choice: a plain option.
  Scegli(f.cmb_SW_in[0], 12, cmb_SW_in_Click);
  EXPECT_EQ(f.frm_optionSw[0].Caption, "Option");
  EXPECT_EQ(f.Opzione[0].Caption, "Off");
  // "EEPROM" composes input field 0.
  Scegli(f.cmb_SW_in[0], 0, cmb_SW_in_Click);
  EXPECT_EQ(f.Dip[0] & 0x1F, 0);

  // 7150 with Pt 100 (18): low nibble 2, switch 1 of SW2 on.
  Wizard(15);
  Scegli(f.cmb_SW_in[0], 18, cmb_SW_in_Click);
  EXPECT_EQ(f.Dip[0] & 0x0F, 2);
  EXPECT_EQ(f.Dip[1] & 0x01, 1);

  // 7300: divider 100, span 10, TTL (2), output 0-5 V (3).
  Wizard(14);
  Scegli(f.cmb_SW_in[0], 2, cmb_SW_in_Click);
  Scegli(f.cmb_sw_Out[0], 3, cmb_sw_Out_Click);
  lst_span_Click(*c, 10);
  f.cmb_divider.Select(1);
  cmb_divider_Click(*c);
  EXPECT_EQ(f.Dip[1], 0x4A);
  EXPECT_EQ(f.Dip[2], 0x0E);

  // 7220 D takes the 7120 D rule, with the range line of each channel.
  Wizard(13);
  EXPECT_EQ(f.ModelloDemo, "PLV7120D");
  EXPECT_TRUE(f.cmb_SW_in[1].Visible);
  Scegli(f.cmb_SW_in[0], 2, cmb_SW_in_Click);
  Scegli(f.cmb_sw_Out[0], 1, cmb_sw_Out_Click);
  EXPECT_EQ(f.Dip[0], 0x22);
  EXPECT_EQ(f.visualizza_limiti.Text.rfind("CH1: In:4-20 mA;", 0), 0u);
  Wizard(4);
  EXPECT_FALSE(f.cmb_SW_in[1].Visible);  // the 7110 D has one channel
}

TEST_F(WizardSenzaDispositivo, ListsTheBuiltInTables) {
  Wizard(0);
  Scegli(f.cmb_SW_in[0], 18, cmb_SW_in_Click);
  EXPECT_EQ(Primi(f.lst_zero, 3), "Default|-200|-150");
  EXPECT_EQ(f.lst_zero.List.back(), "100");
  EXPECT_EQ(Primi(f.lst_span, 2), "Default|0");
  EXPECT_EQ(f.lst_span.List.back(), "850");
  Scegli(f.cmb_SW_in[0], 6, cmb_SW_in_Click);
  EXPECT_EQ(f.lst_span.List.size(), 64u);
  EXPECT_EQ(f.lst_zero.List.size(), 16u);
  EXPECT_EQ(f.lst_span.List[0], "-----");
  EXPECT_EQ(f.visualizza_limiti.Text, "No range");
  Wizard(2);
  Scegli(f.cmb_SW_in[0], 1, cmb_SW_in_Click);
  EXPECT_EQ(Primi(f.lst_zero, 3), "Default|0|150");
  EXPECT_EQ(f.lst_zero.List.back(), "800");
  EXPECT_EQ(Primi(f.lst_span, 2), "Default|500");
  EXPECT_EQ(f.lst_span.List.back(), "2000");
}

// Compose with the wizard, set the banks on the device, and the device
// reads the same choices back while measuring shows the wizard's range.
TEST_F(WizardSenzaDispositivo, WizardBanksGiveTheListedRangeOnTheDevice) {
  struct Caso {
    int modello;
    std::string codice;
    int ingresso, span, zero;
  };
  for (const Caso& k : {Caso{0, "PLV7100", 8, 30, 4}, Caso{1, "PLV7110A", 7, 12, 10}, Caso{2, "PLV7110B", 3, 20, 9},
                        Caso{3, "PLV7110C", 1, 40, 2}, Caso{15, "PLV7150", 19, 7, 6}}) {
    SCOPED_TRACE(k.codice);
    Dispositivo("PLV3100", "0");
    Wizard(k.modello);
    Scegli(f.cmb_SW_in[0], k.ingresso, cmb_SW_in_Click);
    lst_span_Click(*c, k.span);
    lst_zero_Click(*c, k.zero);
    const std::string span = f.lst_span.List[std::size_t(k.span)], zero = f.lst_zero.List[std::size_t(k.zero)];
    const std::string ingresso = f.cmb_SW_in[0].Text;
    char dip[32];
    std::snprintf(dip, sizeof dip, "%d:%d:%d", f.Dip[0], f.Dip[1], f.Dip[2]);
    Dispositivo(k.codice, dip);
    EXPECT_EQ(f.cmb_SW_in[0].Text, ingresso);
    EXPECT_EQ(f.lst_span.ListIndex, k.span);
    EXPECT_EQ(f.lst_zero.ListIndex, k.zero);
    EXPECT_EQ(Val(f.lst_span.List[std::size_t(k.span)]), Val(span));
    EXPECT_EQ(Val(f.lst_zero.List[std::size_t(k.zero)]), Val(zero));
    w.frm_misura.Aggiornato = [this] { Cmd_StopRead_Click(*c); };
    Cmd_StartRead_Click(*c);
    EXPECT_NEAR(s.Canali[0].InMax, Val(span), 1e-9);
    EXPECT_NEAR(s.Canali[0].InMin, Val(zero), 1e-9);
  }
}

}  // namespace
