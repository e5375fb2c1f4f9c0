// The main window's logic: the start-up, opening and closing the port, the
// view buttons, the measurement toggle and its menu items, the language
// window, the end of the program and the busy lamp.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

#include "app/context.h"
#include "app/startup.h"
#include "app/texts.h"
#include "sim/options.h"
#include "support/forwarding_transport.h"
#include "support/scripted_dialogs.h"
#include "support/scripted_transport.h"

using namespace korventa;
using test::ScriptedDialogs;
using test::ScriptedTransport;

namespace {

// A port that cannot be opened: missing, or held by another program.
class BusyPort : public ScriptedTransport {
 public:
  BusyPort() { open = false; }
  bool Open(std::string& error) override {
    error = "in use";
    return false;
  }
};

int CountFrames(const std::vector<std::string>& written, const std::string& prefix) {
  return static_cast<int>(std::count_if(written.begin(), written.end(),
                                        [&](const std::string& w) { return w.rfind(prefix, 0) == 0; }));
}

struct MainWindowFixture : ::testing::Test {
  ProgramState s;
  Windows w;
  ScriptedDialogs dialogs;
  std::unique_ptr<Transport> transport;
  std::unique_ptr<SpiaComunicazione> spia;
  std::unique_ptr<Link> link;
  std::unique_ptr<Context> c;
  Communication& m = w.communication;
  int notifications = 0;

  void Start(std::unique_ptr<Transport> t) {
    transport = std::move(t);
    spia = std::make_unique<SpiaComunicazione>(s, m);
    spia->changed = [this] { ++notifications; };
    link = std::make_unique<Link>(s, *transport, dialogs, *spia);
    c = std::make_unique<Context>(Context{s, w, *link, dialogs});
    Main(*c);
  }

  // The built-in simulated converter, on a virtual clock.
  sim::SimTransport& StartSimulated(const std::string& model) {
    sim::SimOptions o;
    std::string error;
    EXPECT_TRUE(sim::ParseSimOptionString(model, o, error)) << error;
    auto t = sim::MakeSimTransport(o, error);
    EXPECT_TRUE(t) << error;
    sim::SimTransport& ref = *t;
    Start(std::move(t));
    return ref;
  }

  Finestra& F(Schermo sc) { return m.finestre[sc]; }

