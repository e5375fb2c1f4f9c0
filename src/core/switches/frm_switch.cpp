#include "switches/frm_switch.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "app/context.h"
#include "app/format.h"
#include "app/identify.h"
#include "app/numbers.h"
#include "app/texts.h"
#include "config/catalog.h"
#include "config/lookups.h"
#include "link/codecs.h"
#include "link/models.h"
#include "switches/demo.h"

namespace korventa {

namespace {

std::size_t U(int i) { return static_cast<std::size_t>(i); }

constexpr int kTestoIngressi = 63;   // "input value"
constexpr int kTestoLimiti = 65;     // "exceeds limits"
constexpr int kTestoUscita = 49;     // "Output"
constexpr int kTestoOpzioni = 57;    // "Options"
constexpr int kTestoDiretto = 58;
constexpr int kTestoInverso = 59;
constexpr int kTestoFili = 60;       // "Wires"
constexpr int kTestoNonNumero = 250;
constexpr int kTestoFuori16 = 251;

// While a wizard handler runs, the model's rule stands in for the device's
// identity; the device's comes back at the end of the handler.
class IdentitaWizard {
 public:
  IdentitaWizard(Context& c, int variante = -1) : s_(c.s), prodotto_(c.s.CodProdotto), variante_(c.s.CodVariante) {
    const FrmSwitch& f = c.w.frm_switch;
    if (!f.ModoWizard) return;
    const int v = variante >= 0 ? variante : sw::VarianteDemo(f.ModelloDemo);
    if (v < 0) return;
    s_.CodProdotto = 12;
    s_.CodVariante = static_cast<std::uint8_t>(v);
  }
  ~IdentitaWizard() {
    s_.CodProdotto = prodotto_;
    s_.CodVariante = variante_;
  }
  IdentitaWizard(const IdentitaWizard&) = delete;
  IdentitaWizard& operator=(const IdentitaWizard&) = delete;

