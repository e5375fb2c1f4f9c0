#include "measure/avvio.h"

#include <cmath>
#include <utility>

#include "app/context.h"
#include "app/format.h"
#include "app/numbers.h"
#include "config/catalog.h"
#include "link/codecs.h"
#include "measure/frm_misura.h"
#include "config/memory_map.h"
#include "link/model_traits.h"
#include "switches/campi.h"

namespace korventa::misura {

namespace {

std::size_t U(int i) { return static_cast<std::size_t>(i); }

double P10(int d) { return std::pow(10.0, d); }

// Catalogue entries by code. A code can come straight from a switch bank or
// a memory byte, so one outside the tables gets an empty entry instead of
// reading past them.
const TipoIngresso& Ingresso(const ProgramState& s, int code) {
  static const TipoIngresso kVuoto{};
  if (code < 0 || code >= kNumTipiIngresso) return kVuoto;
  return s.TipiIngresso[U(code)];
}

struct Uscita {
  std::string UMis;
  double Min = 0;
  double Max = 0;
};

// The output type of a channel: the two-output models (family 12, variants
// 4 and 5) use the extended table.
Uscita TipoUscitaCanale(const ProgramState& s, int code) {
  if (Family12(s) && TraitsOf(s).extendedLists) {
    if (code < 0 || code >= kNumTipiUscitaEstesa) return {};
    const auto& t = s.TipiUscitaEstesa[U(code)];
    return {t.UMis, t.Min, t.Max};
  }
  if (code < 0 || code >= kNumTipiUscita) return {};
  const auto& t = s.TipiUscita[U(code)];
  return {t.UMis, t.Min, t.Max};
}

// Table entry k of a sample read, if the reply had it.
std::optional<double> Voce(const std::vector<int>& t, int k) {
  if (k < 0 || k >= static_cast<int>(t.size())) return std::nullopt;
  return static_cast<double>(t[U(k)]);
}

double Parola(const std::vector<std::uint8_t>& b, int a, bool segno) {
  if (a < 0 || a + 1 >= static_cast<int>(b.size())) return 0;
  return static_cast<double>(JoinWord(b[U(a + 1)], b[U(a)], segno));
}

double Galleggiante(const std::vector<std::uint8_t>& b, int a) {
  if (a < 0 || a + 2 >= static_cast<int>(b.size())) return 0;
  return DecodeFloat(b[U(a + 1)], b[U(a)], b[U(a + 2)]);
}

sw::Banchi Banchi(const ProgramState& s) { return {s.Dip0, s.Dip1, s.Dip2}; }

// Range from the sample tables T (input end the span, input start the zero).
void RangeDaTabelle(const ProgramState& s, DatiCanale& k, int ch, const std::vector<int>& t,
                    const sw::Predefiniti& m) {
  const int v = s.CodVariante;
  const int code = k.TipoIn;
  const auto indici = sw::IndiciCampioni(v, Banchi(s), ch);
  if (!indici) return;
  if (!sw::Campi(12, v).scalaTabelle) {
    const double p = P10(k.DecIn);
    if (auto x = Voce(t, indici->span)) k.InMax = *x / p;
    if (auto x = Voce(t, indici->zero)) k.InMin = *x / p;
    return;
  }
  // The PLV7100 and PLV7150 keep their millivolt tables with one decimal
  // and the 10 V table with one decimal less than the type; a switch field
  // at 0 picks the stored word at the table's head, which carries one
  // decimal more than the table.
  const bool tabellaMV = TraitsOf(s).measureMvTableTenths && (code == 1 || code == 2);
  const double p = P10(tabellaMV ? 1 : k.DecIn);
  auto valore = [&](int indice, int campo) -> std::optional<double> {
    auto x = Voce(t, indice);
    if (!x) return std::nullopt;
    double r = *x / p;
    if (code == kCod10V) r *= 10;
    if (campo == 0) r /= 10;
    return r;
  };
  if (!m.span)
    if (auto x = valore(indici->span, indici->campoSpan)) k.InMax = *x;
  if (!m.zero)
    if (auto x = valore(indici->zero, indici->campoZero)) k.InMin = *x;
}

// A: the range is set on the switches.
void DaInterruttori(Context& c, int ch, int banco, Immagine42& immagine) {
  ProgramState& s = c.s;
  DatiCanale& k = s.Canali[U(ch)];
  const int v = s.CodVariante;
  const bool f12 = s.CodProdotto == 12;

  const sw::CampiFamiglia& campi = sw::Campi(12, v);
  const sw::Banchi banchi = Banchi(s);
  const int code = sw::CodiceDispositivo(s.CodProdotto, v, k.TipoIn, banco);
  k.TipoIn = static_cast<std::uint8_t>(code);
  // The frequency converter's divider gives the decimals of its range.
  k.DecIn = static_cast<std::uint8_t>(campi.divisore.Presente() ? sw::Leggi(banchi, campi.divisore)
                                                                 : Ingresso(s, code).Decimali);
  // "Res300K" is known to the device as code 18.
  const VariantTraits& t = TraitsOf(s);
  const int codiceDispositivo = CodiceVersoDispositivo(s, code);
  const bool res300K = codiceDispositivo != code;

  const sw::Predefiniti m = sw::ValoriPredefiniti(v, banchi, ch);
  if (!(m.span && m.zero)) {
    if (f12 && t.mvSwitchOneDecimal && (code == 1 || code == 2)) k.DecIn = 1;
    // The frequency converter keeps one table, asked for as code 1.
    const std::vector<int> tabelle = c.link.ReadSamples(t.frequencyInput ? 1 : codiceDispositivo);
    if (s.ErroreCom) return;
    RangeDaTabelle(s, k, ch, tabelle, m);
  }
  if (m.span || m.zero) {
    const int indirizzo = sw::IndirizzoPredefinito(codiceDispositivo);
    // Only codes up to 31 have stored words in the bank.
    if (indirizzo < 0 || indirizzo + 4 > 256) return;
    const auto b = c.link.ReadBytes(0, indirizzo, 4);
    if (s.ErroreCom) return;
    const std::vector<std::uint8_t> w(b.begin(), b.begin() + 4);
    const double p = P10(k.DecIn);
    if (m.span) k.InMax = Parola(w, 0, s.ConSegno) / p;
    if (m.zero) k.InMin = Parola(w, 2, s.ConSegno) / p;
    if (res300K) {
      k.InMax /= 10;
      k.InMin /= 10;
    }
  }

  // Output type and range from the switches.
  const sw::Campo uscita = sw::CampoUscita(campi, ch);
  if (uscita.Presente()) k.TipoOut = static_cast<std::uint8_t>(sw::Leggi(banchi, uscita));
  if (campi.coppie) {
    const Uscita u = TipoUscitaCanale(s, k.TipoOut);
    k.OutMin = u.Min;
    k.OutMax = u.Max;
    // The option switch reverses the output.
    if (sw::Leggi(banchi, campi.opzione[U(ch)])) std::swap(k.OutMin, k.OutMax);
  } else if (k.TipoOut < kNumTipiUscita) {
    k.OutMin = s.TipiUscita[k.TipoOut].Min;
    k.OutMax = s.TipiUscita[k.TipoOut].Max;
  }

  k.Funzione = 0;
  if (f12 && t.imageAfterSwitches) {
    const auto b = c.link.ReadBytes(0, 0, kByteImmagine);
    if (s.ErroreCom == 0) immagine = std::vector<std::uint8_t>(b.begin(), b.begin() + kByteImmagine);
  }
}

// B: the device is set up by memory.
void DaMemoria(Context& c, int ch, Immagine42& immagine) {
  using namespace memoria;
  ProgramState& s = c.s;
  DatiCanale& k = s.Canali[U(ch)];
  const VariantTraits& t = TraitsOf(s);
  const bool f12 = Family12(s);
  const auto letti = c.link.ReadBytes(0, 0, kByteImmagine);
  if (s.ErroreCom) return;
  const std::vector<std::uint8_t> b(letti.begin(), letti.begin() + kByteImmagine);
  immagine = b;

  // The doubler: channel B shows channel A's input.
  const std::uint8_t uscitaA = b[U(kUscita.At(0))];
  if (uscitaA & kBitDuplicatore) c.w.frm_misura.lbl_progIn[1].Visible = false;
  // Bits 0-4 of the input byte hold the code; the others are not the code's.
  int code = b[U(kIngresso.At(ch))] & kBitsCodice;
  if (f12) code = CodiceDaDispositivo(s, code);
  k.TipoIn = static_cast<std::uint8_t>(code);
  k.DecIn = static_cast<std::uint8_t>(t.frequencyInput ? (uscitaA >> kShiftFili) & 3 : Ingresso(s, code).Decimali);
  k.TipoOut = static_cast<std::uint8_t>(b[U(kUscita.At(ch))] & kBitsTipoUscita);
  const double p = P10(k.DecIn);
  k.InMax = Parola(b, kInMax.At(ch), s.ConSegno) / p;
  k.InMin = Parola(b, kInMin.At(ch), s.ConSegno) / p;
  if (t.res300KAs18 && code == kCodRes300K) {
    k.InMax /= 10;
    k.InMin /= 10;
  }
  k.OutMax = Parola(b, kOutMax.At(ch), s.ConSegno) / kOutMax.scala;
  k.OutMin = Parola(b, kOutMin.At(ch), s.ConSegno) / kOutMin.scala;
  if (f12 && t.functionsInMemory) k.Funzione = static_cast<std::uint8_t>(b[U(kOpzioni.At(ch))] & kBitsFunzione);
}

std::string MinMax(std::int16_t sogliaMin) { return sogliaMin ? "MIN" : "MAX"; }

}  // namespace

void CodiciDaInterruttori(ProgramState& s) {
  DatiCanale& a = s.Canali[0];
  const int v = s.CodVariante;
  const sw::CampiFamiglia& campi = sw::Campi(12, v);
  if (!campi.ingresso[0].Presente()) return;
  a.TipoIn = static_cast<std::uint8_t>(sw::CodiceGrezzo(v, Banchi(s), 0));
  // The frequency converter's output type is on the switches too.
  if (campi.regola == sw::Regola::Dip7300)
    a.TipoOut = static_cast<std::uint8_t>(sw::Leggi(Banchi(s), sw::CampoUscita(campi, 0)));
}

void PreparaCanale(Context& c, int ch, Immagine42& immagine) {
  ProgramState& s = c.s;
  const int banco = ch == 0 ? s.Dip0 : s.Dip1;
  if (s.Canali[U(ch)].TipoIn != kCodEeprom)
    DaInterruttori(c, ch, banco, immagine);
  else
    DaMemoria(c, ch, immagine);
}

void SoglieDaMemoria(ProgramState& s, const std::vector<std::uint8_t>& b) {
  using namespace memoria;
  const VariantTraits& t = TraitsOf(s);
  DatiSoglia& a = s.Soglie[0];
  DatiSoglia& bb = s.Soglie[1];
  // The PLV7100 stores the trips of its 10 V and 20 mA inputs in
  // thousandths, as it sends those inputs.
  const DatiCanale& ca = s.Canali[0];
  const double scala =
      t.scaledVoltCurrent && (ca.TipoIn == kCod10V || ca.TipoIn == kCod20mA) ? P10(ca.DecIn) : 1.0;
  const int baseA = IndirizzoSoglia(t, 0);
  a.SogliaH = Val(Format(Galleggiante(b, baseA + kSogliaH) / scala, "#0.###"));
  a.SogliaL = Val(Format(Galleggiante(b, baseA + kSogliaL) / scala, "#0.###"));
  if (t.trips > 1) {
    const int baseB = IndirizzoSoglia(t, 1);
    bb.SogliaH = Galleggiante(b, baseB + kSogliaH);
    bb.SogliaL = Galleggiante(b, baseB + kSogliaL);
  } else {
    bb.SogliaH = 0;
    bb.SogliaL = 0;
  }
  if (t.trips == 1) {
    // Steps of 1/7.5 s, shown with one decimal, kept in whole seconds.
    const int passi = b[U(kRitardoSoglie.At(0))];
    a.SogliaRitardo = static_cast<std::int16_t>(Round(static_cast<double>(Round(passi / 0.75)) / 10.0));
    bb.SogliaRitardo = 0;
  } else {
    a.SogliaRitardo = static_cast<std::int16_t>(Round(b[U(kRitardiSoglieFrequenza.At(0))]));
    bb.SogliaRitardo = static_cast<std::int16_t>(Round(b[U(kRitardiSoglieFrequenza.At(1))]));
  }
  a.SogliaMin = (b[U(kUscita.At(0))] & kBit6) ? -1 : 0;
  bb.SogliaMin = (b[U(kUscita.At(1))] & kBit6) ? -1 : 0;
}

void EtichetteRiepilogo(Context& c) {
  const ProgramState& s = c.s;
  FrmMisura& f = c.w.frm_misura;
  const bool estesa = Family12(s) && TraitsOf(s).extendedLists;
  for (int ch = 0; ch < 2; ++ch) {
    const DatiCanale& k = s.Canali[U(ch)];
    const TipoIngresso& t = Ingresso(s, k.TipoIn);
    const Uscita u = TipoUscitaCanale(s, k.TipoOut);
    Label& in = f.lbl_progIn[U(ch)];
    Label& out = f.lbl_progOut[U(ch)];
    in.Caption = estesa ? std::string() : t.Nome;
    out.Caption = Str(k.OutMin) + "÷" + Str(k.OutMax) + " " + u.UMis;
    // Fahrenheit only for a temperature: a stale choice must not turn
    // millivolts into degrees.
    if (s.GradiF[U(ch)] && IsTemperatureCode(k.TipoIn))
      in.Caption += " " + CtoF(k.InMin) + "÷" + CtoF(k.InMax) + " " + t.UMisF;
    else
      in.Caption += " " + Str(k.InMin) + "÷" + Str(k.InMax) + " " + t.UMis;
    if (k.Funzione == 1) out.Caption += " - TANK";
    if (k.Funzione == 2) out.Caption += " - SQRT";
  }
}

void CampiSoglie(Context& c) {
  const ProgramState& s = c.s;
  FrmMisura& f = c.w.frm_misura;
  const VariantTraits& m = TraitsOf(s);
  if (!m.tripSummary) return;
  auto& t = f.lbl_progTrip;
  const DatiSoglia& a = s.Soglie[0];
  const DatiSoglia& b = s.Soglie[1];
  const TipoIngresso& tipoA = Ingresso(s, s.Canali[0].TipoIn);
  const TipoIngresso& tipoB = Ingresso(s, s.Canali[1].TipoIn);
  const std::string ritardo = c.w.frm_program.txt_soglia_Delay[0].Text;

  const bool far = m.tripsInFahrenheit && s.GradiF[0] && IsTemperatureCode(s.Canali[0].TipoIn);
  const std::string unitaA = far ? tipoA.UMisF : tipoA.UMis;
  t[0].Text = "H = " + (far ? CtoF(a.SogliaH) : Str(a.SogliaH)) + " " + unitaA;
  t[1].Text = "L = " + (far ? CtoF(a.SogliaL) : Str(a.SogliaL)) + " " + unitaA;
  t[2].Text = MinMax(a.SogliaMin);
  // The frequency converter shows the delay as typed in the programming
  // window, the others the whole seconds read.
  t[3].Text = m.frequencyInput ? "Delay = " + ritardo + " s." : "Delay = " + Str(a.SogliaRitardo) + " sec.";
  t[4].Text = "H = " + Str(b.SogliaH) + " " + tipoB.UMis;
  t[5].Text = "L = " + Str(b.SogliaL) + " " + tipoB.UMis;
  t[6].Text = MinMax(b.SogliaMin);
  t[7].Text = m.frequencyInput ? "Delay = " + ritardo + " s." : "Delay = " + Str(b.SogliaRitardo) + " s.";
  if (m.namurAlarm) t[8].Text = "Namur Fault";
}

MisuraPreparata Preparazione(const ProgramState& s) {
  MisuraPreparata p;
  p.CodProdotto = s.CodProdotto;
  p.CodVariante = s.CodVariante;
  p.Dip0 = s.Dip0;
  for (int ch = 0; ch < 2; ++ch) {
    const DatiCanale& k = s.Canali[U(ch)];
    CanalePreparato& q = p.Canali[U(ch)];
    const TipoIngresso& t = Ingresso(s, k.TipoIn);
    q.TipoIn = k.TipoIn;
    q.TipoOut = k.TipoOut;
    q.DecIn = k.DecIn;
    q.InMin = k.InMin;
    q.InMax = k.InMax;
    q.OutMin = k.OutMin;
    q.OutMax = k.OutMax;
    q.CalOut0 = k.CalOut0;
    q.CalOut1 = k.CalOut1;
    q.Funzione = k.Funzione;
    q.Fahrenheit = s.GradiF[U(ch)] && IsTemperatureCode(k.TipoIn);
    q.UMis = t.UMis;
    q.UMisF = t.UMisF;
    q.UnitaUscita = TipoUscitaCanale(s, k.TipoOut).UMis;
  }
  return p;
}

}  // namespace korventa::misura