  void Tick(bool value) {
    m.Check1.Value = value;
    Check1_Click(*c);
  }
};

TEST_F(MainWindowFixture, StartUpPreparesWindowsWithoutTouchingThePort) {
  m.finestre[Schermo::communication].Height = 3000;
  auto scripted = std::make_unique<ScriptedTransport>();
  scripted->open = false;
  ScriptedTransport& port = *scripted;
  Start(std::move(scripted));

  ASSERT_EQ(m.cmb_Porta.List.size(), 16u);
  EXPECT_EQ(m.cmb_Porta.List.front(), "COM1");
  EXPECT_EQ(m.cmb_Porta.List.back(), "COM16");
  EXPECT_EQ(m.cmb_Porta.ListIndex, 0);
  EXPECT_EQ(m.cmb_Porta.Text, "COM1");
  EXPECT_FALSE(m.mnu_Collaudo.Visible);
  EXPECT_TRUE(port.written.empty());
  EXPECT_FALSE(port.open);

  // Start-up identity: family 12, variant 0, brand 2.
  EXPECT_EQ(s.CodProdotto, 12);
  EXPECT_EQ(s.CodVariante, 0);
  EXPECT_EQ(m.Caption, "KORVENTA v.2.7");
  EXPECT_EQ(m.Check1.Caption, "Apri Com");
  EXPECT_EQ(m.mnu_Help_About.Caption, "Info su KORVENTA v.2.7");
  EXPECT_TRUE(s.EventiAttivi);
  EXPECT_FALSE(s.InUscita);

  EXPECT_EQ(m.cmd_write_Picture, 7);
  EXPECT_EQ(m.cmd_read_Picture, 8);
  EXPECT_EQ(m.cmd_start_Picture, 12);
  EXPECT_EQ(m.cmd_modo_Picture, (std::array<int, 3>{9, 10, 11}));
  EXPECT_EQ(m.progress, 0);

  // Main window top left, visible; the programming window under it, 40
  // twips apart, hidden until asked for.
  EXPECT_TRUE(F(Schermo::communication).Visible);
  EXPECT_EQ(F(Schermo::communication).Left, 0);
  EXPECT_EQ(F(Schermo::communication).Top, 0);
  EXPECT_EQ(F(Schermo::frm_program).Left, 0);
  EXPECT_EQ(F(Schermo::frm_program).Top, 3040);
  EXPECT_TRUE(F(Schermo::frm_program).Loaded);
  EXPECT_FALSE(F(Schermo::frm_program).Visible);
  EXPECT_FALSE(F(Schermo::frm_misura).Visible);
  EXPECT_FALSE(F(Schermo::frm_switch).Visible);
}

TEST_F(MainWindowFixture, OpenComReadsTheDeviceTwiceAndShowsTheProgrammingWindow) {
  sim::SimTransport& sim = StartSimulated("PLV7110A");
  Tick(true);

  EXPECT_TRUE(link->PortOpen());
  EXPECT_EQ(m.Check1.Caption, "Chiudi Com");
  EXPECT_EQ(CountFrames(sim.Written(), "$V"), 2);
  EXPECT_EQ(s.CodVariante, 2);
  EXPECT_EQ(m.lbl_device[0].Caption, "GN-7110 A");
  EXPECT_FALSE(w.frm_program.cmb_Prog_In[0].List.empty());
  EXPECT_TRUE(F(Schermo::frm_program).Visible);
  EXPECT_EQ(F(Schermo::frm_program).Left, 1160);
  EXPECT_TRUE(s.EventiAttivi);
  EXPECT_TRUE(dialogs.boxes.empty());
  EXPECT_EQ(m.SpiaColor, kColoreVerde);
  EXPECT_FALSE(m.Occupato);
  EXPECT_GT(notifications, 0);

  // Another port chosen while open changes nothing until reopened.
  m.cmb_Porta.Select(4);
  link->ClosePort();
  Tick(true);
  EXPECT_EQ(transport->Port(), "COM5");
  // Every "Open Com" shows the programming window; it never hides it.
  EXPECT_TRUE(F(Schermo::frm_program).Visible);

  Tick(false);
  EXPECT_FALSE(link->PortOpen());
  EXPECT_EQ(m.Check1.Caption, "Apri Com");

  // A device path typed into the selector is opened as it is.
  m.cmb_Porta.SetText("/dev/ttyUSB0");
  Tick(true);
  EXPECT_EQ(transport->Port(), "/dev/ttyUSB0");
}

TEST_F(MainWindowFixture, PortThatCannotBeOpenedReportsInUse) {
  Start(std::make_unique<BusyPort>());
  s.Lingua = 1;
  opt_Lang_Click(*c, 1);
  Tick(true);

  EXPECT_FALSE(m.Check1.Value);
  EXPECT_EQ(m.Check1.Caption, "Open Com");
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  // The usual text, and why on a second line.
  EXPECT_EQ(dialogs.boxes[0].text, "COM Port already in use\nin use");
  EXPECT_EQ(dialogs.boxes[0].icon, Icon::Error);
  EXPECT_EQ(dialogs.boxes[0].buttons, Buttons::Ok);
  EXPECT_EQ(dialogs.boxes[0].caption, "KORVENTA v.2.7");
  EXPECT_FALSE(F(Schermo::frm_program).Visible);
}

TEST_F(MainWindowFixture, ViewButtonsToggleTheirWindows) {
  Start(std::make_unique<ScriptedTransport>());
  cmd_modo_Click(*c, 0);
  EXPECT_TRUE(F(Schermo::frm_program).Visible);
  EXPECT_EQ(F(Schermo::frm_program).Left, 1160);
  const auto raised = F(Schermo::frm_program).PrimoPiano;
  cmd_modo_Click(*c, 0);
  EXPECT_FALSE(F(Schermo::frm_program).Visible);
  cmd_modo_Click(*c, 0);
  EXPECT_GT(F(Schermo::frm_program).PrimoPiano, raised);

  cmd_modo_Click(*c, 1);
  cmd_modo_Click(*c, 2);
  EXPECT_TRUE(F(Schermo::frm_misura).Visible);
  EXPECT_TRUE(F(Schermo::frm_switch).Visible);
  cmd_modo_Click(*c, 2);
  EXPECT_FALSE(F(Schermo::frm_switch).Visible);
  EXPECT_TRUE(F(Schermo::frm_misura).Visible);

  // The two-device window's "Imposta Menù  Programmazione" never toggles the
  // programming window away: it stays, in front, the measurement window goes.
  const auto davanti = F(Schermo::frm_program).PrimoPiano;
  Frm3100_Command5_Click(*c);
  EXPECT_TRUE(F(Schermo::frm_program).Visible);
  EXPECT_FALSE(F(Schermo::frm_misura).Visible);
  EXPECT_GT(F(Schermo::frm_program).PrimoPiano, davanti);
}

TEST_F(MainWindowFixture, MeasureMenuStartAndStopAreNotMirrorImages) {
  StartSimulated("PLV7110A");
  Tick(true);
  // The menu is used while the first reading is on screen.
  w.frm_misura.Aggiornato = [&] {
    if (w.frm_misura.Letture != 1 || !s.InMisura) return;
    EXPECT_EQ(m.cmd_start_Picture, 13);
    // Start while measuring does nothing.
    mnu_Action_Measure_Start_Click(*c);
    EXPECT_TRUE(s.InMisura);
    EXPECT_EQ(m.cmd_start_Picture, 13);
    // Stop while measuring stops.
    mnu_Action_Measure_Stop_Click(*c);
    EXPECT_FALSE(s.InMisura);
    EXPECT_EQ(m.cmd_start_Picture, 12);
  };
  // Stop while idle runs the toggle: it starts (and returns once stopped).
  mnu_Action_Measure_Stop_Click(*c);
  EXPECT_EQ(w.frm_misura.Esito, EsitoMisura::Fermata);
  EXPECT_EQ(w.frm_misura.Letture, 1);
  EXPECT_FALSE(s.InMisura);
  EXPECT_EQ(m.cmd_start_Picture, 12);
  // Start while idle starts.
  w.frm_misura.Esito = EsitoMisura::Nessuno;
  mnu_Action_Measure_Start_Click(*c);
  EXPECT_EQ(w.frm_misura.Esito, EsitoMisura::Fermata);
  EXPECT_EQ(w.frm_misura.Letture, 1);
}

TEST_F(MainWindowFixture, LanguageSwitchRestoresEveryCaptionByPortState) {
  StartSimulated("PLV7100");
  cmd_Lang_Click(*c);
  EXPECT_TRUE(F(Schermo::frm_Lang).Visible);
  EXPECT_TRUE(w.frm_Lang.opt_Lang[0].Value);

  opt_Lang_Click(*c, 1);
  EXPECT_FALSE(F(Schermo::frm_Lang).Visible);
  EXPECT_EQ(s.OffLingua, 300);
  EXPECT_EQ(m.Check1.Caption, "Open Com");
  EXPECT_EQ(m.mnu_File_Open.Caption, "Open...");
  EXPECT_EQ(m.mnu_Exit.Caption, "Exit");
  EXPECT_EQ(m.cmd_modo[1].ToolTipText, "Measure");
  EXPECT_EQ(m.cmd_Lang_Picture, 6);

  Tick(true);
  EXPECT_EQ(m.Check1.Caption, "Close Com");
  cmd_Lang_Click(*c);
  opt_Lang_Click(*c, 0);
  EXPECT_EQ(m.Check1.Caption, "Chiudi Com");
  EXPECT_EQ(m.mnu_File_Open.Caption, "Apri...");
  EXPECT_EQ(m.mnu_File_SaveAs.Caption, "Salva con nome...");
  EXPECT_EQ(m.mnu_Exit.Caption, "Esci");
  EXPECT_EQ(m.mnu_Help_About.Caption, "Info su KORVENTA v.2.7");
  EXPECT_EQ(m.cmd_modo[0].ToolTipText, "Programma");
  EXPECT_EQ(m.cmd_Lang_Picture, 5);

  Tick(false);
  opt_Lang_Click(*c, 1);
  EXPECT_EQ(m.Check1.Caption, "Open Com");
}

TEST_F(MainWindowFixture, SecondaryWindowsHideUntilTheProgramEnds) {
  StartSimulated("PLV7100");
  Tick(true);
  mnu_Help_About_Click(*c);
  EXPECT_TRUE(F(Schermo::frm_About).Visible);
  EXPECT_FALSE(Form_QueryUnload(*c, Schermo::frm_About));
  EXPECT_FALSE(F(Schermo::frm_About).Visible);
  EXPECT_TRUE(F(Schermo::frm_About).Loaded);
  EXPECT_FALSE(Form_QueryUnload(*c, Schermo::frm_program));
  EXPECT_TRUE(F(Schermo::frm_program).Loaded);

  // Closing the main window while measuring ends the program.
  bool chiude = false;
  w.frm_misura.Aggiornato = [&] {
    if (w.frm_misura.Letture == 1 && s.InMisura) chiude = Form_QueryUnload(*c, Schermo::communication);
  };
  mnu_Action_Measure_Stop_Click(*c);
  EXPECT_TRUE(chiude);
  EXPECT_TRUE(s.InUscita);
  EXPECT_FALSE(s.InMisura);
  EXPECT_FALSE(link->PortOpen());
  for (const Finestra& f : m.finestre.f) {
    EXPECT_FALSE(f.Visible);
    EXPECT_FALSE(f.Loaded);
  }
  EXPECT_TRUE(Form_QueryUnload(*c, Schermo::frm_Lang));
}

TEST_F(MainWindowFixture, BusyLampAndLostPort) {
  StartSimulated("PLV7100");
  Tick(true);
  spia->SetBusy(true);
  EXPECT_EQ(m.SpiaColor, kColoreRosso);
  EXPECT_TRUE(m.Occupato);

  // Device commands wait for the running transaction instead of mixing
  // their frames into it.
  auto& sim = static_cast<sim::SimTransport&>(*transport);
  const auto before = sim.Written().size();
  cmd_read_Click(*c);
  cmd_write_Click(*c);
  cmd_start_Click(*c);
  EXPECT_EQ(sim.Written().size(), before);
  EXPECT_FALSE(s.InMisura);
  m.Check1.Value = false;
  Check1_Click(*c);
  EXPECT_TRUE(m.Check1.Value);
  EXPECT_TRUE(link->PortOpen());

  spia->SetProgress(1.5);
  EXPECT_EQ(m.progress, 1.0);
  spia->SetMainEnabled(false);
  EXPECT_FALSE(F(Schermo::communication).Enabled);
  spia->SetMainEnabled(true);
  spia->SetBusy(false);
  EXPECT_EQ(m.SpiaColor, kColoreVerde);

  link->ClosePort();
  spia->PortLost();
  EXPECT_FALSE(m.Check1.Value);
  EXPECT_EQ(m.Check1.Caption, "Apri Com");
}

TEST_F(MainWindowFixture, SystemInformationMissingIsToldInItalian) {
  Start(std::make_unique<ScriptedTransport>());
  opt_Lang_Click(*c, 1);
  InfoSistemaNonDisponibile(*c);
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].text, "Le informazioni sul sistema non sono attualmente disponibili.");
  EXPECT_EQ(dialogs.boxes[0].caption, "KORVENTA v.2.7");
}

}  // namespace

