#include "switches/campi.h"

#include <bit>

namespace korventa::sw {

namespace {

std::size_t U(int i) { return static_cast<std::size_t>(i); }

constexpr Campo B0(std::uint8_t m) { return {0, m}; }
constexpr Campo B1(std::uint8_t m) { return {1, m}; }
constexpr Campo B2(std::uint8_t m) { return {2, m}; }

// PLV7100: SW1 input (1-5), option (6), output A (7-8); SW2 output B (1-2),
// span (3-8); SW3 zero (1-4).
constexpr CampiFamiglia kDip7100{
    .regola = Regola::Dip7100,
    .ingresso = {B0(0x1F), {}},
    .span = B1(0xFC),
    .spanMisura = B1(0xFC),
    .zero = B2(0x0F),
    .uscita = {B0(0xC0), B1(0x03)},
    .opzione = {B0(0x20), {}},
    .riscritti = {0xFF, 0xFF, 0xFF},
    .banchiDisegnati = 3,
    .scalaTabelle = true,
    .provaSpan = {B1(0xFC), {}},
    .provaZero = {B2(0x0F), {}},
};

// Variant 1 reads like the PLV7100 but keeps its zero in the top nibble of
// SW1, and the device indexes its span table with the low six bits of SW2
// while the switch window reads the top six; it composes like the PLV7120.
constexpr CampiFamiglia kVariante1{
    .regola = Regola::Dip7120,
    .ingresso = {B0(0x1F), {}},
    .span = B1(0xFC),
    .spanMisura = B1(0x3F),
    .zero = B0(0xF0),
    .uscita = {B0(0xC0), B1(0x03)},
    .opzione = {B0(0x20), {}},
    .banchiDisegnati = 2,
    .provaSpan = {B0(0xF0), {}},
    .provaZero = {B0(0xF0), {}},
};

// PLV7110/7120/7210/7220 A, B, C: SW1 input (1-4), zero (5-8); SW2 span
// (1-6), output (7-8).
constexpr CampiFamiglia kDip7120{
    .regola = Regola::Dip7120,
    .ingresso = {B0(0x0F), {}},
    .span = B1(0x3F),
    .spanMisura = B1(0x3F),
    .zero = B0(0xF0),
    .uscita = {B1(0xC0), {}},
    .provaSpan = {B0(0xF0), {}},
    .provaZero = {B0(0xF0), {}},
};

// The two-channel D models: one bank per channel, range pair (1-4, switch 4
// picks the 10 V input), output direction (5), output (6-8).
constexpr CampiFamiglia kDip7120c{
    .regola = Regola::Dip7120c,
    .ingresso = {B0(0x0F), B1(0x0F)},
    .uscita = {B0(0xE0), B1(0xE0)},
    .opzione = {B0(0x10), B1(0x10)},
    .riscritti = {0xFF, 0xFF, 0x00},
    .coppie = true,
    .provaCanale = true,
};

// PLV7300: SW2 span (1-6), divider (7-8); SW3 input sensor (1-2), output
// (3-4); a single zero.
constexpr CampiFamiglia kDip7300{
    .regola = Regola::Dip7300,
    .ingresso = {B2(0x03), {}},
    .span = B1(0x3F),
    .spanMisura = B1(0x3F),
    .zeroFisso = 1,
    .uscita = {B2(0x0C), {}},
    .divisore = B1(0xC0),
    .riscritti = {0xFF, 0xFF, 0xFF},
    .banchiDisegnati = 3,
    .scalaTabelle = true,
};

// PLV7150: SW1 input (1-4), zero (5-8); SW2 input + 16 (1), option (2),
// span (3-8). The output is set in memory.
constexpr CampiFamiglia kDip7150{
    .regola = Regola::Dip7150,
    .ingresso = {B0(0x0F), {}},
    .ingressoAlto = B1(0x01),
    .span = B1(0xFC),
    .spanMisura = B1(0xFC),
    .zero = B0(0xF0),
    .opzione = {B1(0x02), {}},
    .scalaTabelle = true,
    .provaSpan = {B0(0xF0), B1(0x01)},
    .provaZero = {B0(0xF0), B1(0x01)},
};

// PLV3100: no switch window; its input code reads like the PLV7150's and
// its range always comes from memory.
constexpr CampiFamiglia kVariante9{
    .regola = Regola::Nessuna,
    .ingresso = {B0(0x0F), {}},
    .ingressoAlto = B1(0x01),
};

// Family 11: SW1 input (1-5), output (6-7), option (8); SW2 span (1-4),
// zero (5-8).
constexpr CampiFamiglia kDip11{
    .regola = Regola::Dip11,
    .ingresso = {B0(0x1F), {}},
    .span = B1(0x0F),
    .spanMisura = B1(0x0F),
    .zero = B1(0xF0),
    .uscita = {B0(0x60), {}},
    .opzione = {B0(0x80), {}},
    .riscritti = {0xFF, 0x00, 0x00},
};

constexpr CampiFamiglia kNessuna{};

}  // namespace

int Leggi(const Banchi& b, Campo c) {
  if (!c.Presente() || c.banco > 2) return 0;
  return (b[c.banco] & c.maschera) >> std::countr_zero(c.maschera);
}

void Scrivi(Banchi& b, Campo c, int valore) {
  if (!c.Presente() || c.banco > 2) return;
  const int v = (valore << std::countr_zero(c.maschera)) & c.maschera;
  b[c.banco] = static_cast<std::uint8_t>((b[c.banco] & ~c.maschera) | v);
}

const CampiFamiglia& Campi(int prodotto, int variante) {
  if (prodotto == 11) return kDip11;
  switch (variante) {
    case 0: return kDip7100;
    case 1: return kVariante1;
    case 2: case 3: case 6: return kDip7120;
    case 4: case 5: return kDip7120c;
    case 7: return kDip7300;
    case 8: return kDip7150;
    case 9: return kVariante9;
    default: return kNessuna;
  }
}

Campo CampoIngresso(const CampiFamiglia& f, int ch) {
  return ch == 1 && f.ingresso[1].Presente() ? f.ingresso[1] : f.ingresso[0];
}

Campo CampoUscita(const CampiFamiglia& f, int ch) {
  return ch == 1 && f.uscita[1].Presente() ? f.uscita[1] : f.uscita[0];
}

Selezione Decodifica(const CampiFamiglia& f, const Banchi& b) {
  Selezione s;
  for (int ch = 0; ch < 2; ++ch) {
    CanaleInterruttori& c = s.canali[U(ch)];
    c.ingresso = Leggi(b, CampoIngresso(f, ch));
    if (f.ingressoAlto.Presente() && Leggi(b, f.ingressoAlto)) c.ingresso += 16;
    c.span = Leggi(b, f.span);
    c.zero = f.zero.Presente() ? Leggi(b, f.zero) : (f.zeroFisso >= 0 ? f.zeroFisso : 0);
    const Campo u = CampoUscita(f, ch);
    if (u.Presente()) c.uscita = Leggi(b, u);
    if (f.opzione[U(ch)].Presente()) c.opzione = Leggi(b, f.opzione[U(ch)]);
  }
  if (f.divisore.Presente()) s.divisore = Leggi(b, f.divisore);
  return s;
}

Banchi Componi(const CampiFamiglia& f, const Selezione& scelta, Banchi b) {
  for (std::size_t i = 0; i < b.size(); ++i) b[i] = static_cast<std::uint8_t>(b[i] & ~f.riscritti[i]);
  auto scrivi = [&](Campo c, int v) {
    if (v >= 0) Scrivi(b, c, v);
  };
  const int canali = f.ingresso[1].Presente() || f.uscita[1].Presente() ? 2 : 1;
  for (int ch = 0; ch < canali; ++ch) {
    const CanaleInterruttori& c = scelta.canali[U(ch)];
    if (ch == 0 || f.ingresso[1].Presente()) {
      int in = c.ingresso;
      if (f.ingressoAlto.Presente() && in >= 0) {
        Scrivi(b, f.ingressoAlto, in > 15 ? 1 : 0);
        if (in > 15) in -= 16;
      }
      scrivi(CampoIngresso(f, ch), in);
    }
    if (ch == 0 || f.uscita[1].Presente()) scrivi(CampoUscita(f, ch), c.uscita);
    if (ch == 0 || f.opzione[1].Presente()) scrivi(f.opzione[U(ch)], c.opzione);
  }
  scrivi(f.span, scelta.canali[0].span);
  scrivi(f.zero, scelta.canali[0].zero);
  scrivi(f.divisore, scelta.divisore);
  return b;
}

int CodiceGrezzo(int variante, const Banchi& b, int ch) {
  const CampiFamiglia& f = Campi(12, variante);
  // The frequency converter has no input type switch: switches are in use
  // whenever the second bank is not all off.
  if (f.regola == Regola::Dip7300) return b[1];
  int code = Leggi(b, CampoIngresso(f, f.coppie ? ch : 0));
  if (f.ingressoAlto.Presente() && Leggi(b, f.ingressoAlto)) code += 0x10;
  return code;
}

int CodiceDispositivo(int prodotto, int variante, int grezzo, int bancoCanale) {
  if (prodotto != 12) return grezzo;
  int code = grezzo;
  if (variante == 3 || variante == 6) code += 15;
  if (variante == 6 && code == 18) code = 32;
  if (variante == 7) code = 33;
  if (variante == 4 || variante == 5) code = (bancoCanale & 0x08) ? 4 : 5;
  return code;
}

int CodiceVersoCampo(int prodotto, int variante, int codice) {
  if (prodotto != 12 || codice == 0) return codice;
  int in = codice;
  if (variante == 6 && in == 32) in = 18;
  if (variante == 3 || variante == 6) in -= 15;
  return in;
}

Predefiniti ValoriPredefiniti(int variante, const Banchi& b, int ch) {
  const CampiFamiglia& f = Campi(12, variante);
  auto aZero = [&](const std::array<Campo, 2>& prova) {
    if (!prova[0].Presente()) return false;
    for (Campo c : prova)
      if (c.Presente() && Leggi(b, c) != 0) return false;
    return true;
  };
  Predefiniti p;
  if (f.provaCanale) {
    p.span = p.zero = Leggi(b, CampoIngresso(f, ch)) == 0;
  } else {
    p.span = aZero(f.provaSpan);
    p.zero = aZero(f.provaZero);
  }
  return p;
}

std::optional<IndiciTabella> IndiciCampioni(int variante, const Banchi& b, int ch) {
  const CampiFamiglia& f = Campi(12, variante);
  if (f.coppie) {
    // (zero, span) pairs: pair k sits at T(2k - 1), T(2k); the pairs past
    // the first table skip the stored zero word and the table's head.
    int k = 2 * Leggi(b, CampoIngresso(f, ch));
    if (k >= 16) k += 3;
    return IndiciTabella{k, k - 1, k, k};
  }
  if (!f.spanMisura.Presente()) return std::nullopt;
  IndiciTabella t;
  t.campoSpan = Leggi(b, f.spanMisura);
  t.campoZero = f.zero.Presente() ? Leggi(b, f.zero) : f.zeroFisso;
  t.span = t.campoSpan;
  t.zero = 64 + t.campoZero;
  return t;
}

}  // namespace korventa::sw
