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

// What Exit does once nothing is left to finish.
void Chiudi(Context& c) {
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

void AggiornaPorte(Communication& m, const std::vector<std::pair<std::string, std::string>>& porte) {
  const std::string testo = m.cmb_Porta.Text;
  m.PorteReali.clear();
  m.cmb_Porta.List.resize(kNumPorte);
  for (const auto& [nome, descrizione] : porte) {
    const std::string voce = descrizione.empty() ? nome : nome + " - " + descrizione;
    m.PorteReali.emplace_back(voce, nome);
    m.cmb_Porta.AddItem(voce);
  }
  m.cmb_Porta.SetText(testo);
}

std::string PortaScelta(const Communication& m) {
  for (const auto& [voce, nome] : m.PorteReali)
    if (voce == m.cmb_Porta.Text) return nome;
  return m.cmb_Porta.Text;
}

void AggiornaComandi(Context& c) {
  Communication& m = c.w.communication;
  // The preparation of a measurement talks to the device between its own
  // transactions: Start waits for it as the other commands do.
  const bool libero = !m.Occupato && !c.w.frm_misura.Preparazione;
  for (Control* k : std::initializer_list<Control*>{&m.cmd_read, &m.cmd_write, &m.cmd_start,
                                                    &m.mnu_Action_Program_Read, &m.mnu_Action_Program_Write,
                                                    &m.mnu_Action_Measure_Start, &m.mnu_Action_Measure_Stop,
                                                    &m.mnu_File_Open, &m.mnu_File_SaveAs})
    k->Enabled = libero;
  m.mnu_File_Save.Enabled = libero && !c.w.NomeFile.empty();
  m.TitoloMostrato = m.Modificato ? m.Caption + " *" : m.Caption;
}

void ModificaUtente(Context& c) { c.w.communication.Modificato = true; }

bool ConfermaAbbandono(Context& c) {
  if (!c.w.communication.Modificato) return true;
  return c.dialogs.MsgBox(Testo(c.s, kTxtModificheNonSalvate), Buttons::OkCancel, Icon::Question,
                          TitoloApplicazione(c.s)) == Answer::Ok;
}

void MostraNonIdentificato(Context& c) {
  Communication& m = c.w.communication;
  m.Identificato = false;
  m.lbl_device[0].Caption = Testo(c.s, kTxtNessunDispositivo);
  m.lbl_device[1].Caption.clear();
  ModuloVuoto(c.w.frm_program);
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
  if (!c.link.OpenPort(PortaScelta(m), errore)) {
    c.link.ClosePort();
    m.Check1.Value = false;
    m.Check1.Caption = Testo(c.s, kTestoApriCom);
    // The usual message, and on its second line why the port could not be
    // opened (it may not exist at all, or lack the user's rights).
    std::string testo = Testo(c.s, kTestoPortaOccupata);
    if (!errore.empty()) testo += "\n" + errore;
    c.dialogs.MsgBox(testo, Buttons::Ok, Icon::Error, TitoloApplicazione(c.s));
    return;
  }
  m.Check1.Caption = Testo(c.s, kTestoChiudiCom);
  Di(c, Schermo::frm_program).Enabled = true;
  // Opening reads twice in a row; the second pass finds
  // the device already identified and the lists filled for it.
  cmd_read_Click(c);
  cmd_read_Click(c);
  CaricaTabelle(c.s);
  // The programming window is shown (not toggled): one the user had
  // already opened stays open on every reconnection.
  Di(c, Schermo::frm_program).Left = kSinistraProgramma;
  Mostra(c, Schermo::frm_program);
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

void MostraSoloProgramma(Context& c) {
  Di(c, Schermo::frm_program).Visible = false;
  Di(c, Schermo::frm_misura).Visible = false;
  Di(c, Schermo::frm_program).Left = kSinistraProgramma;
  Mostra(c, Schermo::frm_program);
}

void cmd_read_Click(Context& c) {
  // A second exchange started while one runs would interleave its frames
  // with the running one's on the same line.
  if (c.w.communication.Occupato) return;
  if (ReadEprom(c) == kLetturaOk) c.w.communication.Modificato = false;
  // Then the switch settings into the switch window, when the device
  // answered the configuration read.
  if (c.s.ErroreCom == 0) ReadSwitch(c);
  c.w.frm_switch.aiuto_modello.Visible = false;
}

void cmd_write_Click(Context& c) {
  Communication& m = c.w.communication;
  if (m.Occupato) return;
  m.lbl_verifica.Caption.clear();
  if (WriteEprom(c) != WriteResult::Written) return;
  // A device that stopped listening half-way takes the frames without a
  // word: only reading the addresses back tells.
  const Rilettura v = VerificaScrittura(c);
  const std::string testo = TestoVerifica(c.s, v);
  m.lbl_verifica.Caption = testo.substr(0, testo.find('\n'));
  if (v.Ok()) {
    // The edits are on the device now: nothing is lost by leaving.
    m.Modificato = false;
  } else {
    c.dialogs.MsgBox(TestoScritturaParziale(c.s) + "\n\n" + testo, Buttons::Ok, Icon::Error, TitoloApplicazione(c.s));
  }
}

void mnu_Action_Program_Write_Click(Context& c) {
  if (c.w.communication.Occupato) return;
  if (c.dialogs.MsgBox(Testo(c.s, kTxtConfermaScrittura), Buttons::OkCancel, Icon::Question,
                       TitoloApplicazione(c.s)) != Answer::Ok)
    return;
  cmd_write_Click(c);
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
  if (!ConfermaAbbandono(c)) return;
  if (OpenConfigFile(c) == OpenResult::Loaded) c.w.communication.Modificato = false;
}

void mnu_File_Save_Click(Context& c) {
  if (c.w.communication.Occupato) return;
  if (SaveConfigFile(c, false)) c.w.communication.Modificato = false;
}

void mnu_File_SaveAs_Click(Context& c) {
  if (c.w.communication.Occupato) return;
  if (SaveConfigFile(c, true)) c.w.communication.Modificato = false;
}

void mnu_Action_Measure_Start_Click(Context& c) {
  if (!c.s.InMisura) cmd_start_Click(c);
}

void mnu_Action_Measure_Stop_Click(Context& c) { cmd_start_Click(c); }

void mnu_Help_About_Click(Context& c) { Mostra(c, Schermo::frm_About); }

void mnu_Exit_Click(Context& c) { RichiediChiusura(c, true); }

bool RichiediChiusura(Context& c, bool chiedi) {
  Communication& m = c.w.communication;
  if (c.s.InUscita) return true;
  if (m.Occupato || c.w.frm_tara.inCorso) {
    // Closing the port now would cut a frame and leave the device in
    // program mode with part of a configuration: let the transaction end
    // (a measuring loop ends at its next turn).
    // Asked from the close box, the unsaved edits are asked about once the
    // transaction has ended; a session that ends (a signal) asks nothing.
    m.ChiusuraChiedi = m.ChiusuraRichiesta ? m.ChiusuraChiedi && chiedi : chiedi;
    m.ChiusuraRichiesta = true;
    if (c.w.frm_tara.inCorso) {
      // A production run or a sweep stops as its STOP would have it, at the
      // next step, with the supply off and the device out of program mode.
      c.w.frm_tara.stop = true;
      c.w.frm_tara.sweepStop = true;
    } else {
      c.link.SetStopRequest([] { return true; });
    }
    c.s.InMisura = false;
    return false;
  }
  if (chiedi && !m.ChiusuraRichiesta && !ConfermaAbbandono(c)) return false;
  Chiudi(c);
  return true;
}

bool ChiusuraInSospeso(Context& c) {
  if (c.s.InUscita) return true;
  Communication& m = c.w.communication;
  if (!m.ChiusuraRichiesta || m.Occupato || c.w.frm_tara.inCorso) return false;
  m.ChiusuraRichiesta = false;
  // Edits the write did not finish are still only in the window: the user
  // may stay and write again or save them.
  if (m.ChiusuraChiedi && !ConfermaAbbandono(c)) {
    c.link.SetStopRequest(nullptr);
    return false;
  }
  Chiudi(c);
  return true;
}

bool Form_QueryUnload(Context& c, Schermo schermo) {
  // The operator window keeps its visibility in its own model.
  if (schermo == Schermo::frm_Oper) c.w.frm_Oper.Visible = false;
  if (schermo == Schermo::communication) {
    // Exit may be declined (unsaved edits): the window then stays.
    if (!c.s.InUscita) mnu_Exit_Click(c);
    return c.s.InUscita;
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
  // The set-up shows the model's frames as a fresh read would, before the
  // configuration fills them; what the configuration on screen hides (by
  // its input types and doubler) is hidden again: a language changes texts
  // only, never what the form shows.
  if (c.w.communication.Identificato) AggiornaOpzioni(c.s, c.w.frm_program);
  Di(c, Schermo::frm_Lang).Visible = false;
}

void cmdOK_Click(Context& c) { Form_QueryUnload(c, Schermo::frm_About); }

void InfoSistemaNonDisponibile(Context& c) {
  c.dialogs.MsgBox(kInfoSistemaAssente, Buttons::Ok, Icon::None, TitoloApplicazione(c.s));
}

}  // namespace korventa