// Write reads every written address back and says so on the main window; a
// device that dropped a byte is a failure with the partial-configuration
// message and the differences.
class DroppingPort : public test::ForwardingTransport {
 public:
  using ForwardingTransport::ForwardingTransport;
  IoStatus Write(std::span<const std::uint8_t> b) override {
    if (drop && b.size() == 6 && b[0] == '$' && b[1] == 'W' && b[3] == 20) return IoStatus::Ok;
    return ForwardingTransport::Write(b);
  }
  bool drop = false;
};

TEST_F(MainWindowFixture, WriteIsReadBackAndTheOutcomeShown) {
  sim::SimOptions o;
  std::string error;
  ASSERT_TRUE(sim::ParseSimOptionString("PLV7100", o, error));
  auto port = std::make_unique<DroppingPort>(sim::MakeSimTransport(o, error));
  DroppingPort& p = *port;
  Start(std::move(port));
  Tick(true);
  w.frm_program.txt_Input_max[0].Text = "900";
  cmd_write_Click(*c);
  EXPECT_EQ(m.lbl_verifica.Caption.rfind("verificato: ", 0), 0u) << m.lbl_verifica.Caption;
  EXPECT_TRUE(dialogs.boxes.empty());

  p.drop = true;
  w.frm_program.txt_Input_max[0].Text = "800";
  cmd_write_Click(*c);
  EXPECT_EQ(m.lbl_verifica.Caption, "1 di 29 indirizzi riletti diversi:");
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_NE(dialogs.boxes[0].text.find("configurazione parziale"), std::string::npos);
  EXPECT_NE(dialogs.boxes[0].text.find("indirizzo 20: scritto 64, riletto 40"), std::string::npos)
      << dialogs.boxes[0].text;
}

