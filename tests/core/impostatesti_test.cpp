// The model and text set-up: captions in both languages and the frames each
// model shows.
#include <gtest/gtest.h>

#include <cstring>

#include "app/impostatesti.h"
#include "link/protocol.h"
#include "support/scripted_dialogs.h"
#include "support/scripted_transport.h"

using namespace korventa;

namespace {

struct SetUpTexts : ::testing::Test {
  ProgramState s;
  Windows w;
  test::ScriptedTransport t;
  test::ScriptedDialogs d;
  BusyObserver busy;
  Link link{s, t, d, busy};
  Context c{s, w, link, d};
  std::uint8_t byte4 = 0;
  void SetUp() override {
    // A device has answered: the set-up names it and shows its frames.
    w.communication.Identificato = true;
    ModuloPieno(w.frm_program);
    t.responder = [this](test::ScriptedTransport& tr, const std::string& fr) {
      if (fr == protocol::FrameEnterProgram()) tr.Deliver("OK\r\n", 0.001);
      if (fr.size() == 6 && fr[1] == 'R') tr.Deliver(test::Reply(std::string{0, 4, char(byte4)}), 0.001);
    };
  }
};

// The frames of one model, after a set-up that started from every frame
// shown (so "keeps its state" reads as shown). Trips show only on the two
// models that store them.
struct Frames {
  bool input1, output1, options1, soglia0, soglia1, opt, delay, doubler, hs, fili1, freq, breaks;
};

Frames FramesOf(int variant, int firmware, std::optional<int> model) {
  ProgramState s;
  s.CodVariante = static_cast<std::uint8_t>(variant);
  s.VerSw = static_cast<std::uint8_t>(firmware);
  FrmProgram f;
  f.chk_Doubler.Value = true;
  VisibilitaProgramma(s, f, model);
  EXPECT_FALSE(f.opt_Fili[4].Visible);
  if (!f.chk_Doubler.Visible || variant == 7) {
    EXPECT_FALSE(f.chk_Doubler.Value);
  }
  EXPECT_EQ(f.txt_Delay.Visible, f.Label21[2].Visible);
  return {f.frm_input[1].Visible, f.frm_output[1].Visible, f.frm_options[1].Visible, f.frm_soglia[0].Visible,
          f.frm_soglia[1].Visible, f.frm_opt.Visible,        f.txt_Delay.Visible,      f.chk_Doubler.Visible,
          f.chk_HS.Visible,       f.opt_Fili[1].Visible,    f.frm_freq.Visible,       f.opt_Break[0].Visible};
}

}  // namespace

TEST(ProgramFrames, EachModelShowsItsOwnFrames) {
  struct Case {
    const char* what;
    int variant, firmware;
    std::optional<int> model;
    Frames expected;
  };
  //                                              in1    out1   opts1  trip0  trip1  opt    delay  dbl    hs     fili1  freq   break
  const Case cases[] = {
      {"PLV7100 fw4", 0, 4, 0,                   {false, true,  true,  true,  false, true,  true,  true,  true,  true,  false, true}},
      {"PLV7100 fw3", 0, 3, 0,                   {false, true,  true,  true,  false, true,  false, true,  true,  true,  false, true}},
      {"PLV7300", 7, 4, 17,                      {false, false, false, true,  true,  false, false, true,  true,  true,  true,  true}},
      {"PLV7150", 8, 4, 18,                      {false, false, false, false, false, true,  true,  false, true,  true,  false, true}},
      {"PLV3100", 9, 4, 19,                      {false, false, false, false, false, true,  true,  false, false, true,  false, true}},
      {"PLV7110A", 2, 4, 1,                      {false, false, false, false, false, false, false, false, false, true,  false, true}},
      {"PLV7120B", 3, 4, 6,                      {true,  true,  true,  false, false, false, false, false, false, false, false, true}},
      {"PLV7210C", 6, 4, 11,                     {false, true,  false, false, false, false, false, false, false, true,  false, true}},
      {"PLV7220D", 4, 4, 16,                     {true,  true,  true,  false, false, false, false, false, false, true,  false, false}},
      {"two-input", 5, 4, 16,                    {true,  true,  true,  false, false, false, false, false, false, true,  false, false}},
      {"line unknown", 3, 4, std::nullopt,       {true,  true,  true,  false, false, false, false, false, false, true,  false, true}},
      {"variant 1", 1, 4, 0,                     {true,  true,  true,  false, false, true,  true,  true,  true,  true,  false, true}},
  };
  for (const auto& k : cases) {
    const Frames got = FramesOf(k.variant, k.firmware, k.model);
    const Frames& e = k.expected;
    EXPECT_EQ(std::memcmp(&got, &e, sizeof got), 0)
        << k.what << ": in1 " << got.input1 << " out1 " << got.output1 << " opts1 " << got.options1 << " trip0 "
        << got.soglia0 << " trip1 " << got.soglia1 << " opt " << got.opt << " delay " << got.delay << " dbl "
        << got.doubler << " hs " << got.hs << " fili1 " << got.fili1 << " freq " << got.freq << " break "
        << got.breaks;
  }
}

