#include "app/impostatesti.h"

#include <string_view>

#include "app/identify.h"
#include "app/texts.h"
#include "link/models.h"
#include "measure/frm_misura.h"

namespace korventa {

namespace {

std::size_t U(int i) { return static_cast<std::size_t>(i); }

void Show(Control& c) { c.Visible = true; }
void Hide(Control& c) { c.Visible = false; }

// Hidden and unticked: a box the model does not have must not carry a
// tick into the next write.
void HideAndUntick(CheckBox& c) {
  c.Visible = false;
  c.Value = false;
}

// Icons of the brands (resource numbers): main window and about window.
// Brand 1 keeps the design-time icons.
constexpr int kIconaPrincipale[] = {4, 0, 16, 18};
constexpr int kIconaAbout[] = {3, 0, 15, 17};
constexpr int kBandieraItaliana = 5;  // + Lingua: 6 is the English flag

void MainWindow(Context& c) {
  const ProgramState& s = c.s;
  Communication& m = c.w.communication;
  const std::string titolo = TitoloApplicazione(s);
  m.Caption = titolo;
  m.mnu_File_Open.Caption = Testo(s, 53);
  m.mnu_File_Save.Caption = Testo(s, 54);
  m.mnu_File_SaveAs.Caption = Testo(s, 55);
  m.mnu_File_Undo.Caption = Testo(s, kTxtAnnullaUltimaScrittura);
  m.mnu_Help_About.Caption = Testo(s, 51) + " " + titolo;
  m.mnu_Exit.Caption = Testo(s, 52);
  m.mnu_verifica.Caption = Testo(s, kTxtVerificaTaratura);
  for (int i = 0; i < 3; ++i) m.cmd_modo[U(i)].ToolTipText = Testo(s, 35 + i);
  // The View and Action menus in the user's language, and the tool tips of the
  // picture buttons: Read and Write look alike at a glance, and writing by
  // mistake is the costly error.
  m.mnu_View.Caption = Testo(s, kTxtMenuVisualizza);
  m.mnu_View_Program.Caption = Testo(s, 35);
  m.mnu_View_Measure.Caption = Testo(s, 36);
  m.mnu_View_Switch.Caption = Testo(s, 37);
  m.mnu_Action.Caption = Testo(s, kTxtMenuAzioni);
  m.mnu_Action_Program.Caption = Testo(s, 35);
  m.mnu_Action_Program_Read.Caption = Testo(s, 46);
  m.mnu_Action_Program_Write.Caption = Testo(s, 47);
  m.mnu_Action_Measure.Caption = Testo(s, 36);
  m.cmd_read.ToolTipText = Testo(s, kTxtSuggerimentoLeggi);
  m.cmd_write.ToolTipText = Testo(s, kTxtSuggerimentoScrivi);
  m.cmd_start.ToolTipText = Testo(s, kTxtSuggerimentoStart);
  m.cmd_Lang.ToolTipText = Testo(s, kTxtSuggerimentoLingua);
  // The PLV3100 has no DIP switches: its switch view is grey and disabled.
  const bool switches = s.CodVariante != 9;
  m.cmd_modo[2].Enabled = switches;
  m.cmd_modo2_BackColor = switches ? kColoreVerde : kColoreSistema;
}

void ProgramCaptions(const ProgramState& s, FrmProgram& f) {
  for (int ch = 0; ch < 2; ++ch) {
    for (int i = 0; i < 3; ++i) f.opt_funz[U(3 * ch + i)].Caption = Testo(s, 32 + i);
    f.opt_CJC[U(2 * ch)].Caption = Testo(s, 42);
    f.opt_CJC[U(2 * ch + 1)].Caption = Testo(s, 43);
    f.opt_Break[U(2 * ch)].Caption = Testo(s, 44);
    f.opt_Break[U(2 * ch + 1)].Caption = Testo(s, 45);
    f.frm_funz[U(ch)].Caption = Testo(s, 41);
    f.frm_fili[U(ch)].Caption = Testo(s, 60);
    f.frm_input[U(ch)].Caption = Testo(s, 48);
    f.frm_output[U(ch)].Caption = Testo(s, 49);
    f.frm_soglia[U(ch)].Caption = Testo(s, 50);
  }
  f.lbl_opzioni.Caption = Testo(s, 57);
  f.chk_Doubler.Caption = Testo(s, 31);
  f.frm_input[3].Caption = Testo(s, 85);
  // The four physical-value frames: each channel's input and output.
  for (int ch = 0; ch < 2; ++ch) {
    const std::string canale = ch == 0 ? " A - " : " B - ";
    f.frm_fisico[U(ch)].Caption = Testo(s, 48) + canale + Testo(s, 86);
    f.frm_fisico[U(ch + 2)].Caption = Testo(s, 49) + canale + Testo(s, 86);
    f.frm_cjc[U(ch)].Caption = Testo(s, kTxtGiuntoFreddo);
    f.frm_break[U(ch)].Caption = Testo(s, kTxtRotturaSensore);
  }
  f.lbl_freq_analog.Caption = Testo(s, 79);
  f.lbl_freq_digital.Caption = Testo(s, 80);
  f.lbl_trig.Caption = Testo(s, 81);
  f.lbl_filter.Caption = Testo(s, 82);
  f.lbl_mult.Caption = Testo(s, 83);
  f.frm_freq.Caption = Testo(s, kTxtTipoSensore);
  // The response delay: its caption and unit.
  f.Label21[0].Caption = Testo(s, kTxtRitardo);
  f.Label21[2].Caption = "sec.";
  f.chk_HS.Caption = Testo(s, kTxtAltaVelocita);
  f.chk_50hz.Caption = Testo(s, kTxtFiltro50Hz);
}

void Icons(Context& c) {
  const ProgramState& s = c.s;
  Communication& m = c.w.communication;
  if (s.Marchio < 4 && s.Marchio != 1) m.Icon = kIconaPrincipale[s.Marchio];
  m.cmd_Lang_Picture = kBandieraItaliana + s.Lingua;
  m.Check1.Caption = Testo(s, m.Check1.Value ? 39 : 38);
}

void About(Context& c) {
  const ProgramState& s = c.s;
  FrmAbout& a = c.w.frm_About;
  if (s.Marchio < 4 && s.Marchio != 1) a.Icon = kIconaAbout[s.Marchio];
  a.IndirizzoWeb = TestoMarchio(s, kOffsetWeb);
  a.Manuale = TestoMarchio(s, s.OffLingua != 0 ? kOffsetManualeEng : kOffsetManualeIta);
  a.Caption = c.w.communication.mnu_Help_About.Caption;
  a.lblTitle.Caption = TitoloApplicazione(s);
  // Brand 1 is sold without a web address; brand 3 without the manual.
  const bool web = s.Marchio != 1;
  const bool manuale = s.Marchio != 3;
  if (!web) a.IndirizzoWeb.clear();
  a.picIcon.Visible = web;
  a.lbl_Link[0].Visible = web;
  a.picPDF.Visible = manuale;
  a.lbl_Link[1].Visible = manuale;
  a.lbl_Link[0].Caption = a.IndirizzoWeb;
  a.lbl_Link[1].Caption = a.Manuale;
}

}  // namespace

void VisibilitaProgramma(const ProgramState& s, FrmProgram& f, std::optional<int> indiceModello) {
  const int v = s.CodVariante;
  if (v == 7)
    Show(f.frm_freq);
  else
    Hide(f.frm_freq);

  switch (v) {
    case 0:  // PLV7100
      Hide(f.frm_input[1]);
      Show(f.frm_output[1]);
      Show(f.opt_Fili[1]);
      Show(f.frm_opt);
      Show(f.frm_soglia[0]);
      Show(f.chk_HS);
      Hide(f.frm_soglia[1]);
      // The response delay came with firmware 4.
      f.txt_Delay.Visible = s.VerSw >= 4;
      f.Label21[2].Visible = s.VerSw >= 4;
      break;
    case 7:  // PLV7300
      Hide(f.frm_input[1]);
      Hide(f.frm_output[1]);
      Hide(f.frm_opt);
      Hide(f.frm_options[1]);
      Hide(f.txt_Delay);
      Hide(f.Label21[2]);
      Show(f.opt_Fili[1]);
      Show(f.frm_soglia[0]);
      Show(f.frm_soglia[1]);
      f.chk_Doubler.Value = false;
      break;
    case 8:  // PLV7150
    case 9:  // PLV3100
      Hide(f.frm_input[1]);
      Hide(f.frm_output[1]);
      Hide(f.frm_soglia[0]);
      Hide(f.frm_soglia[1]);
      Hide(f.frm_options[1]);
      HideAndUntick(f.chk_Doubler);
      if (v == 9) Hide(f.chk_HS);
      Show(f.opt_Fili[1]);
      Show(f.frm_opt);
      Show(f.txt_Delay);
      Show(f.Label21[2]);
      break;
    case 2: case 3: case 4: case 5: case 6: {
      HideAndUntick(f.chk_Doubler);
      Hide(f.chk_HS);
      Hide(f.frm_opt);
      Hide(f.txt_Delay);
      Hide(f.Label21[2]);
      if (v == 4 || v == 5)
        for (int i = 0; i < 4; ++i) Hide(f.opt_Break[U(i)]);
      if (!indiceModello || *indiceModello < 0 || *indiceModello >= kModelCount) break;
      const std::string_view line = Models()[U(*indiceModello)].code.substr(0, 7);
      if (line == "PLV7210") {
        Hide(f.frm_input[1]);
        Hide(f.frm_options[1]);
        Show(f.frm_output[1]);
      } else if (line == "PLV7220") {
        Show(f.frm_input[1]);
        Show(f.frm_output[1]);
        Show(f.frm_options[1]);
      } else if (line == "PLV7120") {
        Show(f.frm_input[1]);
        Show(f.frm_output[1]);
        Show(f.frm_options[1]);
        Hide(f.opt_Fili[1]);
        Hide(f.frm_soglia[0]);
        Hide(f.frm_soglia[1]);
      } else if (line == "PLV7110") {
        Hide(f.frm_input[1]);
        Hide(f.frm_output[1]);
        Hide(f.frm_options[1]);
      }
      break;
    }
    default:  // variant 1 and unknown variants: only the common settings
      break;
  }
  Hide(f.opt_Fili[4]);
  // Only the PLV7100 and the PLV7300 keep trips in their memory: on every
  // other model the trip frames would take values that are never written.
  if (v != 0 && v != 7) {
    Hide(f.frm_soglia[0]);
    Hide(f.frm_soglia[1]);
  }
}

bool ImpostaTesti(Context& c) {
  ProgramState& s = c.s;
  // Channels and language.
  s.NumCanali1 = 1;
  s.OffLingua = CalcolaOffLingua(s);
  // Main window.
  MainWindow(c);
  // Programming window: captions, then the frames of the model. The
  // model line of variants 2 to 6 comes from memory byte 4, so the model is
  // recognised first (the line read the model labels need too, done once). When that read fails
  // the frames that need the line keep their state and the set-up stops.
  ProgramCaptions(s, c.w.frm_program);
  const Riconoscimento r = RiconosciModello(c);
  // A form that holds no configuration yet stays empty whatever the model.
  if (c.w.frm_program.Vuoto)
    ModuloVuoto(c.w.frm_program);
  else
    VisibilitaProgramma(s, c.w.frm_program, r.letto ? r.indice : std::nullopt);
  // The measurement and switch windows take their captions and frames
  // for the model here. This comes before the stop of a failed line read:
  // a language change while the device is away still repaints them.
  ImpostaTestiMisura(s, c.w.frm_program, c.w.frm_misura);
  // The model labels of the main window. A failed line read leaves them
  // as they were and makes the whole set-up a failure for its caller.
  if (!c.w.communication.Identificato)
    MostraNonIdentificato(c);
  else if (r.letto)
    MostraModello(c, r);
  // Icons, language flag, port check box; the About window. Neither
  // depends on the model, so they follow the language even when the model
  // read failed: a language chosen with the device away (or the port
  // closed) must not leave "Apri Com" and the flag in the old one.
  Icons(c);
  About(c);
  return r.letto;
}

}  // namespace korventa
