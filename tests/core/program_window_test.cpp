// The programming window's handlers: option frames by input type, the
// Celsius/Fahrenheit switch, the frequency sensor proposals, the lists and
// the operator window.
#include <gtest/gtest.h>

#include "app/state.h"
#include "config/program_window.h"

using namespace korventa;

namespace {

struct Window : ::testing::Test {
  ProgramState s;
  FrmProgram f;
  FrmOper oper;
  void SetUp() override { Model(0); }
  void Model(int variant) {
    s.CodVariante = static_cast<std::uint8_t>(variant);
    FrmProgram_Load(s, f);
    RiempiListe(s, f);
  }
  void Input(int ch, const char* name) {
    f.cmb_Prog_In[ch].SetText(name);
    cmb_Prog_In_Change(s, f, ch);
  }
};

}  // namespace

TEST_F(Window, OptionFramesFollowTheInputType) {
  struct Case {
    int variant;
    const char* input;
    bool cjc, fili, brk, funz, gradi, hs;
  };
  const Case cases[] = {
      {0, "200 mV", false, false, true, true, false, true},
      {2, "200 mV", false, false, true, false, false, true},
      {0, "10 V", false, false, true, true, false, true},
      {4, "20 mA", false, false, true, false, false, true},
      {5, "20 mA", false, false, true, true, false, true},
      {2, "Tc J", true, false, true, false, true, false},
      {2, "Tc B", false, false, true, false, true, false},
      {3, "Res2K", false, true, true, false, false, false},
      {3, "Pt 100", false, true, true, false, true, false},
      {6, "Vish10K", false, true, true, false, false, false},
      {3, "Pot500", false, false, true, false, false, true},
  };
  for (const auto& k : cases) {
    Model(k.variant);
    f.chk_HS.Value = true;
    // The high-speed box is one for both channels: give B the same input.
    f.cmb_Prog_In[1].SetText(k.input);
    Input(0, k.input);
    const std::string what = std::string(k.input) + " on variant " + std::to_string(k.variant);
    EXPECT_EQ(f.frm_cjc[0].Visible, k.cjc) << what;
    EXPECT_EQ(f.frm_fili[0].Visible, k.fili) << what;
    EXPECT_EQ(f.frm_break[0].Visible, k.brk) << what;
    EXPECT_EQ(f.frm_funz[0].Visible, k.funz) << what;
    EXPECT_EQ(f.opt_gradi[0].Visible, k.gradi) << what;
    EXPECT_EQ(f.opt_gradi_far[0].Visible, k.gradi) << what;
    EXPECT_EQ(f.chk_HS.Visible, k.hs) << what;
    EXPECT_EQ(f.chk_HS.Value, k.hs) << what;  // hidden means unticked
  }
  // Voltage and current inputs take external compensation.
  Model(2);
  SelezionaOpzione(Gruppo(f.opt_CJC, 0, 2), 1);
  Input(0, "10 V");
  EXPECT_TRUE(f.opt_CJC[0].Value);
  EXPECT_FALSE(f.opt_CJC[1].Value);
  // "Tank" is not offered by the PLV7100; the two-input model has the
  // algebraic page.
  Model(0);
  Input(0, "Tc K");
  EXPECT_FALSE(f.opt_funz[1].Visible);
  EXPECT_FALSE(f.cmd_math.Visible);
  Model(5);
  Input(0, "Tc K");
  EXPECT_TRUE(f.opt_funz[1].Visible);
  EXPECT_TRUE(f.cmd_math.Visible);
}

TEST_F(Window, DoublerDecidesChannelBOnThePlv7100) {
  Input(0, "Pt 100");
  f.chk_Doubler.Value = true;
  chk_Doubler_Click(s, f);
  EXPECT_TRUE(f.frm_options[1].Visible);
  EXPECT_TRUE(f.frm_output[1].Visible);
  Input(1, "Pt 100");
  EXPECT_FALSE(f.frm_fili[1].Visible);  // B follows A's wiring
  f.chk_Doubler.Value = false;
  chk_Doubler_Click(s, f);
  EXPECT_FALSE(f.frm_options[1].Visible);
  // Channel B showing the doubler entry stands for channel A's input.
  f.cmb_Prog_In[1].SetText("DUPLIC.");
  EXPECT_EQ(CodiceIngressoCanale(s, f, 1), 18);
}