TEST_F(SetUpTexts, LanguageSwitchRepaintsEveryCaptionAndFollowsThePort) {
  ASSERT_TRUE(ImpostaTesti(c));
  EXPECT_EQ(w.communication.Caption, "KORVENTA v.2.7");
  EXPECT_EQ(w.communication.mnu_Help_About.Caption, "Info su KORVENTA v.2.7");
  EXPECT_EQ(w.communication.Check1.Caption, "Apri Com");
  EXPECT_EQ(w.frm_program.opt_funz[4].Caption, "Serbatoio");
  EXPECT_EQ(w.frm_program.lbl_trig.Caption, "Livello Trigger");

  s.Lingua = 1;
  w.communication.Check1.Value = true;
  ASSERT_TRUE(ImpostaTesti(c));
  EXPECT_EQ(w.communication.mnu_Help_About.Caption, "About KORVENTA v.2.7");
  EXPECT_EQ(w.communication.Check1.Caption, "Close Com");
  EXPECT_EQ(w.frm_program.opt_Break[0].Caption, "Up");
  EXPECT_EQ(w.communication.cmd_Lang_Picture, 6);
  EXPECT_EQ(w.frm_About.Manuale, "MT_EN_GANU_KORVENTA_0114R00.pdf");

  s.Lingua = 0;
  w.communication.Check1.Value = false;
  ASSERT_TRUE(ImpostaTesti(c));
  EXPECT_EQ(w.communication.Check1.Caption, "Apri Com");
  EXPECT_EQ(w.frm_program.opt_Break[0].Caption, "Alto");
}

// A language change while a line model no longer answers: the set-up fails
// at the model read and the model labels stay as they were, but every
// window, the port check box and the About window included, takes the new
// language.
TEST_F(SetUpTexts, SilentLineModelStillGetsTheNewLanguageBeforeTheModelRead) {
  s.CodVariante = 2;
  byte4 = 0x20;
  ASSERT_TRUE(ImpostaTesti(c));
  t.responder = [](test::ScriptedTransport&, const std::string&) {};
  d.answers = {Answer::Cancel};
  s.Lingua = 1;
  EXPECT_FALSE(ImpostaTesti(c));
  EXPECT_EQ(w.frm_program.opt_Break[0].Caption, "Up");
  EXPECT_EQ(w.frm_misura.Caption, "Measure");
  EXPECT_EQ(w.communication.lbl_device[0].Caption, "GN-7210 A");
  EXPECT_EQ(w.communication.Check1.Caption, "Open Com");
  EXPECT_EQ(w.communication.cmd_Lang_Picture, 6);
  EXPECT_EQ(w.frm_About.Manuale, "MT_EN_GANU_KORVENTA_0114R00.pdf");
}

TEST_F(SetUpTexts, SwitchViewIsGreyOnlyForTheModelWithoutSwitches) {
  s.CodVariante = 9;
  ImpostaTesti(c);
  EXPECT_FALSE(w.communication.cmd_modo[2].Enabled);
  EXPECT_EQ(w.communication.cmd_modo2_BackColor, kColoreSistema);
  s.CodVariante = 2;
  byte4 = 0x20;
  ImpostaTesti(c);
  EXPECT_TRUE(w.communication.cmd_modo[2].Enabled);
  EXPECT_EQ(w.communication.cmd_modo2_BackColor, kColoreVerde);
  // The line read in this run decides the frames: a 7210 has no input B.
  EXPECT_FALSE(w.frm_program.frm_input[1].Visible);
  EXPECT_TRUE(w.frm_program.frm_output[1].Visible);
}

TEST_F(SetUpTexts, BrandsDecideTitleIconsAndAboutLinks) {
  struct Case {
    int brand;
    const char* title;
    int icon, aboutIcon;
    const char* web;
    bool webShown, manualShown;
  };
  const Case cases[] = {
      {1, "KORVENTA v.2.7", 16, 15, "", false, true},  // keeps the icons it had
      {3, "KUVRO-02 v.2.7", 18, 17, "www.solvanta.example", true, false},
  };
  for (const auto& k : cases) {
    Windows fresh;
    w = fresh;
    s.Marchio = static_cast<std::uint8_t>(k.brand);
    ImpostaTesti(c);
    EXPECT_EQ(w.communication.Caption, k.title) << k.brand;
    EXPECT_EQ(w.communication.Icon, k.icon) << k.brand;
    EXPECT_EQ(w.frm_About.Icon, k.aboutIcon) << k.brand;
    EXPECT_EQ(w.frm_About.IndirizzoWeb, k.web) << k.brand;
    EXPECT_EQ(w.frm_About.lbl_Link[0].Visible, k.webShown) << k.brand;
    EXPECT_EQ(w.frm_About.lbl_Link[1].Visible, k.manualShown) << k.brand;
  }
}
