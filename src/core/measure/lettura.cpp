#include "measure/lettura.h"

#include <algorithm>
#include <cmath>

#include "app/format.h"
#include "app/main_window.h"
#include "app/numbers.h"
#include "link/codecs.h"
#include "link/model_traits.h"
#include "config/catalog.h"

namespace korventa {

namespace {

// The raw counts at which the device's output was calibrated.
constexpr double kGrezzoBasso = 800.0;
constexpr double kGrezzoAlto = 3500.0;

// The status bits the lamps follow.
constexpr int kBitSogliaA = 1;
constexpr int kBitSogliaB = 2;
constexpr int kBitAllarme = 4;
constexpr int kBitAttesaA = 16;  // trip A pending: takes precedence over bit 0
constexpr int kBitAttesaB = 32;

bool Famiglia12(const MisuraPreparata& p) { return p.CodProdotto == 12; }

bool Finito(double x) { return std::isfinite(x); }

int ColoreLampada(int stato, int attesa, int scattata) {
  if (stato & attesa) return kColoreGiallo;
  if (stato & scattata) return kColoreRosso;
  return kColoreVerde;
}

}  // namespace

std::string MascheraIngresso(const MisuraPreparata& p, int canale, int decimali, double x) {
  const VariantTraits& t = TraitsOf(p);
  if (Famiglia12(p) && t.frequencyInput) {
    // Frequencies span five decades: the decimals follow the size.
    if (x <= 10) return "#0.0000";
    if (x <= 100) return "#0.000";
    if (x <= 1000) return "#0.00";
    if (x <= 10000) return "#0.0";
    return "#0";
  }
  std::string mask = decimali <= 0 ? "##0" : "##0." + std::string(static_cast<std::size_t>(decimali), '0');
  const CanalePreparato& k = p.Canali[static_cast<std::size_t>(canale)];
  // "Res300K" on the PLV7110C carries one decimal more than its type.
  if (Famiglia12(p) && t.res300KAs18 && k.TipoIn == kCodRes300K) mask += "0";
  // The mV inputs chosen on the switches with a zero from the table.
  const int tipoA = p.Canali[0].TipoIn;
  if (Famiglia12(p) && t.mvTableExtraDecimal && p.Dip0 > 15 && (tipoA == 1 || tipoA == 2)) mask += "0";
  return mask;
}

Lettura DecodificaLettura(const std::array<std::uint8_t, 15>& m, const MisuraPreparata& p) {
  Lettura l;
  for (std::size_t k = 0; k < 4; ++k) l.Valori[k] = DecodeMeasureFloat(m[2 + 3 * k], m[3 + 3 * k], m[4 + 3 * k]);
  const VariantTraits& t = TraitsOf(p);
  const bool f12 = Famiglia12(p);
  // The trip models send the status byte at the end of their long frame;
  // the others in the first byte of the second value. The older family's
  // frame ends at m(5) whatever its variant, so m(14) is never sent there.
  l.Stato = (f12 && t.statusAtEnd) ? m[14] : m[5];
  const int s = l.Stato;
  l.Led[0] = ColoreLampada(s, kBitAttesaA, kBitSogliaA);
  l.Led[1] = ColoreLampada(s, kBitAttesaB, kBitSogliaB);
  l.Led[2] = (s & kBitAllarme) ? kColoreRosso : kColoreVerde;

  for (std::size_t ch = 0; ch < 2; ++ch) {
    const CanalePreparato& k = p.Canali[ch];
    LetturaCanale& r = l.Canali[ch];
    r.Grezzo = l.Valori[ch];

    // The calibration constants are the outputs at 800 and 3500 counts; the
    // trip, frequency and 4-wire models store them in the other order.
    const bool inversa = f12 && t.calibrationReversed;
    const double a = inversa ? k.CalOut1 : k.CalOut0;
    const double b = inversa ? k.CalOut0 : k.CalOut1;
    const double o = a + (b - a) * (r.Grezzo - kGrezzoBasso) / (kGrezzoAlto - kGrezzoBasso);
    if (Finito(o)) {
      r.Uscita = o;
      r.NumeroUscita = Format(o, "#0.000");
      r.UnitaUscita = k.UnitaUscita;
      r.TestoUscita = r.NumeroUscita + " " + r.UnitaUscita;
    }

    // The input: worked back from the output through the programmed ranges,
    // except where the device sends it itself.
    std::optional<double> x;
    std::string unita;
    if (f12 && t.algebraic) {
      x = l.Valori[ch + 2];
    } else if (r.Uscita) {
      x = k.InMin + (k.InMax - k.InMin) * (o - k.OutMin) / (k.OutMax - k.OutMin);
    }
    if (f12 && t.statusAtEnd) {
      x = l.Valori[3];
      unita = k.UMis;
    }
    int d = k.DecIn;
    const bool percento = k.Funzione == 1 || k.Funzione == 2;
    if (percento) {
      if (f12 && t.algebraic) d = 1;
      unita = "%";
      if (x) *x *= 10;
    }
    // The PLV7100 sends its 10 V and 20 mA inputs in thousandths.
    if (f12 && t.scaledVoltCurrent && (k.TipoIn == kCod10V || k.TipoIn == kCod20mA) && x) *x /= 1000;
    r.Decimali = d;
    if (!x || !Finito(*x)) continue;
    r.Ingresso = *x;

    const std::string mask = MascheraIngresso(p, static_cast<int>(ch), d, *x);
    // A percentage is never a temperature.
    if (k.Fahrenheit && !percento) {
      unita = k.UMisF;
      // The value as shown in Celsius is what is converted.
      r.Numero = CtoF(Val(Format(*x, mask)));
    } else {
      r.Numero = Format(*x, mask);
    }
    r.Unita = unita;
    r.UnitaTecnica = unita.empty() ? k.UMis : unita;
    r.TestoIngresso = r.Numero + " " + unita;

    // Bar between the smaller and the larger range end, whatever their
    // order; the marks say the input left the range.
    const double lo = std::min(k.InMin, k.InMax);
    const double hi = std::max(k.InMin, k.InMax);
    if (*x < lo) {
      r.ColoreSotto = kColoreRosso;
      r.Quota = 0.0;
    } else if (*x > hi) {
      r.ColoreSopra = kColoreRosso;
      r.Quota = 1.0;
    } else {
      const double q = (*x - lo) / (hi - lo);
      // A range of zero width gives no position: the bar stays as it is.
      if (Finito(q)) r.Quota = q;
    }
  }
  return l;
}

}  // namespace korventa