TEST_F(Window, FahrenheitRoundTripOfATcJChannel) {
  Input(0, "Tc J");
  f.txt_Input_max[0].Text = "1200";
  f.txt_Input_min[0].Text = "-200";
  f.txt_offset[0].Text = "1.0";
  f.txt_soglia_H[0].Text = "100";
  opt_gradi_far_Click(s, f, 0);
  EXPECT_TRUE(s.GradiF[0]);
  EXPECT_EQ(f.txt_Input_max[0].Text, "2192.0");
  EXPECT_EQ(f.txt_Input_min[0].Text, "-328.0");
  EXPECT_EQ(f.txt_offset[0].Text, "1.8");
  EXPECT_EQ(f.txt_soglia_H[0].Text, "212.0");
  EXPECT_EQ(f.lbl_uMisIn[0].Caption, "°F");
  EXPECT_EQ(f.lbl_limite_in[0].Caption, "-328.0 ÷ 2192.0 °F");
  // A second click on the same scale converts nothing.
  opt_gradi_far_Click(s, f, 0);
  EXPECT_EQ(f.txt_Input_max[0].Text, "2192.0");
  opt_gradi_Click(s, f, 0);
  EXPECT_FALSE(s.GradiF[0]);
  EXPECT_EQ(f.txt_Input_max[0].Text, "1200.0");
  EXPECT_EQ(f.txt_offset[0].Text, "1.0");
  EXPECT_EQ(f.lbl_limite_in[0].Caption, "-200 ÷  1200 °C");
  // A millivolt channel keeps its unit whatever the scale.
  Input(1, "90 mV");
  f.txt_Input_max[1].Text = "90";
  opt_gradi_far_Click(s, f, 1);
  EXPECT_EQ(f.txt_Input_max[1].Text, "90");
  EXPECT_EQ(f.lbl_uMisIn[2].Caption, "mV");
}

TEST_F(Window, FrequencySensorProposesItsTriggerLevel) {
  Model(7);
  f.cmb_Freq_Type.SetText("Volt");
  cmb_Freq_Type_Change(s, f);
  EXPECT_TRUE(f.lbl_aux.Visible);
  EXPECT_EQ(f.txt_Trig.Text, "100");
  EXPECT_EQ(f.lbl_uMisTrig[0].Caption, "V");
  f.cmb_Freq_Type.SetText("NAMUR");
  cmb_Freq_Type_Change(s, f);
  EXPECT_FALSE(f.lbl_aux.Visible);
  EXPECT_EQ(f.txt_Trig.Text, "50");
  EXPECT_EQ(f.lbl_uMisTrig[0].Caption, "mA");
}

TEST_F(Window, ListsStartAtTheirFirstEntryWithHandlersHeldOff) {
  Model(8);
  EXPECT_EQ(f.cmb_Prog_Out[0].List, std::vector<std::string>{"4-20 mA"});
  EXPECT_EQ(f.cmb_Prog_In[0].ListIndex, 0);
  EXPECT_EQ(f.cmb_Freq_Type.Text, "NAMUR");
  EXPECT_TRUE(s.EventiAttivi);
  // While lists are being filled a change does nothing.
  s.EventiAttivi = false;
  f.lbl_uMisIn[0].Caption = "unchanged";
  Input(0, "Tc K");
  EXPECT_EQ(f.lbl_uMisIn[0].Caption, "unchanged");
  s.EventiAttivi = true;
  f.cmb_Prog_Out[0].SetText("0-10 V");
  cmb_Prog_Out_Change(s, f, 0);
  EXPECT_EQ(f.lbl_uMisOut[1].Caption, "V");
  EXPECT_EQ(f.lbl_limite_out[0].Caption, " 0 ÷  10 V");
}

TEST_F(Window, OperatorWindowAndTheAlgebraicPage) {
  Model(5);
  cmd_Operatore_Click(s, f, oper, 1);
  EXPECT_TRUE(oper.opt_Oper[0].Value);
  opt_Oper_Click(s, f, oper, 6);  // MAX has a delay
  EXPECT_TRUE(oper.Frame1.Visible);
  EXPECT_EQ(s.Canali[1].Operatore, 6);
  EXPECT_EQ(f.cmd_Operatore[1].Caption, "MAX");
  opt_Oper_Click(s, f, oper, 2);
  EXPECT_FALSE(oper.Frame1.Visible);
  // Reopening for another channel shows that channel's operator.
  s.Canali[0].Operatore = 7;
  cmd_Operatore_Click(s, f, oper, 0);
  EXPECT_TRUE(oper.opt_Oper[7].Value);
  EXPECT_EQ(s.Canali[1].Operatore, 2);

  f.txt_Input_max[1].Text = "20";
  f.lbl_uMisOut[3].Caption = "mA";
  cmd_math_Click(s, f);
  EXPECT_EQ(f.txt_Input_max[3].Text, "20");
  EXPECT_EQ(f.lbl_uMisOut[7].Caption, "mA");
  EXPECT_TRUE(f.frm_modo[3].Visible);
  cmd_OperOk_Click(f);
  EXPECT_TRUE(f.frm_modo[2].Visible);
}
