#include "app/main_window.h"

#include "app/context.h"
#include "app/impostatesti.h"
#include "app/texts.h"
#include "config/catalog.h"
#include "config/read_config.h"
#include "config/write_config.h"
#include "files/config_file.h"
#include "measure/frm_misura.h"

namespace korventa {

namespace {

constexpr int kNumPorte = 16;

// Text ids of the main window.
constexpr int kTestoApriCom = 38;
constexpr int kTestoChiudiCom = 39;
constexpr int kTestoPortaOccupata = 67;

Finestra& Di(Context& c, Schermo s) { return c.w.communication.finestre[s]; }

// Shows a window modeless and brings it to the front, loading it the first
// time (a window keeps its state once loaded: closing only hides it).
void Mostra(Context& c, Schermo s) {
  Finestra& f = Di(c, s);
  if (!f.Loaded) {
    f.Loaded = true;
    if (s == Schermo::frm_Lang) frm_Lang_Load(c);
  }
  f.Visible = true;
  ++f.PrimoPiano;
}

// Live measurement: the measurement window (measure/) owns the loop. Start
// returns when the loop ends and puts the start picture back itself.
void AvviaMisura(Context& c) { Cmd_StartRead_Click(c); }
// Stop: the loop notices after its current wait and sends "SM".
void FermaMisura(Context& c) { Cmd_StopRead_Click(c); }

}  // namespace

void SpiaComunicazione::Notify() {
  if (changed) changed();
}

void SpiaComunicazione::SetBusy(bool busy) {
  m_.Occupato = busy;
  m_.SpiaColor = busy ? kColoreRosso : kColoreVerde;
  Notify();
}

void SpiaComunicazione::SetProgress(double share) {
  m_.progress = share < 0 ? 0 : (share > 1 ? 1 : share);
  Notify();
}

void SpiaComunicazione::SetMainEnabled(bool enabled) {
  m_.finestre[Schermo::communication].Enabled = enabled;
  Notify();
}

void SpiaComunicazione::PortLost() {
  m_.Check1.Value = false;
  m_.Check1.Caption = Testo(s_, kTestoApriCom);
  Notify();
}

void RiempiPorte(Communication& m) {
  m.cmb_Porta.Clear();
  for (int i = 1; i <= kNumPorte; ++i) m.cmb_Porta.AddItem("COM" + std::to_string(i));
  m.cmb_Porta.Select(0);
}

void communication_Load(Context& c) { c.s.EventiAttivi = true; }

void Check1_Click(Context& c) {
  Communication& m = c.w.communication;
  if (m.Occupato) {
    // The port belongs to the transaction that is running; the box goes
    // back to what the port is.
    m.Check1.Value = c.link.PortOpen();
    return;
  }
  if (!m.Check1.Value) {
    c.link.ClosePort();
    m.Check1.Caption = Testo(c.s, kTestoApriCom);
    return;
  }

  Di(c, Schermo::frm_program).Left = kSinistraProgramma;
  // A typed device path (/dev/ttyUSB0) is used as it is; "COMn" is the
  // machine's n-th serial port.
  std::string errore;
  if (!c.link.OpenPort(m.cmb_Porta.Text, errore)) {
    c.link.ClosePort();
    m.Check1.Value = false;
    m.Check1.Caption = Testo(c.s, kTestoApriCom);
    c.dialogs.MsgBox(Testo(c.s, kTestoPortaOccupata), Buttons::Ok, Icon::Error, TitoloApplicazione(c.s));
    return;
  }
  m.Check1.Caption = Testo(c.s, kTestoChiudiCom);
  Di(c, Schermo::frm_program).Enabled = true;
  // The original reads twice in a row after opening; the second pass finds
  // the device already identified and the lists filled for it.
  cmd_read_Click(c);
  cmd_read_Click(c);
  CaricaTabelle(c.s);
  cmd_modo_Click(c, 0);
  c.s.EventiAttivi = true;
}

void cmd_modo_Click(Context& c, int i) {
  static constexpr Schermo kSchermi[] = {Schermo::frm_program, Schermo::frm_misura, Schermo::frm_switch};
  if (i < 0 || i > 2) return;
  if (i == 0) Di(c, Schermo::frm_program).Left = kSinistraProgramma;
  Finestra& f = Di(c, kSchermi[i]);
  if (f.Visible) {
    f.Visible = false;
    return;
  }
  Mostra(c, kSchermi[i]);
  // The switch window shows the connected device's switches as they are now.
  if (i == 2 && c.w.communication.Check1.Value && !c.w.frm_switch.ModoWizard && !c.w.communication.Occupato)
    ReadSwitch(c);
}

void cmd_read_Click(Context& c) {
  // A second exchange started while one runs would interleave its frames
  // with the running one's on the same line.
  if (c.w.communication.Occupato) return;
  ReadEprom(c);
  // Then the switch settings into the switch window, when the device
  // answered the configuration read.
  if (c.s.ErroreCom == 0) ReadSwitch(c);
  c.w.frm_switch.aiuto_modello.Visible = false;
}

void cmd_write_Click(Context& c) {
  if (c.w.communication.Occupato) return;
  WriteEprom(c);
}

void cmd_start_Click(Context& c) {
  Communication& m = c.w.communication;
  if (c.s.InMisura) {
    m.cmd_start_Picture = kImmagineStart;
    FermaMisura(c);
    return;
  }
  if (m.Occupato) return;
  m.cmd_start_Picture = kImmagineStop;
  AvviaMisura(c);
}

void cmd_Lang_Click(Context& c) { Mostra(c, Schermo::frm_Lang); }

void mnu_File_Open_Click(Context& c) {
  if (c.w.communication.Occupato) return;
  OpenConfigFile(c);
}

void mnu_File_Save_Click(Context& c) {
  if (c.w.communication.Occupato) return;
  SaveConfigFile(c, false);
}

void mnu_File_SaveAs_Click(Context& c) {
  if (c.w.communication.Occupato) return;
  SaveConfigFile(c, true);
}

void mnu_Action_Measure_Start_Click(Context& c) {
  if (!c.s.InMisura) cmd_start_Click(c);
}

void mnu_Action_Measure_Stop_Click(Context& c) { cmd_start_Click(c); }

void mnu_Help_About_Click(Context& c) { Mostra(c, Schermo::frm_About); }

void mnu_Exit_Click(Context& c) {
  c.s.InUscita = true;
  // A measuring loop ends at its next turn.
  c.s.InMisura = false;
  for (Finestra& f : c.w.communication.finestre.f) {
    f.Visible = false;
    f.Loaded = false;
  }
  c.w.frm_Oper.Visible = false;
  c.link.ClosePort();
}

bool Form_QueryUnload(Context& c, Schermo schermo) {
  // The operator window keeps its visibility in its own model.
  if (schermo == Schermo::frm_Oper) c.w.frm_Oper.Visible = false;
  if (schermo == Schermo::communication) {
    if (!c.s.InUscita) mnu_Exit_Click(c);
    return true;
  }
  if (c.s.InUscita) {
    Di(c, schermo).Loaded = false;
    Di(c, schermo).Visible = false;
    return true;
  }
  Di(c, schermo).Visible = false;
  return false;
}

void frm_Lang_Load(Context& c) {
  FrmLang& l = c.w.frm_Lang;
  for (int i = 0; i < 2; ++i) l.opt_Lang[static_cast<std::size_t>(i)].Value = i == c.s.Lingua;
}

void opt_Lang_Click(Context& c, int i) {
  if (i < 0 || i > 1) return;
  // The texts set-up may read the device (the model line of variants 2 to
  // 6); it waits for a running transaction to end.
  if (c.w.communication.Occupato) return;
  c.s.Lingua = static_cast<std::uint8_t>(i);
  for (int k = 0; k < 2; ++k) c.w.frm_Lang.opt_Lang[static_cast<std::size_t>(k)].Value = k == i;
  ImpostaTesti(c);
  Di(c, Schermo::frm_Lang).Visible = false;
}

void cmdOK_Click(Context& c) { Form_QueryUnload(c, Schermo::frm_About); }

void InfoSistemaNonDisponibile(Context& c) {
  c.dialogs.MsgBox(kInfoSistemaAssente, Buttons::Ok, Icon::None, TitoloApplicazione(c.s));
}

}  // namespace korventa
