#include "config/lookups.h"

#include <cmath>

#include "app/state.h"
#include "config/catalog.h"

namespace korventa {
namespace {

TestoLimiti Riga(const char* nome, int classe, int flagTc, int flagRes, const char* minC, const char* maxC,
                 const char* spanC, const char* minF, const char* maxF, const char* spanF) {
  return TestoLimiti{nome,
                     static_cast<std::uint8_t>(classe),
                     static_cast<std::int16_t>(flagTc),
                     static_cast<std::int16_t>(flagRes),
                     maxC,
                     minC,
                     spanC,
                     maxF,
                     minF,
                     spanF};
}

// Rows whose Fahrenheit column is the Celsius one.
TestoLimiti RigaUguale(const char* nome, int classe, int flagTc, int flagRes, const char* min, const char* max,
                       const char* span) {
  return Riga(nome, classe, flagTc, flagRes, min, max, span, min, max, span);
}

const std::string kEeprom = "EEPROM";

}  // namespace

TabellaTestiLimiti CostruisciTestiLimiti() {
  TabellaTestiLimiti t{};
  t[0] = Riga("EEPROM", 0, 0, 0, "", "", "", "", "", "");
  t[1] = RigaUguale("90 mV", 0, 0, 0, "-100 mV", "90 mV", "5 mV");
  t[2] = RigaUguale("200 mV", 0, 0, 0, "-100 mV", "200 mV", "10 mV");
  t[3] = RigaUguale("800 mV", 0, 0, 0, "-100 mV", "800 mV", "20 mV");
  t[4] = RigaUguale("10 V", 6, 0, 0, "-10 V", "10 V", "1 V");
  t[5] = RigaUguale("20 mA", 5, 0, 0, "0 mA", "20 mA", "1 mA");
  t[7] = Riga("Tc J", 0, -1, 0, "-200 °C", "1200 °C", "100 °C", "-328 °F", "2192 °F", "180 °F");
  t[8] = Riga("Tc K", 0, -1, 0, "-200 °C", "1300 °C", "100 °C", "-328 °F", "2372 °F", "180 °F");
  t[9] = Riga("Tc R", 0, -1, 0, "0 °C", "1750 °C", "400 °C", "32 °F", "3182 °F", "720 °F");
  t[10] = Riga("Tc S", 0, -1, 0, "0 °C", "1750 °C", "400 °C", "32 °F", "3182 °F", "720 °F");
  t[11] = Riga("Tc T", 0, -1, 0, "-200 °C", "400 °C", "100 °C", "-328 °F", "752 °F", "180 °F");
  t[12] = Riga("Tc B", 0, 0, 0, "0 °C", "1850 °C", "400 °C", "32 °F", "3362 °F", "720 °F");
  t[13] = Riga("Tc E", 0, -1, 0, "-200 °C", "1000 °C", "100 °C", "-328 °F", "1832 °F", "180 °F");
  t[14] = Riga("Tc N", 0, -1, 0, "-200 °C", "1300 °C", "100 °C", "-328 °F", "2372 °F", "180 °F");
  t[16] = RigaUguale("Res2K", 2, 0, -1, "0 ohm", "2000 ohm", "50 ohm");
  t[17] = RigaUguale("Res500", 3, 0, -1, "0 ohm", "500 ohm", "50 ohm");
  t[18] = Riga("Pt 100", 1, 0, -1, "-200 °C", "850 °C", "50 °C", "-328 °F", "1562 °F", "90 °F");
  t[19] = Riga("Ni 100", 1, 0, -1, "-60 °C", "180 °C", "60 °C", "-76 °F", "356 °F", "108 °F");
  t[20] = Riga("Pt 1K", 1, 0, -1, "-85 °C", "185 °C", "30 °C", "-121 °F", "365 °F", "54 °F");
  t[21] = Riga("Ni 1K", 1, 0, -1, "-85 °C", "185 °C", "30 °C", "-121 °F", "365 °F", "54 °F");
  t[22] = RigaUguale("Pot500", 4, 0, 0, "0%", "100%", "10%");
  t[23] = RigaUguale("Pot50K", 4, 0, 0, "0%", "100%", "10%");
  t[24] = Riga("KTY81-220", 1, 0, -1, "-55 °C", "150 °C", "50 °C", "-67 °F", "302 °F", "90 °F");
  t[25] = Riga("KTY84-150", 1, 0, -1, "-40 °C", "300 °C", "50 °C", "-40 °F", "572 °F", "90 °F");
  t[26] = Riga("Cost10K", 1, 0, -1, "-10 °C", "100 °C", "50 °C", "14 °F", "212 °F", "90 °F");
  t[27] = Riga("Cost1K", 1, 0, -1, "-30 °C", "40 °C", "25 °C", "-22 °F", "104 °F", "45 °F");
  t[28] = RigaUguale("Namur", 7, 0, 0, "0.1Hz", "20 KHz", "0.5 Hz");
  t[29] = RigaUguale("Tacho", 7, 0, 0, "0.1Hz", "20 KHz", "0.5 Hz");
  t[30] = RigaUguale("TTL", 7, 0, 0, "0.1Hz", "20 KHz", "0.5 Hz");
  t[31] = RigaUguale("PNP", 7, 0, 0, "0.1Hz", "20 KHz", "0.5 Hz");
  return t;
}

bool IsSwitchTemperatureCode(int code) {
  return (code >= 7 && code <= 14) || (code >= 18 && code <= 21) || (code >= 24 && code <= 27);
}

std::string RigaLimiti(const ProgramState& s, int row, bool fahrenheit) {
  if (row < 0 || row >= kNumTestiLimiti) return {};
  const TestoLimiti& r = s.TestiLimiti[static_cast<std::size_t>(row)];
  if (r.Nome.empty()) return {};
  const std::string& min = fahrenheit ? r.MinF : r.MinC;
  const std::string& max = fahrenheit ? r.MaxF : r.MaxC;
  const std::string& span = fahrenheit ? r.SpanF : r.SpanC;
  return "In:" + std::string(" ") + r.Nome + " " + ";" + "Min.Lim.=" + min + ";" + " " + "Max.Lim." + " " + max +
         ";" + " " + "Span min:" + " " + span;
}

std::string TestoLimitiCodice(const ProgramState& s, int code, bool fahrenheit) {
  if (code == kCodEeprom) return kEeprom;
  // Rows 28 and up are the frequency sensors, not the input codes 28 and up.
  if (code < 0 || code >= kRigaFrequenze) return {};
  return RigaLimiti(s, code, fahrenheit && IsSwitchTemperatureCode(code));
}

namespace {

int CodiceDaNome(const ProgramState& s, std::string_view text) {
  for (int code = 0; code < kNumTipiIngresso; ++code)
    if (s.TipiIngresso[static_cast<std::size_t>(code)].Nome == text) return code;
  return 0;
}

}  // namespace

int TipoDaTesto(const ProgramState& s, std::string_view text, SwitchContext* sw) {
  if (sw == nullptr) return CodiceDaNome(s, text);

  if (sw->ModelloOffline == "PLV7300") {
    // The wizard's PLV7300 list holds the frequency sensors by position.
    const int pos = sw->PosizioneLista < 0 ? 0 : sw->PosizioneLista;
    sw->VisualizzaLimiti = pos == 0 ? kEeprom : RigaLimiti(s, kRigaFrequenze + pos, false);
    return pos;
  }
  if (sw->ModelloOffline == "PLV7110C" && sw->PosizioneLista == 1) return 8;

  int code = CodiceDaNome(s, text);
  sw->VisualizzaLimiti = TestoLimitiCodice(s, code, sw->Fahrenheit);

  // The B and C lines encode input codes 15 and up in four switch bits.
  if (sw->ModelloOffline == "PLV7110B" || (sw->ModelloOffline == "PLV7110C" && code != 0))
    code = code >= 15 ? code - 15 : 0;
  return code;
}

int TipoDaTesto(const ProgramState& s, const ComboBox& combo, SwitchContext* sw) {
  return TipoDaTesto(s, combo.Text, sw);
}

int UscitaDaTesto(const ProgramState& s, std::string_view text) {
  for (int code = 0; code < kNumTipiUscita; ++code)
    if (s.TipiUscita[static_cast<std::size_t>(code)].Nome == text) return code;
  return 0;
}

int UscitaDaTesto(const ProgramState& s, const ComboBox& combo) { return UscitaDaTesto(s, combo.Text); }

double TolleranzaDaTesto(const ProgramState& s, std::string_view text) {
  for (const auto& t : s.Tolleranze)
    if (t.Nome == text) return t.Valore;
  return 0.0;
}

double TolleranzaDaTesto(const ProgramState& s, const ComboBox& combo) { return TolleranzaDaTesto(s, combo.Text); }

std::string NomeIngresso(const ProgramState& s, int code) {
  if (code < 0 || code >= kNumTipiIngresso) return {};
  return s.TipiIngresso[static_cast<std::size_t>(code)].Nome;
}

std::string NomeUscita(const ProgramState& s, int code) {
  if (code < 0 || code >= kNumTipiUscita) return {};
  return s.TipiUscita[static_cast<std::size_t>(code)].Nome;
}

std::optional<std::string> NomeTolleranza(const ProgramState& s, double value) {
  // The values come from this table or from a file written from it; the
  // tolerance only absorbs a value that went through a float on the way.
  for (const auto& t : s.Tolleranze)
    if (std::fabs(t.Valore - value) < 1e-6) return t.Nome;
  return std::nullopt;
}

void MostraIngresso(const ProgramState& s, ComboBox& combo, int code) { combo.SetText(NomeIngresso(s, code)); }

void MostraUscita(const ProgramState& s, ComboBox& combo, int code) { combo.SetText(NomeUscita(s, code)); }

void MostraTolleranza(const ProgramState& s, ComboBox& combo, double value) {
  if (auto name = NomeTolleranza(s, value)) combo.SetText(*name);
}

}  // namespace korventa
