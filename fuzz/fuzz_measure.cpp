// A streamed "A" frame of arbitrary bytes, worked out for display against
// arbitrary prepared channels. The frame, the switch byte and the input and
// output codes come straight from the device; the ranges and calibration
// values are device floats (3 bytes, anything from 2^-127 to 2^129 either
// sign). Decoding must stay in bounds whatever they hold, and never hand the
// window a number it cannot show: outputs and inputs finite, the bar share
// between 0 and 1, the lamps one of their colours.
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/main_window.h"
#include "link/codecs.h"
#include "measure/lettura.h"

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "fuzz_measure: %s\n", what);
  std::abort();
}

// The input read from the front; zeros once it runs out.
class Bytes {
 public:
  Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::uint8_t Next() { return at_ < size_ ? data_[at_++] : 0; }
  double DeviceFloat() {
    const std::uint8_t f = Next(), ef = Next(), se = Next();
    return korventa::DecodeFloat(ef, f, se);
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

bool Lamp(int c) { return c == korventa::kColoreGiallo || c == korventa::kColoreRosso || c == korventa::kColoreVerde; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace korventa;
  Bytes in(data, size);
  std::array<std::uint8_t, 15> m{};
  for (std::size_t i = 1; i < m.size(); ++i) m[i] = in.Next();

  MisuraPreparata p;
  const std::uint8_t model = in.Next();
  p.CodProdotto = (model & 0x80) ? 11 : 12;
  p.CodVariante = model & 0x0F;  // 0..9 are the catalogue's, the rest unknown
  p.Dip0 = in.Next();
  for (CanalePreparato& k : p.Canali) {
    k.TipoIn = in.Next();  // the frequency converter takes it from a whole switch byte
    k.TipoOut = in.Next() & 3;
    const std::uint8_t flags = in.Next();
    k.DecIn = flags & 7;
    k.Funzione = (flags >> 3) & 3;
    k.Fahrenheit = (flags & 0x20) != 0;
    k.InMin = in.DeviceFloat();
    k.InMax = in.DeviceFloat();
    k.OutMin = in.DeviceFloat();
    k.OutMax = in.DeviceFloat();
    k.CalOut0 = in.DeviceFloat();
    k.CalOut1 = in.DeviceFloat();
    k.UMis = "\xc2\xb0" "C";
    k.UMisF = "\xc2\xb0" "F";
    k.UnitaUscita = "mA";
  }

  const Lettura l = DecodificaLettura(m, p);
  for (int c : l.Led)
    if (!Lamp(c)) Fail("a lamp colour that is none of the three");
  for (const LetturaCanale& r : l.Canali) {
    if (r.Uscita && !std::isfinite(*r.Uscita)) Fail("non-finite output");
    if (r.Uscita && r.TestoUscita != r.NumeroUscita + " " + r.UnitaUscita) Fail("output text");
    if (r.Ingresso && !std::isfinite(*r.Ingresso)) Fail("non-finite input");
    if (r.Ingresso && (r.Numero.empty() || r.TestoIngresso != r.Numero + " " + r.Unita)) Fail("input text");
    if (r.Quota && !(*r.Quota >= 0.0 && *r.Quota <= 1.0)) Fail("bar share outside 0..1");
    if (r.ColoreSotto == kColoreRosso && r.ColoreSopra == kColoreRosso) Fail("both range marks red");
  }
  return 0;
}
