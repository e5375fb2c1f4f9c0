#include "calibration/verifica.h"

#include "app/context.h"
#include "app/format.h"
#include "app/numbers.h"
#include "config/write_config.h"
#include "files/safe_file.h"
#include "instruments/strumenti.h"
#include "measure/lettura.h"

namespace korventa {
namespace {

constexpr const char* kCrLf = "\r\n";
// The calibrator's function and the relays need this long to settle.
constexpr double kPausaFunzione = 1.0;
constexpr double kPausaSwitch = 1.0;
// A point's reading is taken this long after the calibrator was set, and
// the next point follows this long after the reading.
constexpr double kPausaLettura = 2.0;
constexpr double kPausaPunto = 3.0;
constexpr double kPausaFine = 1.0;

constexpr double kAlimMin = 18, kAlimMax = 30;

// Input types of the list read through the resistance terminals.
constexpr int kPrimoResistivo = 12;
constexpr int kIngressoV = 2, kIngressoMa = 3;
constexpr int kMvl = 0, kMvh = 1;

void Avviso(Verifica& v, const std::string& testo) {
  v.c.dialogs.MsgBox(testo, Buttons::Ok, Icon::Warning, v.f.Caption);
}

void Aggiungi(Verifica& v, const std::string& riga) { v.f.report_ver.Text += riga + kCrLf; }

// The supply voltage with two decimals, as the supply takes it.
std::string Volt(double volt) { return Format(volt, "0.00"); }

bool OutputMa(const Verifica& v) { return v.i.outvi.Text == "mA"; }

// The minimum and maximum boxes, and the mid point from them.
void LeggiRange(Verifica& v) {
  v.t.Minimo = Val(v.i.minimo.Text);
  v.t.Massimo = Val(v.i.massimo.Text);
  v.t.Mezzo = v.t.Minimo + (v.t.Massimo - v.t.Minimo) / 2;
  v.i.mezzo_scala.Text = PlainNumber(v.t.Mezzo);
}

bool Strumento(Verifica& v, bool ok) {
  if (!ok && !v.strumenti.Errore().empty()) Avviso(v, v.strumenti.Errore());
  return ok;
}

}  // namespace

const std::array<IngressoCalibratore, 18>& IngressiCalibratore() {
  static const std::array<IngressoCalibratore, 18> t{{
      {"mVL (-20 : 200)", {0, 0, 0, 0}, 1000, "mV"},
      {"mVH: (-200 : 800)", {1, 0, 0, 0}, 100, "mV"},
      {"V", {2, 0, 0, 0}, 10000, "V"},
      {"mA", {3, 0, 0, 0}, 10000, "mA"},
      {"Tc J", {8, 0, 0, 64}, 10, "Tc J"},
      {"Tc K", {8, 1, 0, 64}, 10, "Tc K"},
      {"Tc R", {8, 4, 0, 64}, 10, "Tc R"},
      {"Tc S", {8, 5, 0, 64}, 10, "Tc S"},
      {"Tc T", {8, 2, 0, 64}, 10, "Tc T"},
      {"Tc B", {8, 6, 0, 64}, 10, "Tc B"},
      {"Tc E", {8, 10, 0, 64}, 10, "Tc E"},
      {"Tc N", {8, 9, 0, 64}, 10, "Tc N"},
      {"Pt100", {9, 15, 0, 64}, 10, "Pt100"},
      {"Pt1000", {9, 23, 0, 64}, 10, "Pt1000"},
      {"Ni100", {9, 25, 0, 64}, 10, "Ni100"},
      {"Ni1000", {5, 0, 0, 0}, 10, "Ni1000"},
      {"Ohm", {4, 0, 0, 0}, 1000, "Res"},
      {"KOhm", {5, 0, 0, 0}, 100, "Res"},
  }};
  return t;
}

const std::array<const char*, 17>& DispositiviVerifica() {
  static const std::array<const char*, 17> t{"PLV7100",  "PLV7110A", "PLV7110B", "PLV7110C", "PLV7110D",
                                             "PLV7120A", "PLV7120B", "PLV7120C", "PLV7120D", "PLV7210A",
                                             "PLV7210B", "PLV7210C", "PLV7210D", "PLV7220D", "PLV7150",
                                             "PLV3200OEM", "PLV3100"};
  return t;
}

std::optional<InstradamentoVerifica> Instradamento(int dispositivo, int canale, int ingresso) {
  const std::string d = dispositivo >= 0 && dispositivo < 17 ? DispositiviVerifica()[static_cast<std::size_t>(dispositivo)] : "";
  const bool secondo = canale == 1;
  InstradamentoVerifica r;
  if (d == "PLV7100") {
    // The output channel chosen goes to the multimeter.
    r.dispositivo = secondo ? "109C110A111C112C113A" : "109A110A111A112A113A";
  } else if (d == "PLV7210C") {
    if (secondo) return std::nullopt;
    r.dispositivo = "101A102A";
  } else if (d.rfind("PLV7120", 0) == 0 || d.rfind("PLV7210", 0) == 0 || d == "PLV7220D") {
    // The measuring or output channel chosen.
    r.dispositivo = secondo ? "101C102C" : "101A102A";
  } else {
    // Single-path devices (PLV7110A..D, PLV7150, PLV3200OEM, PLV3100).
    r.dispositivo = "101A102A";
  }
  const bool plv7100 = d == "PLV7100";
  if (ingresso == kIngressoV)
    r.ingresso = plv7100 ? "101A102A103C104C105A" : "103A104A105C106C107A";
  else if (ingresso == kIngressoMa)
    r.ingresso = plv7100 ? "101A102C103C104C105C" : "103C104A105A106C107C";
  else if (ingresso >= kPrimoResistivo)
    r.ingresso = plv7100 ? "101C102C103C104A105A" : "103C104C105A106C107A";
  else
    r.ingresso = plv7100 ? "101A102A103A104A105A" : "103A104A105A106A107A";
  return r;
}

std::optional<std::string> RegolaRange(int ingresso, double minimo, double massimo) {
  if (ingresso == kMvl && (minimo < -20 || massimo > 200))
    return std::string("Valore non corretto per mVL; selezionare ingresso mVH");
  if (ingresso == kMvh && minimo < -200) return std::string("Valore non corretto per mVH; selezionare ingresso V");
  return std::nullopt;
}

void comm_strum_Click(Verifica& v) {
  InterfacciaStrumVer& i = v.i;
  i.minimo.Text.clear();
  i.massimo.Text.clear();
  i.mezzo_scala.Text.clear();
  i.Label2.Caption = "Selezionare Modo di taratura:";
  i.Left = kSinistraVerificaTwips;
  i.Visible = true;
  i.alimentatore.Visible = i.multimetro.Visible = i.Calibratore.Visible = i.un_switch.Visible = false;
  i.calibratore_in.Clear();
  for (const auto& t : IngressiCalibratore()) i.calibratore_in.AddItem(t.voce);
  i.disp_un_sw.Clear();
  for (const char* d : DispositiviVerifica()) i.disp_un_sw.AddItem(d);
  i.sel_can_usw.Clear();
  i.sel_can_usw.AddItem("Canale 0");
  i.sel_can_usw.AddItem("Canale 1");
  i.mode_aut_man.Clear();
  i.mode_aut_man.AddItem("Automatico");
  i.mode_aut_man.AddItem("Manuale");
  i.outvi.Clear();
  i.outvi.AddItem("V");
  i.outvi.AddItem("mA");
  v.t.Contatore = 1;
  v.t.Fine = false;
}

bool Send_prog_Click(Verifica& v) {
  FrmVerifica& f = v.f;
  f.ErroreProg = true;
  f.report_ver.Text.clear();
  f.Spia_verifica.Caption = "DOWNLOAD";
  f.Spia_verificaColor = kColoreGiallo;
  Aggiungi(v, "Programmazione in corso...");
  if (WriteEprom(v.c) == WriteResult::Written) f.ErroreProg = false;
  if (!v.c.link.PortOpen() || f.ErroreProg) {
    Aggiungi(v, v.c.link.PortOpen() ? "Errore: controllare connessioni dispositivo" : "Errore di comunicazione");
    // The lamp does not stay on "DOWNLOAD" after a failed programming.
    f.Spia_verifica.Caption = "ERRORE";
    f.Spia_verificaColor = kColoreRosso;
    return false;
  }
  f.Spia_verificaColor = kColoreVerde;
  f.Spia_verifica.Caption = "OK";
  ++f.Programmazioni;
  f.report_ver.Text = "Download completato. Programmazioni effettuate:     " + std::to_string(f.Programmazioni) +
                      kCrLf + "Impostare strumentazione";
  return true;
}

void prog_def_Click(Verifica& v) {
  if (!v.c.link.PortOpen()) Avviso(v, "Porta Com non aperta");
}

void prog_man_Click(Verifica& v) {
  Finestra& p = v.c.w.communication.finestre[Schermo::frm_program];
  p.Left = kSinistraVerificaTwips;
  if (!v.c.link.PortOpen()) {
    Avviso(v, "Porta Com non aperta");
    return;
  }
  p.Visible = !p.Visible;
  ++p.PrimoPiano;
}

bool SalvaReport(Context& c, const FrmVerifica& f) {
  FileDialogRequest r;
  r.title = f.Caption;
  r.defaultExtension = "txt";
  r.filters = {{"(*.txt)", "*.txt"}};
  r.fileName = "verifica.txt";
  r.overwritePrompt = true;
  const auto nome = c.dialogs.SaveFileName(r);
  if (!nome || nome->empty()) return false;
  std::string errore;
  const auto* p = reinterpret_cast<const std::uint8_t*>(f.report_ver.Text.data());
  if (WriteFileAtomically(*nome, {p, f.report_ver.Text.size()}, errore, c.s.Lingua)) return true;
  c.dialogs.MsgBox(errore, Buttons::Ok, Icon::Error, f.Caption);
  return false;
}

void mode_aut_man_Click(Verifica& v, int index) {
  InterfacciaStrumVer& i = v.i;
  if (index != 0 && index != 1) return;
  i.mode_aut_man.Select(index);
  v.t.Modo = index;
  i.Label2.Caption = index == 0 ? "Modo di taratura: Automatico" : "Modo di taratura: Manuale";
  // Both modes show the four frames. Automatic drives every instrument
  // (ticks set and fixed); manual leaves the ticks to the operator, who
  // chooses which instruments the program drives.
  const bool automatico = index == 0;
  for (Frame* fr : {&i.alimentatore, &i.multimetro, &i.Calibratore, &i.un_switch}) fr->Visible = true;
  for (CheckBox* cb : {&i.Check_alim_ver, &i.Check_mult_ver, &i.Check_cal_ver, &i.Check_un_sw}) {
    cb->Value = automatico;
    cb->Enabled = !automatico;
  }
}

void disp_un_sw_Click(Verifica& v, int index) {
  InterfacciaStrumVer& i = v.i;
  i.disp_un_sw.Select(index);
  const bool uscita = index == 0 || (index >= 9 && index <= 12);
  const bool misura = (index >= 5 && index <= 8) || index == 13;
  i.lbl_can_usw.Visible = i.sel_can_usw.Visible = uscita || misura;
  if (uscita) i.lbl_can_usw.Caption = "Impostare canale di uscita";
  if (misura) i.lbl_can_usw.Caption = "Impostare canale di misura";
}

bool set_al_Click(Verifica& v) {
  const double volt = Val(v.i.val_alim_ver.Text);
  if (volt < kAlimMin || volt > kAlimMax) {
    Avviso(v, "Valore di alimentazione errato!");
    return false;
  }
  v.t.Alimentazione = volt;
  if (!v.i.Check_alim_ver.Value) return true;
  const std::string& sel = v.strumenti.Selettori().Testo(Ruolo::Alim);
  if (ModoConnessione(Ruolo::Alim, sel) != Connessione::Com) return true;
  return Strumento(v, v.strumenti.ApriPorta(Ruolo::Alim) && v.strumenti.ImpostaAlim(true, Volt(volt)));
}

bool set_mult_Click(Verifica& v) {
  if (!v.i.Check_mult_ver.Value) return true;
  if (ModoConnessione(Ruolo::Mult, v.strumenti.Selettori().Testo(Ruolo::Mult)) == Connessione::Manuale) return true;
  if (v.i.outvi.Text != "mA" && v.i.outvi.Text != "V") {
    Avviso(v, "Impostare tipo di uscita");
    return false;
  }
  return Strumento(v, v.strumenti.ImpostaMult(0, "REM", OutputMa(v) ? "CURR" : "VOLT"));
}

bool set_usw_Click(Verifica& v) {
  InterfacciaStrumVer& i = v.i;
  if (!i.Check_un_sw.Value) return true;
  const std::string& sel = v.strumenti.Selettori().Testo(Ruolo::Switch);
  if (ModoConnessione(Ruolo::Switch, sel) == Connessione::Com && !Strumento(v, v.strumenti.ApriPorta(Ruolo::Switch)))
    return false;
  if (i.disp_un_sw.ListIndex < 0) {
    Avviso(v, "Selezionare dispositivo da verificare");
    return false;
  }
  const auto r = Instradamento(i.disp_un_sw.ListIndex, i.sel_can_usw.ListIndex, i.calibratore_in.ListIndex);
  if (!r) {
    Avviso(v, "secondo canale di uscita non tarabile");
    return false;
  }
  if (!Strumento(v, v.strumenti.ImpostaSwitch(r->dispositivo)) || !Strumento(v, v.strumenti.ImpostaSwitch(r->ingresso)))
    return false;
  v.c.link.Pausa(kPausaSwitch);
  if (v.t.Modello.empty()) v.t.Modello = i.disp_un_sw.Text;
  return true;
}

void calibratore_in_Click(Verifica& v, int index) {
  v.i.calibratore_in.Select(index);
  LeggiRange(v);
}

bool set_cali_Click(Verifica& v) {
  InterfacciaStrumVer& i = v.i;
  StatoTaratura& t = v.t;
  LeggiRange(v);
  const int tipo = i.calibratore_in.ListIndex;
  if (tipo < 0) {
    Avviso(v, "Impostare calibratore");
    return false;
  }
  if (const auto regola = RegolaRange(tipo, t.Minimo, t.Massimo)) {
    Avviso(v, *regola);
    return false;
  }
  const IngressoCalibratore& in = IngressiCalibratore()[static_cast<std::size_t>(tipo)];
  if (i.Check_cal_ver.Value &&
      ModoConnessione(Ruolo::Cal, v.strumenti.Selettori().Testo(Ruolo::Cal)) != Connessione::Manuale) {
    auto d = in.funzione;
    if (!Strumento(v, v.strumenti.ApriPorta(Ruolo::Cal)) || !Strumento(v, v.strumenti.InviaCal(1, kCalFunzione, d)) ||
        !Strumento(v, v.strumenti.ImpostaCal(0)))
      return false;
    v.c.link.Pausa(kPausaFunzione);
  }
  t.Zero = t.Minimo * in.k;
  t.Span = t.Massimo * in.k;
  t.Meta = t.Mezzo * in.k;
  // A new number once the previous check has ended.
  if (t.Fine && t.Modo >= 0) ++t.Contatore;
  // The readings are formatted by the output type: without it they mean
  // nothing.
  if (i.outvi.Text != "mA" && i.outvi.Text != "V") {
    Avviso(v, "Impostare tipo di uscita");
    return false;
  }
  if (!set_mult_Click(v)) return false;
  const bool ma = OutputMa(v);
  const std::string unita = ma ? "mA" : "V";
  Aggiungi(v, std::string("Taratura in corso N° : ") + std::to_string(t.Contatore) + " Range: " + PlainNumber(t.Minimo) + " ÷ " +
                  PlainNumber(t.Massimo) + " " + in.unita);
  t.Fine = false;
  const std::pair<const char*, double> punti[] = {
      {"Valore di zero: ", t.Zero}, {"Valore di 1/2 scala: ", t.Meta}, {"Valore di span: ", t.Span}};
  bool tutte = true;
  for (std::size_t p = 0; p < 3; ++p) {
    std::optional<double> lettura;
    if (v.strumenti.ImpostaCal(punti[p].second)) {
      v.c.link.Pausa(kPausaLettura);
      lettura = v.strumenti.LeggiMult(0);
    }
    if (lettura) {
      Aggiungi(v, std::string(punti[p].first) + Format(ma ? *lettura : *lettura / 1000, "00.000") + " " + unita);
    } else {
      // A reading that did not come is not a reading of zero.
      Aggiungi(v, std::string(punti[p].first) + "lettura non riuscita (" + v.strumenti.Errore() + ")");
      tutte = false;
    }
    if (p < 2) v.c.link.Pausa(kPausaPunto);
  }
  v.c.link.Pausa(kPausaFine);
  v.strumenti.BeepMult();
  Aggiungi(v, "Taratura dispositivo N° " + std::to_string(t.Contatore) + " : terminata");
  Aggiungi(v, std::string(58, '_'));
  v.strumenti.ImpostaMult(0, "LOC", ma ? "CURR" : "VOLT");
  t.Fine = true;
  return tutte;
}

bool EseguiVerifica(Verifica& v) {
  StatoTaratura& t = v.t;
  LeggiRange(v);
  t.MinimoDecimi = t.Minimo * 10;
  t.MassimoDecimi = t.Massimo * 10;
  t.MezzoDecimi = t.Mezzo * 10;
  if (const auto regola = RegolaRange(v.i.calibratore_in.ListIndex, t.Minimo, t.Massimo)) {
    Avviso(v, *regola);
    return false;
  }
  // The relays are set before the check run: the calibrator's signal has to
  // reach the device before its output is read.
  return set_al_Click(v) && set_mult_Click(v) && set_usw_Click(v) && set_cali_Click(v);
}

bool imp_strum_Click(Verifica& v) {
  if (!EseguiVerifica(v)) return false;
  Aggiungi(v, "Misura del dispositivo in corso. Controllare comunicazione");
  return true;
}

void stop_ver_Click(Verifica& v) {
  if (v.strumenti.PortaAperta(Ruolo::Alim)) v.strumenti.ImpostaAlim(false, Volt(v.t.Alimentazione));
  v.strumenti.ChiudiPorta(Ruolo::Alim);
  v.i.Visible = false;
}

}  // namespace korventa