 private:
  ProgramState& s_;
  std::uint8_t prodotto_, variante_;
};

const sw::CampiFamiglia& CampiAttivi(const Context& c) { return sw::Campi(c.s.CodProdotto, c.s.CodVariante); }
sw::Regola RegolaAttiva(const Context& c) { return CampiAttivi(c).regola; }
bool Famiglia11(const Context& c) { return c.s.CodProdotto == 11; }

const TipoIngresso& Tipo(const ProgramState& s, int code) {
  static const TipoIngresso kVuoto{};
  return code >= 0 && code < kNumTipiIngresso ? s.TipiIngresso[U(code)] : kVuoto;
}

struct Attivi {
  bool vecchio;
  bool& e;
  explicit Attivi(bool& ev) : vecchio(ev), e(ev) { e = false; }
  ~Attivi() { e = vecchio; }
};

// The input code the window's input list shows, with the wizard's model
// adjustments and the limit box kept up to date.
int CodiceScelto(Context& c) {
  FrmSwitch& f = c.w.frm_switch;
  SwitchContext ctx;
  if (f.ModoWizard) ctx.ModelloOffline = f.ModelloDemo;
  ctx.PosizioneLista = f.cmb_SW_in[0].ListIndex;
  ctx.Fahrenheit = f.opt_far[1].Value;
  const int code = TipoDaTesto(c.s, f.cmb_SW_in[0], &ctx);
  if (ctx.VisualizzaLimiti && !CampiAttivi(c).coppie) f.visualizza_limiti.Text = *ctx.VisualizzaLimiti;
  return code;
}

// The catalogue code without side effects.
int CodiceMostrato(const Context& c) { return TipoDaTesto(c.s, c.w.frm_switch.cmb_SW_in[0]); }

// The value of the input switch field: in wizard mode the model's own
// adjustments of the lookup, on a device the catalogue code taken back to
// the device's numbering.
int CodiceCampo(const Context& c) {
  const FrmSwitch& f = c.w.frm_switch;
  if (!f.ModoWizard) return sw::CodiceVersoCampo(c.s.CodProdotto, c.s.CodVariante, CodiceMostrato(c));
  SwitchContext ctx;
  ctx.ModelloOffline = f.ModelloDemo;
  ctx.PosizioneLista = f.cmb_SW_in[0].ListIndex;
  return TipoDaTesto(c.s, f.cmb_SW_in[0], &ctx);
}

std::string Esa2(int b) {
  char t[3];
  std::snprintf(t, sizeof t, "%02X", b & 0xFF);
  return t;
}

void ImpostaOpzione(FrmSwitch& f, int ch, bool on) {
  f.Opzione[U(2 * ch)].Value = !on;
  f.Opzione[U(2 * ch + 1)].Value = on;
}

void Disegna(Context& c) {
  FrmSwitch& f = c.w.frm_switch;
  if (CampiAttivi(c).banchiDisegnati == 3)
    MostraDip3(f, f.Dip[0], f.Dip[1], f.Dip[2]);
  else
    MostraDip2(f, f.Dip[0], f.Dip[1]);
}

int PosizioneOZero(const Context& c, int pos) { return c.w.frm_switch.ModoWizard && pos < 0 ? 0 : pos; }

// The choices of the window as the composition rule of the family takes
// them; -1 leaves a field's switches as they are.
sw::Selezione Scelte(Context& c) {
  FrmSwitch& f = c.w.frm_switch;
  const sw::CampiFamiglia& campi = CampiAttivi(c);
  sw::Selezione s;
  for (auto& ch : s.canali) ch = {-1, -1, -1, -1, -1};
  auto& a = s.canali[0];
  auto& b = s.canali[1];
  switch (campi.regola) {
    case sw::Regola::Dip7100:
      a.ingresso = CodiceCampo(c);
      a.opzione = f.Opzione[1].Value ? 1 : 0;
      a.uscita = UscitaDaTesto(c.s, f.cmb_sw_Out[0]);
      b.uscita = UscitaDaTesto(c.s, f.cmb_sw_Out[1]);
      a.span = std::max(0, f.lst_span.ListIndex);
      a.zero = std::max(0, f.lst_zero.ListIndex);
      break;
    case sw::Regola::Dip7120:
      a.ingresso = CodiceCampo(c);
      a.uscita = UscitaDaTesto(c.s, f.cmb_sw_Out[0]);
      break;
    case sw::Regola::Dip7120c:
      for (int ch = 0; ch < 2; ++ch) {
        auto& k = s.canali[U(ch)];
        k.ingresso = std::max(0, PosizioneOZero(c, f.cmb_SW_in[U(ch)].ListIndex));
        k.uscita = std::max(0, PosizioneOZero(c, f.cmb_sw_Out[U(ch)].ListIndex));
        k.opzione = f.Opzione[U(2 * ch + 1)].Value ? 1 : 0;
      }
      break;
    case sw::Regola::Dip7300:
      if (f.lst_span.ListIndex < 0) f.lst_span.Select(0);
      a.ingresso = std::max(0, f.cmb_SW_in[0].ListIndex);
      a.uscita = UscitaDaTesto(c.s, f.cmb_sw_Out[0]);
      a.span = std::max(0, f.lst_span.ListIndex);
      s.divisore = std::max(0, f.cmb_divider.ListIndex);
      break;
    case sw::Regola::Dip7150: {
      const int code = CodiceCampo(c);
      a.ingresso = code;
      // The option switch means cold junction or wires, so it follows the
      // choice only for thermocouples and resistance inputs.
      if (code >= 7 && code <= 21) a.opzione = f.Opzione[1].Value ? 1 : 0;
      break;
    }
    case sw::Regola::Dip11:
      a.ingresso = CodiceCampo(c);
      a.uscita = UscitaDaTesto(c.s, f.cmb_sw_Out[0]);
      a.opzione = f.Opzione[1].Value ? 1 : 0;
      break;
    case sw::Regola::Nessuna:
      break;
  }
  return s;
}

void TestoCoppie(Context& c);

void ComponiBanchi(Context& c) {
  FrmSwitch& f = c.w.frm_switch;
  const sw::CampiFamiglia& campi = CampiAttivi(c);
  f.Dip = sw::Componi(campi, Scelte(c), f.Dip);
  // The frequency converter's first bank is not fitted; the wizard shows
  // its input bank there.
  if (campi.regola == sw::Regola::Dip7300 && f.ModoWizard) f.Dip[0] = f.Dip[2];
  if (campi.coppie) TestoCoppie(c);
}

// The D models' range line per channel.
void TestoCoppie(Context& c) {
  FrmSwitch& f = c.w.frm_switch;
  const auto& coppie = c.s.DatiSwitch.RangeCoppie;
  std::string testo;
  const int canali = f.cmb_SW_in[1].Visible ? 2 : 1;
  for (int ch = 0; ch < canali; ++ch) {
    const int p = f.cmb_SW_in[U(ch)].ListIndex;
    std::string riga = ch == 0 ? "CH1: " : "CH2: ";
    if (p <= 0) {
      riga += p == 0 ? "EEPROM" : "No range";
    } else if (p >= sw::kNumRangeCoppia) {
      riga += "No range";
    } else {
      const auto& r = coppie[U(p)];
      riga += "In:" + r.Nome + "; Max.Lim.=" + Str(r.Max) + " " + r.Unita + " Min.Lim.=" + Str(r.Min) + " " +
              r.Unita + " Span min=" + Str(r.SpanMin) + " " + r.Unita;
    }
    testo += (ch ? "\n" : "") + riga;
  }
  f.visualizza_limiti.Text = testo;
}

void MostraBanco(BancoDip& b, int byte, int interruttori, bool invertito) {
  b.interruttori = interruttori;
  for (int j = 0; j < 8; ++j) {
    // The second bank is mounted the other way round: its switch 8 is on
    // the left.
    const int n = invertito ? 8 - j : j + 1;
    b.numero[U(j)] = n;
    b.on[U(j)] = (byte >> (n - 1)) & 1;
  }
  if (interruttori < 8 && !invertito)
    for (int j = interruttori; j < 8; ++j) b.on[U(j)] = false;
}

// Fills a list from a table entry list: "Def: " + the stored value first.
void RiempiLista(ListBox& l, double predefinito, const std::vector<double>& voci, bool fahrenheit) {
  auto testo = [&](double v) { return fahrenheit ? CtoF(v) : PlainNumber(v); };
  auto dato = [&](double v) { return static_cast<double>(Round(fahrenheit ? CtoFValue(v) : v)); };
  l.AddItem("Def: " + testo(predefinito), dato(predefinito));
  for (double v : voci) l.AddItem(testo(v), dato(v));
}

bool TemperaturaLista(int code) {
  return (code >= 7 && code <= 15) || (code >= 18 && code <= 21) || (code >= 24 && code <= 27);
}

void CaricaDaCampioni(Context& c, int nSpan, int nZero, int posSpan, int posZero) {
  ProgramState& s = c.s;
  FrmSwitch& f = c.w.frm_switch;
  Attivi attivi(s.EventiAttivi);
  const int code = CodiceScelto(c);
  f.lst_span.Clear();
  f.lst_zero.Clear();
  if (code == 0) return;
  f.frm_far.Visible = IsSwitchTemperatureCode(code);
  const bool f12 = s.CodProdotto == 12;
  const int v = s.CodVariante;
  int richiesta = code;
  if (f12 && v == 6 && code == kCodRes300K) richiesta = 18;
  if (f12 && v == 7) richiesta = 1;
  const std::vector<int> t = c.link.ReadSamples(richiesta);
  if (s.ErroreCom) return;
  if (f12 && v == 7) {
    f.lst_span.AddItem("EEPROM", 0);
    f.lst_zero.AddItem("EEPROM", 0);
    return;
  }
  const int d = sw::DecimaliTabella(v, code, Tipo(s, code).Decimali);
  const double p = std::pow(10.0, d);
  auto voce = [&](int k) { return k >= 0 && k < static_cast<int>(t.size()) ? t[U(k)] / p : 0.0; };
  std::vector<double> span, zero;
  for (int k = 1; k <= nSpan && k < static_cast<int>(t.size()); ++k) span.push_back(voce(k));
  // Only the zero entries the reply holds are listed.
  for (int k = nSpan + 2; k <= nSpan + 1 + nZero && k < static_cast<int>(t.size()); ++k) zero.push_back(voce(k));
  const bool far = TemperaturaLista(code) && !f.opt_far[0].Value;
  RiempiLista(f.lst_span, voce(0), span, far);
  RiempiLista(f.lst_zero, voce(nSpan + 1), zero, far);
  f.lst_span.Select(posSpan);
  f.lst_zero.Select(posZero);
}

bool LeggiBanchi(Context& c) {
  ProgramState& s = c.s;
  FrmSwitch& f = c.w.frm_switch;
  const auto dip = c.link.ReadDip();
  if (s.ErroreCom) return false;
  s.DipLetti = dip;
  s.Dip0 = static_cast<std::uint8_t>(dip[0]);
  s.Dip1 = static_cast<std::uint8_t>(dip[1]);
  s.Dip2 = static_cast<std::uint8_t>(dip[2]);
  f.Dip = {s.Dip0, s.Dip1, s.Dip2};
  Disegna(c);
  return true;
}

void RiempiListeDispositivo(Context& c) {
  FrmSwitch& f = c.w.frm_switch;
  const ProgramState& s = c.s;
  const bool coppie = CampiAttivi(c).coppie;
  for (int ch = 0; ch < 2; ++ch) {
    f.cmb_SW_in[U(ch)].Clear();
    f.cmb_sw_Out[U(ch)].Clear();
    if (coppie) {
      for (const auto& r : s.DatiSwitch.RangeCoppie) f.cmb_SW_in[U(ch)].AddItem(r.Nome);
      for (const auto& n : ListaUsciteEstese(s)) f.cmb_sw_Out[U(ch)].AddItem(n);
    } else {
      if (auto l = ListaIngressiSwitch(s))
        for (const auto& n : *l) f.cmb_SW_in[U(ch)].AddItem(n);
      for (const auto& n : ListaUscite(s)) f.cmb_sw_Out[U(ch)].AddItem(n);
    }
  }
  f.cmb_divider.Clear();
  f.cmb_divider.AddItem("1000");
  f.cmb_divider.AddItem("100");
}

// The body shared by the four readers: banks, input, option, outputs,
// lists.
bool LeggiSw(Context& c) {
  ProgramState& s = c.s;
  FrmSwitch& f = c.w.frm_switch;
  if (!LeggiBanchi(c)) return false;
  Attivi attivi(s.EventiAttivi);
  RiempiListeDispositivo(c);
  f.frm_far.Visible = false;
  const sw::CampiFamiglia& campi = CampiAttivi(c);
  const sw::Selezione sel = sw::Decodifica(campi, f.Dip);
  const auto& a = sel.canali[0];
  if (campi.coppie || campi.regola == sw::Regola::Dip7300) {
    // These models set the input by list position.
    const int canali = campi.coppie ? 2 : 1;
    for (int ch = 0; ch < canali; ++ch) {
      f.cmb_SW_in[U(ch)].Select(sel.canali[U(ch)].ingresso);
      if (campi.coppie) {
        f.cmb_sw_Out[U(ch)].Select(sel.canali[U(ch)].uscita);
        ImpostaOpzione(f, ch, sel.canali[U(ch)].opzione == 1);
      }
    }
  } else {
    const int code = a.ingresso == 0 ? 0 : sw::CodiceDispositivo(s.CodProdotto, s.CodVariante, a.ingresso, f.Dip[0]);
    if (IngressoAmmesso(s, code))
      MostraIngresso(s, f.cmb_SW_in[0], code);
    else if (campi.uscita[1].Presente())
      f.cmb_SW_in[0].Select(-1);
    else
      f.cmb_SW_in[0].SetText("EEPROM");
    if (a.opzione >= 0) ImpostaOpzione(f, 0, a.opzione == 1);
  }
  ImpostaSwOpz(c);
  if (!campi.coppie) {
    for (int ch = 0; ch < 2; ++ch) {
      const int u = sel.canali[U(ch)].uscita;
      if (u >= 0) MostraUscita(s, f.cmb_sw_Out[U(ch)], u);
    }
  }
  if (sel.divisore >= 0) f.cmb_divider.Select(sel.divisore);
  f.txt_sw2.Text.clear();
  if (!campi.coppie && !f.cmb_SW_in[0].Text.empty()) {
    if (Famiglia11(c))
      CaricaListe11(c);
    else
      CaricaListe(c);
  }
  if (campi.regola == sw::Regola::Dip7300) f.lst_span.Select(a.span);
  return true;
}

bool Tra(int v, int a, int b) { return v >= a && v <= b; }

void Rinfresca(Context& c);

// A typed number: the whole text must be one decimal number ("." point).
std::optional<double> NumeroEsatto(std::string_view t) {
  while (!t.empty() && (t.front() == ' ' || t.front() == '\t')) t.remove_prefix(1);
  while (!t.empty() && (t.back() == ' ' || t.back() == '\t')) t.remove_suffix(1);
  if (!t.empty() && t.front() == '+') t.remove_prefix(1);
  if (t.empty()) return std::nullopt;
  double v = 0;
  const auto [fine, err] = std::from_chars(t.data(), t.data() + t.size(), v, std::chars_format::fixed);
  if (err != std::errc() || fine != t.data() + t.size() || !std::isfinite(v)) return std::nullopt;
  return v;
}

bool ModificaPredefinito(Context& c, bool zero) {
  ProgramState& s = c.s;
  FrmSwitch& f = c.w.frm_switch;
  if (f.ModoWizard) return false;
  const int mostrato = CodiceMostrato(c);
  int code = mostrato;
  const bool res300K = s.CodProdotto == 12 && s.CodVariante == 6 && code == kCodRes300K;
  if (res300K) code = 18;
  if (code == 0) return false;
  const auto risposta =
      c.dialogs.InputBox(zero ? "Enter Zero Default" : "Enter Span Default", c.w.communication.Caption, "");
  if (!risposta || risposta->empty()) return false;
  const std::string titolo = TitoloApplicazione(s);
  // A text that is not a number would be written as 0 into the device's
  // default: refused, nothing is written.
  const auto valore = NumeroEsatto(*risposta);
  if (!valore) {
    c.dialogs.MsgBox(Testo(s, kTestoNonNumero), Buttons::Ok, Icon::Error, titolo);
    return false;
  }
  const double v = *valore;
  const TipoIngresso& tipo = Tipo(s, mostrato);
  std::string avviso = Testo(s, kTestoIngressi);
  const bool sopra = v > tipo.Max, sotto = v < tipo.Min;
  if (sopra) avviso += " MAX";
  if (sotto) avviso += " MIN";
  if ((sopra || sotto) &&
      c.dialogs.MsgBox(avviso + " " + Testo(s, kTestoLimiti), Buttons::OkCancel, Icon::Warning, titolo) ==
          Answer::Cancel)
    return false;
  double grezzo = v * std::pow(10.0, Tipo(s, code).Decimali);
  if (res300K) grezzo *= 10;
  const long r = std::lround(grezzo);
  // A raw value outside the 16-bit word would wrap round to another value.
  const long lo = s.ConSegno ? -32768 : 0, hi = s.ConSegno ? 32767 : 65535;
  const int indirizzo = sw::IndirizzoPredefinito(code) + (zero ? 2 : 0);
  if (r < lo || r > hi || indirizzo + 1 > 255) {
    c.dialogs.MsgBox(Testo(s, kTestoFuori16), Buttons::Ok, Icon::Error, titolo);
    return false;
  }
  const auto [alto, basso] = SplitWord(r);
  s.BufIndirizzi = {static_cast<std::uint8_t>(indirizzo), static_cast<std::uint8_t>(indirizzo + 1)};
  s.BufDati = {static_cast<std::uint8_t>(basso), static_cast<std::uint8_t>(alto)};
  // Backed up first like every memory write; a failed backup has said why.
  if (!PrimaDiScrivere(c, 0, TipoScrittura::Switch)) return false;
  c.link.WriteBytes(0, 2);
  if (s.ErroreCom) return false;
  Rinfresca(c);
  return true;
}

// Lists and banks again after a new stored default.
void Rinfresca(Context& c) {
  FrmSwitch& f = c.w.frm_switch;
  const int span = f.lst_span.ListIndex, zeroPos = f.lst_zero.ListIndex;
  if (Famiglia11(c)) {
    CaricaListe11(c);
    DisegnaDip(c);
  } else if (CampiAttivi(c).coppie) {
    DisegnaDip7120_c(c);
  } else {
    CaricaListe(c);
    f.lst_span.Select(span);
    f.lst_zero.Select(zeroPos);
  }
  Disegna(c);
}

// What the wizard lists at position p of its input list.
std::vector<std::string> IngressiWizard(const ProgramState& s, const std::string& m) {
  const auto& in = s.DatiSwitch.IngressiDemo;
  auto nome = [&](int i) { return in[U(i)].Nome; };
  std::vector<std::string> l;
  if (m == "PLV7100" || m == "PLV7150") {
    for (int p = 0; p <= 23; ++p) l.push_back(p == 6 || p == 15 ? "---" : nome(p));
  } else if (m == "PLV7110A") {
    for (int p = 0; p <= 15; ++p) l.push_back(Tra(p, 4, 6) || p == 15 ? "---" : nome(p));
  } else if (m == "PLV7110B") {
    for (int p = 0; p <= 15; ++p) l.push_back(p == 0 ? nome(0) : p <= 6 ? nome(p + 15) : "---");
  } else if (m == "PLV7110C") {
    for (int p = 0; p <= 15; ++p) l.push_back(p == 0 ? nome(0) : p == 1 ? nome(23) : p <= 5 ? nome(p + 22) : "---");
  } else if (m == "PLV7300") {
    for (int p = 28; p <= 31; ++p) l.push_back(nome(p));
  } else {
    for (const auto& r : s.DatiSwitch.RangeCoppie) l.push_back(r.Nome);
  }
  return l;
}

void MostraColonnaB(FrmSwitch& f, bool vis) {
  f.lbl_canale[1].Visible = vis;
  f.frm_input[1].Visible = f.cmb_SW_in[1].Visible = vis;
  f.frm_output[1].Visible = f.cmb_sw_Out[1].Visible = vis;
  f.frm_optionSw[1].Visible = vis;
  for (int i = 2; i < 4; ++i) f.Opzione[U(i)].Visible = vis;
}

void MostraFinestreDispositivo(FrmSwitch& f, bool vis) {
  for (auto& b : f.banchi) b.Visible = vis;
  for (int ch = 0; ch < 2; ++ch) {
    f.frm_input[U(ch)].Visible = f.cmb_SW_in[U(ch)].Visible = vis;
    f.frm_output[U(ch)].Visible = f.cmb_sw_Out[U(ch)].Visible = vis;
    f.frm_optionSw[U(ch)].Visible = vis;
  }
  for (auto& o : f.Opzione) o.Visible = vis;
  f.lst_span.Visible = f.lst_zero.Visible = f.lbl_span.Visible = f.lbl_zero.Visible = vis;
  f.frm_divider.Visible = f.cmb_divider.Visible = vis;
  f.frm_far.Visible = vis;
  f.aiuto_switch.Visible = vis;
}

void RidisegnaDopoScelta(Context& c) {
  switch (RegolaAttiva(c)) {
    case sw::Regola::Dip7100: DisegnaDip7100_r1(c); break;
    case sw::Regola::Dip7120: DisegnaDip7120(c); break;
    case sw::Regola::Dip7120c: DisegnaDip7120_c(c); break;
    case sw::Regola::Dip7300: DisegnaDip7300(c); break;
    case sw::Regola::Dip7150: DisegnaDip7150(c); break;
    case sw::Regola::Dip11: DisegnaDip(c); break;
    case sw::Regola::Nessuna: return;
  }
  Disegna(c);
}

}  // namespace

FrmSwitch::FrmSwitch() {
  for (int i = 0; i < 3; ++i) banchi[U(i)].Caption = "SW" + std::to_string(i + 1);
  cmb_divider.AddItem("1000");
  cmb_divider.AddItem("100");
  cmb_divider.Select(0);
  aiuto_modello.Visible = false;
  visualizza_limiti.Visible = false;
  frm_far.Visible = false;
  MostraColonnaB(*this, false);
  MostraDip3(*this, 0, 0, 0);
}

void ReadSwitch(Context& c) {
  FrmSwitch& f = c.w.frm_switch;
  if (f.ModoWizard) return;
  const sw::CampiFamiglia& campi = CampiAttivi(c);
  f.frm_optionSw[0].Visible = campi.opzione[0].Presente() || campi.regola == sw::Regola::Dip7300;
  bool letto = false;
  if (Famiglia11(c)) {
    letto = LeggiSw(c);
  } else {
    switch (c.s.CodVariante) {
      case 0: case 1: letto = LeggiSw01(c); break;
      case 2: case 3: case 4: case 5: case 6: letto = LeggiSw26(c); break;
      case 7: letto = LeggiSw7(c); break;
      case 8: letto = LeggiSw8(c); break;
      default: break;
    }
  }
  if (letto) ControllaConfig(c);
}

bool LeggiSw01(Context& c) { return LeggiSw(c); }
bool LeggiSw26(Context& c) { return LeggiSw(c); }
bool LeggiSw7(Context& c) { return LeggiSw(c); }
bool LeggiSw8(Context& c) { return LeggiSw(c); }

void CaricaListe(Context& c) {
  const sw::Selezione sel = sw::Decodifica(CampiAttivi(c), c.w.frm_switch.Dip);
  CaricaDaCampioni(c, c.s.NumCampioni1, c.s.NumCampioni2, sel.canali[0].span, sel.canali[0].zero);
}

void CaricaListe11(Context& c) {
  const sw::Selezione sel = sw::Decodifica(CampiAttivi(c), c.w.frm_switch.Dip);
  CaricaDaCampioni(c, 15, 15, sel.canali[0].span, sel.canali[0].zero);
}

void ControllaConfig(Context& c) {
  ProgramState& s = c.s;
  FrmSwitch& f = c.w.frm_switch;
  IdentitaWizard id(c);
  const sw::CampiFamiglia& campi = CampiAttivi(c);
  bool errore = false;
  auto soloUno = [](int a, int b) { return (a == 0) != (b == 0); };
  if (campi.coppie) {
    for (int ch = 0; ch < 2; ++ch)
      if ((f.cmb_SW_in[U(ch)].Visible && f.cmb_SW_in[U(ch)].Text == "---") ||
          (f.cmb_sw_Out[U(ch)].Visible && f.cmb_sw_Out[U(ch)].Text == "---"))
        errore = true;
    if (f.cmb_SW_in[1].Visible && soloUno(f.cmb_SW_in[0].ListIndex, f.cmb_SW_in[1].ListIndex)) errore = true;
  } else if (campi.regola == sw::Regola::Dip7300) {
    const int k = f.lst_span.ListIndex;
    if (k >= 0 && k < static_cast<int>(f.lst_span.ItemData.size())) {
      const double divisore = Val(f.cmb_divider.Text.empty() ? "1000" : f.cmb_divider.Text);
      errore = f.lst_span.ItemData[U(k)] * divisore > Tipo(s, kCodFreq).Max;
    }
  } else if (f.lst_zero.ListIndex >= 0 && f.lst_span.ListIndex >= 0) {
    const int code = CodiceMostrato(c);
    const TipoIngresso& t = Tipo(s, code);
    const double S = f.lst_span.ItemData[U(f.lst_span.ListIndex)];
    const double Z = f.lst_zero.ItemData[U(f.lst_zero.ListIndex)];
    errore = S - Z < t.SpanMin || Z < t.Min || S > t.Max;
    // Span and zero share one stored-default switch everywhere but on the
    // PLV7100: one from the default and one from the table cannot be set.
    if (campi.regola != sw::Regola::Dip7100 && soloUno(f.lst_span.ListIndex, f.lst_zero.ListIndex)) errore = true;
  }
  if (campi.ingressoAlto.Presente() && !f.ModoWizard && f.Dip[0] == 255 && f.Dip[1] == 255) {
    errore = true;
    f.cmb_SW_in[0].SetText("---");
  }
  f.CheckOk = !errore;
  f.Label4_20.Caption = errore ? "ERR" : "OK";
}

void lst_span_Click(Context& c, int k) {
  FrmSwitch& f = c.w.frm_switch;
  if (!c.s.EventiAttivi || k < 0) return;
  f.lst_span.Select(k);
  ControllaConfig(c);
  IdentitaWizard id(c, f.ModelloDemo == "PLV7110D" ? 2 : -1);
  if (RegolaAttiva(c) == sw::Regola::Dip7300)
    DisegnaDip7300(c);
  else
    sw::Scrivi(f.Dip, CampiAttivi(c).span, k);
  Disegna(c);
  f.txt_sw2.Text = Esa2(f.Dip[1]);
}

void lst_zero_Click(Context& c, int k) {
  FrmSwitch& f = c.w.frm_switch;
  if (!c.s.EventiAttivi || k < 0) return;
  f.lst_zero.Select(k);
  ControllaConfig(c);
  IdentitaWizard id(c);
  sw::Scrivi(f.Dip, CampiAttivi(c).zero, k);
  Disegna(c);
}

bool lst_span_DblClick(Context& c, int k) { return k == 0 && ModificaPredefinito(c, false); }

bool lst_zero_DblClick(Context& c, int k) { return k == 0 && ModificaPredefinito(c, true); }

void cmb_SW_in_Click(Context& c, int /*ch*/) {
  FrmSwitch& f = c.w.frm_switch;
  if (!c.s.EventiAttivi) return;
  if (f.ModoWizard) f.visualizza_limiti.Text.clear();
  {
    IdentitaWizard id(c);
    if (f.ModoWizard) {
      // No device: the lists come from the built-in tables.
      CodiceScelto(c);
      ListeWizard(c);
      RidisegnaDopoScelta(c);
    } else {
      if (!CampiAttivi(c).coppie) {
        if (Famiglia11(c))
          CaricaListe11(c);
        else
          CaricaListe(c);
      }
      RidisegnaDopoScelta(c);
    }
    ImpostaSwOpz(c);
  }
  ControllaConfig(c);
}

void cmb_sw_Out_Click(Context& c, int /*ch*/) {
  if (!c.s.EventiAttivi) return;
  {
    IdentitaWizard id(c);
    RidisegnaDopoScelta(c);
  }
  ControllaConfig(c);
}

void Opzione_Click(Context& c, int i) {
  FrmSwitch& f = c.w.frm_switch;
  if (i < 0 || i > 3) return;
  ImpostaOpzione(f, i / 2, i % 2 == 1);
  if (!c.s.EventiAttivi) return;
  {
    IdentitaWizard id(c);
    RidisegnaDopoScelta(c);
  }
  ControllaConfig(c);
}

void opt_far_Click(Context& c, int i) {
  FrmSwitch& f = c.w.frm_switch;
  if (i < 0 || i > 1) return;
  f.opt_far[U(i)].Value = true;
  f.opt_far[U(1 - i)].Value = false;
  cmb_SW_in_Click(c, 0);
}

void cmb_divider_Click(Context& c) {
  if (!c.s.EventiAttivi) return;
  IdentitaWizard id(c);
  DisegnaDip7300(c);
  Disegna(c);
  ControllaConfig(c);
}

void DisegnaDip7100_r1(Context& c) { ComponiBanchi(c); }
void DisegnaDip7120(Context& c) { ComponiBanchi(c); }
void DisegnaDip7120_c(Context& c) { ComponiBanchi(c); }
void DisegnaDip7300(Context& c) { ComponiBanchi(c); }
void DisegnaDip7150(Context& c) { ComponiBanchi(c); }
void DisegnaDip(Context& c) { ComponiBanchi(c); }

void MostraDip3(FrmSwitch& f, int b1, int b2, int b3) {
  MostraBanco(f.banchi[0], b1, 8, false);
  MostraBanco(f.banchi[1], b2, 8, true);
  MostraBanco(f.banchi[2], b3, 4, false);
}

void MostraDip2(FrmSwitch& f, int b1, int b2) {
  MostraBanco(f.banchi[0], b1, 8, false);
  MostraBanco(f.banchi[1], b2, 8, true);
}

void DisegnaDip_vuoti(FrmSwitch& f, int b1, int b2, int b3) {
  MostraBanco(f.banchi[0], b1, 8, false);
  MostraBanco(f.banchi[1], b2, 8, true);
  MostraBanco(f.banchi[2], b3, 8, false);
}

void ImpostaSwOpz(Context& c) {
  const ProgramState& s = c.s;
  FrmSwitch& f = c.w.frm_switch;
  const sw::CampiFamiglia& campi = CampiAttivi(c);
  f.banchi[2].Caption = "SW3";
  if (campi.coppie) {
    f.lst_span.Visible = f.lst_zero.Visible = f.lbl_span.Visible = f.lbl_zero.Visible = false;
    for (int ch = 0; ch < 2; ++ch) f.frm_optionSw[U(ch)].Caption = Testo(s, kTestoUscita);
    f.Opzione[0].Caption = f.Opzione[2].Caption = Testo(s, kTestoDiretto);
    f.Opzione[1].Caption = f.Opzione[3].Caption = Testo(s, kTestoInverso);
    f.frm_input[0].Visible = f.cmb_SW_in[0].Visible = f.frm_output[0].Visible = f.cmb_sw_Out[0].Visible = true;
    f.frm_optionSw[0].Visible = f.Opzione[0].Visible = f.Opzione[1].Visible = f.lbl_canale[0].Visible = true;
    MostraColonnaB(f, true);
    f.banchi[0].Visible = f.banchi[1].Visible = true;
    f.banchi[2].Visible = false;
    f.frm_divider.Visible = f.cmb_divider.Visible = false;
    f.frm_far.Visible = false;
    // The one-channel D model has no channel B.
    const bool unCanale = f.ModoWizard ? f.ModelloDemo == "PLV7110D" : [&] {
      const int i = c.w.frm_program.IndiceModello;
      return i >= 0 && i < kModelCount && Models()[U(i)].code.starts_with("PLV7110");
    }();
    if (unCanale) MostraColonnaB(f, false);
    return;
  }
  f.lst_span.Visible = f.lst_zero.Visible = f.lbl_span.Visible = f.lbl_zero.Visible = true;
  for (int ch = 0; ch < 2; ++ch) f.frm_optionSw[U(ch)].Caption = Testo(s, kTestoOpzioni);
  const int code = CodiceMostrato(c);
  if (Tra(code, 7, 14) && code != 12) {
    f.frm_optionSw[0].Caption = "CJC";
    f.Opzione[0].Caption = "Ext";
    f.Opzione[1].Caption = "Int";
  } else if (Tra(code, 16, 21)) {
    f.frm_optionSw[0].Caption = Testo(s, kTestoFili);
    f.Opzione[0].Caption = "3w";
    const int v = s.CodVariante;
    f.Opzione[1].Caption = s.CodProdotto == 12 && (v == 0 || v == 8 || v == 9) ? "2/4w" : "2w";
  } else {
    f.frm_optionSw[0].Caption = "Option";
    f.Opzione[0].Caption = "Off";
    f.Opzione[1].Caption = "On";
  }
  f.frm_input[0].Visible = f.cmb_SW_in[0].Visible = f.lbl_canale[0].Visible = true;
  const bool uscita = CampoUscita(campi, 0).Presente();
  f.frm_output[0].Visible = f.cmb_sw_Out[0].Visible = uscita;
  const bool opzione = campi.opzione[0].Presente();
  f.frm_optionSw[0].Visible = f.Opzione[0].Visible = f.Opzione[1].Visible = opzione;
  const bool freq = campi.regola == sw::Regola::Dip7300;
  f.banchi[1].Visible = true;
  // The frequency converter has two banks: its input bank is the third
  // picture, labelled SW1, and the first is not fitted.
  f.banchi[0].Visible = !freq;
  f.banchi[2].Visible = campi.banchiDisegnati == 3;
  if (freq) f.banchi[2].Caption = "SW1";
  f.frm_divider.Visible = f.cmb_divider.Visible = freq;
  MostraColonnaB(f, false);
  // The PLV7100's second output sits on its second bank.
  if (campi.uscita[1].Presente()) {
    f.lbl_canale[1].Visible = true;
    f.frm_output[1].Visible = f.cmb_sw_Out[1].Visible = true;
  }
}

void aiuto_switch_Click(Context& c) {
  FrmSwitch& f = c.w.frm_switch;
  f.ModoWizard = true;
  f.ModelloDemo.clear();
  MostraFinestreDispositivo(f, false);
  MostraColonnaB(f, false);
  f.visualizza_limiti.Visible = true;
  f.visualizza_limiti.Text.clear();
  f.close_aiuto_switch.Visible = true;
  f.Dip = {0, 0, 0};
  for (auto& b : f.banchi) b.Visible = true;
  f.banchi[2].Caption = "SW3";
  DisegnaDip_vuoti(f, 0, 0, 0);
  ElencoModelli(c);
  f.aiuto_modello.Visible = true;
}

void ElencoModelli(Context& c) {
  ComboBox& l = c.w.frm_switch.aiuto_modello;
  l.Clear();
  for (const auto& m : sw::ModelliWizard()) l.AddItem(std::string(m.Nome));
  l.Text = "Select Device";
}

void aiuto_modello_Click(Context& c, int posizione) {
  FrmSwitch& f = c.w.frm_switch;
  if (posizione < 0 || posizione >= sw::kNumModelliWizard) return;
  f.aiuto_modello.Select(posizione);
  f.visualizza_limiti.Text.clear();
  f.Dip = {0, 0, 0};
  DisegnaDip_vuoti(f, 0, 0, 0);
  SceltaModello(c, posizione);
}

void SceltaModello(Context& c, int posizione) {
  FrmSwitch& f = c.w.frm_switch;
  if (posizione < 0 || posizione >= sw::kNumModelliWizard) return;
  f.ModelloDemo = std::string(sw::ModelliWizard()[U(posizione)].ModelloDemo);
  IdentitaWizard id(c);
  Attivi attivi(c.s.EventiAttivi);
  const sw::CampiFamiglia& campi = CampiAttivi(c);
  const auto ingressi = IngressiWizard(c.s, f.ModelloDemo);
  for (int ch = 0; ch < 2; ++ch) {
    f.cmb_SW_in[U(ch)].Clear();
    for (const auto& n : ingressi) f.cmb_SW_in[U(ch)].AddItem(n);
    f.cmb_SW_in[U(ch)].Text = "Select:";
    f.cmb_sw_Out[U(ch)].Clear();
    for (const auto& n : campi.coppie ? ListaUsciteEstese(c.s) : ListaUscite(c.s)) f.cmb_sw_Out[U(ch)].AddItem(n);
    f.cmb_sw_Out[U(ch)].Text = "Select:";
    ImpostaOpzione(f, ch, false);
  }
  f.cmb_divider.Select(0);
  f.lst_span.Clear();
  f.lst_zero.Clear();
  f.opt_far[0].Value = true;
  f.opt_far[1].Value = false;
  f.frm_far.Visible = false;
  ImpostaSwOpz(c);
  Disegna(c);
}

void ListeWizard(Context& c) {
  FrmSwitch& f = c.w.frm_switch;
  const int p = f.cmb_SW_in[0].ListIndex;
  f.lst_span.Clear();
  f.lst_zero.Clear();
  if (CampiAttivi(c).coppie) return;
  const auto tabella = sw::TabellaPer(f.ModelloDemo, p);
  if (!tabella) {
    for (int i = 0; i < 16; ++i) f.lst_zero.AddItem("-----", 0);
    for (int i = 0; i < 64; ++i) f.lst_span.AddItem("-----", 0);
    if (p >= 1) f.visualizza_limiti.Text = "No range";
    return;
  }
  const sw::TabellaDemo& t = c.s.DatiSwitch.TabelleDemo[U(*tabella)];
  const int code = p >= 0 && p < static_cast<int>(f.cmb_SW_in[0].List.size())
                       ? TipoDaTesto(c.s, f.cmb_SW_in[0].List[U(p)])
                       : 0;
  const bool temperatura = IsSwitchTemperatureCode(code);
  const bool far = f.opt_far[1].Value && temperatura;
  auto aggiungi = [&](ListBox& l, const std::vector<double>& v) {
    l.AddItem("Default", 0);
    for (double x : v) l.AddItem(far ? CtoF(x) : PlainNumber(x), far ? CtoFValue(x) : x);
  };
  aggiungi(f.lst_zero, t.zero);
  aggiungi(f.lst_span, t.span);
  f.frm_far.Visible = *tabella != 7 && temperatura;
}

void close_aiuto_switch_Click(Context& c) {
  FrmSwitch& f = c.w.frm_switch;
  f.ModoWizard = false;
  f.ModelloDemo.clear();
  MostraFinestreDispositivo(f, true);
  f.aiuto_modello.Visible = false;
  f.visualizza_limiti.Visible = false;
  f.close_aiuto_switch.Visible = false;
  f.lst_span.Clear();
  f.lst_zero.Clear();
  f.Dip = {c.s.Dip0, c.s.Dip1, c.s.Dip2};
  {
    Attivi attivi(c.s.EventiAttivi);
    RiempiListeDispositivo(c);
  }
  ImpostaSwOpz(c);
  Disegna(c);
  ControllaConfig(c);
}

SchedaSwitch Scheda(const Context& c, const std::string& data) {
  const ProgramState& s = c.s;
  const FrmSwitch& f = c.w.frm_switch;
  SchedaSwitch k;
  k.Titolo = Testo(s, 253);
  const std::string modello = f.ModoWizard ? f.aiuto_modello.Text : NomeModelloRiconosciuto(c);
  k.Righe.emplace_back(Testo(s, 254), modello);
  const int canali = f.cmb_SW_in[1].Visible ? 2 : 1;
  for (int ch = 0; ch < canali; ++ch) {
    const std::string suffisso = canali == 2 ? (ch == 0 ? " CH1" : " CH2") : "";
    k.Righe.emplace_back(Testo(s, 255) + suffisso, f.cmb_SW_in[U(ch)].Text);
    if (f.cmb_sw_Out[U(ch)].Visible) k.Righe.emplace_back(Testo(s, kTestoUscita) + suffisso, f.cmb_sw_Out[U(ch)].Text);
    if (f.frm_optionSw[U(ch)].Visible) {
      const auto& on = f.Opzione[U(2 * ch + 1)];
      const auto& off = f.Opzione[U(2 * ch)];
      k.Righe.emplace_back(Testo(s, 256) + suffisso,
                           f.frm_optionSw[U(ch)].Caption + ": " + (on.Value ? on.Caption : off.Caption));
    }
  }
  if (f.cmb_sw_Out[1].Visible && canali == 1) k.Righe.emplace_back(Testo(s, kTestoUscita) + " CH2", f.cmb_sw_Out[1].Text);
  std::string campo;
  auto voce = [](const ListBox& l) { return l.ListIndex >= 0 ? l.List[U(l.ListIndex)] : std::string("-"); };
  if (f.lst_span.Visible) campo = "Span " + voce(f.lst_span) + ", Zero " + voce(f.lst_zero);
  if (f.frm_divider.Visible) campo += " x" + f.cmb_divider.Text;
  if (!f.visualizza_limiti.Text.empty() && f.visualizza_limiti.Visible)
    campo += (campo.empty() ? "" : "; ") + f.visualizza_limiti.Text;
  k.Righe.emplace_back(Testo(s, 257), campo);
  k.Righe.emplace_back("SW", Esa2(f.Dip[0]) + " " + Esa2(f.Dip[1]) + " " + Esa2(f.Dip[2]));
  k.Righe.emplace_back(Testo(s, 258), f.Label4_20.Caption);
  k.Righe.emplace_back(Testo(s, 259), data);
  return k;
}

std::vector<std::string> DisegnoTesto(const FrmSwitch& f) {
  std::vector<std::string> righe;
  for (std::size_t i = 0; i < f.banchi.size(); ++i) {
    const BancoDip& b = f.banchi[i];
    if (!b.Visible) continue;
    std::string r = b.Caption + " ";
    for (int j = 0; j < 8; ++j) {
      if (b.numero[U(j)] > b.interruttori && b.interruttori < 8) continue;
      r += "[" + std::to_string(b.numero[U(j)]) + (b.on[U(j)] ? ":ON ]" : ":off]");
    }
    righe.push_back(r);
  }
  return righe;
}

}  // namespace korventa