// Closing during a write (Exit or the close box with unsaved edits, or the
// session's SIGTERM with no question) while the link waits after the tenth
// frame: that frame is the last, program mode is left, the partial-
// configuration box says how far the write got, then the program closes.
class ClosingPort : public test::ForwardingTransport {
 public:
  using ForwardingTransport::ForwardingTransport;
  IoStatus Write(std::span<const std::uint8_t> b) override {
    frames.emplace_back(b.begin(), b.end());
    if (b.size() == 6 && b[0] == '$' && b[1] == 'W') ++writes;
    return ForwardingTransport::Write(b);
  }
  void Wait(Clock::time_point deadline, bool wakeOnBytes) override {
    if (writes == 10 && !asked && close) {
      asked = true;
      closedAtOnce = close();
    }
    ForwardingTransport::Wait(deadline, wakeOnBytes);
  }
  std::vector<std::string> frames;
  int writes = 0;
  bool asked = false, closedAtOnce = true;
  std::function<bool()> close;
};

TEST_F(MainWindowFixture, ClosingDuringAWriteFinishesTheFrameLeavesProgramModeAndSaysHowFar) {
  for (const bool chiedi : {true, false}) {
    SCOPED_TRACE(chiedi);
    s = ProgramState{};
    w = Windows{};
    dialogs.boxes.clear();
    sim::SimOptions o;
    std::string error;
    ASSERT_TRUE(sim::ParseSimOptionString("PLV7100", o, error));
    auto sim = sim::MakeSimTransport(o, error);
    sim::SimTransport& device = *sim;
    auto port = std::make_unique<ClosingPort>(std::move(sim));
    ClosingPort& p = *port;
    Start(std::move(port));
    Tick(true);
    w.frm_program.txt_Input_max[0].Text = "900";
    m.Modificato = true;
    p.close = [&] { return RichiediChiusura(*c, chiedi); };

    cmd_write_Click(*c);
    EXPECT_FALSE(p.closedAtOnce);
    EXPECT_EQ(p.writes, 10);
    ASSERT_FALSE(p.frames.empty());
    EXPECT_EQ(p.frames.back().rfind("$FP", 0), 0u);
    EXPECT_FALSE(device.Converter().InProgramMode());
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_NE(dialogs.boxes[0].text.find("configurazione parziale"), std::string::npos);
    EXPECT_NE(dialogs.boxes[0].text.find("Scritti 10 di 36 byte."), std::string::npos) << dialogs.boxes[0].text;
    EXPECT_FALSE(s.InUscita);
    if (chiedi) {
      // The close box: the edits are asked about; Cancel keeps the program
      // and its edits, and the next write is not stopped.
      dialogs.answers.push_back(Answer::Cancel);
      EXPECT_FALSE(ChiusuraInSospeso(*c));
      ASSERT_EQ(dialogs.boxes.size(), 2u);
      EXPECT_FALSE(s.InUscita);
      EXPECT_TRUE(link->PortOpen());
      p.close = nullptr;
      cmd_write_Click(*c);
      EXPECT_FALSE(device.Converter().InProgramMode());
      EXPECT_EQ(p.writes, 10 + 36);
      EXPECT_TRUE(RichiediChiusura(*c, false));
    } else {
      EXPECT_TRUE(ChiusuraInSospeso(*c));
      EXPECT_EQ(dialogs.boxes.size(), 1u);  // a signal asks nothing
    }
    EXPECT_TRUE(s.InUscita);
    EXPECT_FALSE(link->PortOpen());
  }
}
