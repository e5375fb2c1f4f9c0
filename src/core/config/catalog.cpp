#include "config/catalog.h"

#include <string>

#include "app/numbers.h"
#include "app/state.h"
#include "link/model_traits.h"

namespace korventa {
namespace {

// Group texts: which variant offers an input type.
constexpr const char* kEveryModel = "0";
constexpr const char* kNoModel = "255";

TipoIngresso Ingresso(const char* nome, int dec, const char* umis, const char* umisF, double min, double max,
                      double spanMin, const char* gruppo) {
  return TipoIngresso{nome, static_cast<std::uint8_t>(dec), umis, umisF, min, max, spanMin, gruppo};
}

TipoIngresso NonImpostato(double min, double max) { return Ingresso("", 0, "", "", min, max, 0, kNoModel); }

}  // namespace

TabellaTipiIngresso CostruisciTipiIngresso(int codVariante) {
  // Only some models take a bipolar voltage input.
  const double min10V = TraitsOf(codVariante).tenVoltMin.value_or(0.0);
  const char* C = "°C";
  const char* F = "°F";
  TabellaTipiIngresso t{};
  t[0] = Ingresso("EEPROM", 0, "", "", -32000, 32000, 0, kEveryModel);
  t[1] = Ingresso("90 mV", 2, "mV", "mV", -100, 90, 5, "2");
  t[2] = Ingresso("200 mV", 2, "mV", "mV", -100, 200, 10, "2");
  t[3] = Ingresso("800 mV", 1, "mV", "mV", -100, 800, 20, "2");
  t[4] = Ingresso("10 V", 3, "V", "V", min10V, 10, 1, "4");
  t[5] = Ingresso("20 mA", 3, "mA", "mA", 0, 20, 1, "4");
  t[6] = NonImpostato(-32000, 32000);
  t[7] = Ingresso("Tc J", 1, C, F, -200, 1200, 100, "2");
  t[8] = Ingresso("Tc K", 1, C, F, -200, 1300, 100, "2");
  t[9] = Ingresso("Tc R", 1, C, F, 0, 1750, 400, "2");
  t[10] = Ingresso("Tc S", 1, C, F, 0, 1750, 400, "2");
  t[11] = Ingresso("Tc T", 1, C, F, -200, 400, 100, "2");
  t[12] = Ingresso("Tc B", 1, C, F, 0, 1800, 400, "2");
  t[13] = Ingresso("Tc E", 1, C, F, -200, 1000, 100, "2");
  t[14] = Ingresso("Tc N", 1, C, F, -200, 1300, 100, "2");
  t[15] = NonImpostato(-32565, 32565);
  t[16] = Ingresso("Res2K", 1, "Ohm", "Ohm", 0, 2000, 500, "3");
  t[17] = Ingresso("Res500", 1, "Ohm", "Ohm", 0, 500, 50, "3");
  t[18] = Ingresso("Pt 100", 1, C, F, -200, 850, 50, "3");
  t[19] = Ingresso("Ni 100", 1, C, F, -60, 180, 50, "3");
  t[20] = Ingresso("Pt 1K", 1, C, F, -200, 185, 30, "3");
  t[21] = Ingresso("Ni 1K", 1, C, F, -60, 150, 30, "3");
  t[22] = Ingresso("Pot500", 1, "%", "%", 0, 100, 5, "3");
  t[23] = Ingresso("Pot50K", 1, "%", "%", 0, 100, 5, "6");
  t[24] = Ingresso("KTY81-220", 1, C, F, -55, 150, 50, "6");
  t[25] = Ingresso("KTY84-150", 1, C, F, -40, 250, 50, "6");
  t[26] = Ingresso("Cost10K", 1, C, F, -10, 110, 50, "6");
  t[27] = Ingresso("Cost1K", 1, C, F, -30, 40, 25, "6");
  t[28] = Ingresso("KTY83-110", 1, C, F, -55, 170, 50, "6");
  t[29] = Ingresso("Vish10K", 1, C, F, -40, 120, 50, "6");
  t[30] = Ingresso("Vish1K", 1, C, F, -40, 150, 50, "6");
  t[31] = NonImpostato(-32565, 32565);
  t[32] = Ingresso("Res300K", 1, "KOhm", "KOhm", 0, 300, 2, "100");
  t[33] = Ingresso("Freq", 0, "Hz", "Hz", 0.1, 20000, 1, "7");
  // Codes 34 to 51 are reserved: no name, offered on no model.
  for (int code = 34; code < kNumTipiIngresso; ++code) t[static_cast<std::size_t>(code)] = NonImpostato(0, 0);
  return t;
}

TabellaTipiFrequenza CostruisciTipiFrequenza() {
  TabellaTipiFrequenza t{};
  t[0] = {"NAMUR", 50, "mA"};
  t[1] = {"Tacho", 0, "mV"};
  t[2] = {"TTL", 100, "V"};
  t[3] = {"PNP", 100, "V"};
  t[4] = {"NPN", 100, "V"};
  t[5] = {"---", 0, ""};
  t[6] = {"Volt", 100, "V"};
  return t;
}

TabellaTipiUscita CostruisciTipiUscita() {
  return {{
      {"0-20 mA", "mA", 0, 20, 4},
      {"4-20 mA", "mA", 4, 20, 4},
      {"0-10 V", "V", 0, 10, 1},
      {"0-5 V", "V", 0, 5, 1},
  }};
}

TabellaTipiUscitaEstesa CostruisciTipiUscitaEstesa() {
  TabellaTipiUscitaEstesa t{};
  t[0] = {"0-20 mA", "mA", 0, 20, 0, 0};
  t[1] = {"4-20 mA", "mA", 4, 20, 0, 0};
  t[2] = {"0-10 V", "V", 0, 10, 0, 0};
  t[3] = {"2-10 V", "V", 2, 10, 0, 0};
  t[4] = {"0-5 V", "V", 0, 5, 0, 0};
  t[5] = {"1-5 V", "V", 1, 5, 0, 0};
  for (std::size_t i = 6; i < t.size(); ++i) t[i] = {"", "", -32565, 32565, 0, 0};
  return t;
}

TabellaTolleranze CostruisciTolleranze() {
  return {{
      {"±0%", 0.0},
      {"±2.5%", 2.5},
      {"±5.0%", 5.0},
      {"±10%", 10.0},
  }};
}

void CaricaTabelle(ProgramState& s) {
  s.TipiIngresso = CostruisciTipiIngresso(s.CodVariante);
  s.TipiFrequenza = CostruisciTipiFrequenza();
  s.TipiUscita = CostruisciTipiUscita();
  s.TipiUscitaEstesa = CostruisciTipiUscitaEstesa();
  s.Tolleranze = CostruisciTolleranze();
  s.TestiLimiti = CostruisciTestiLimiti();
}

void AggiornaMinimo10V(ProgramState& s) {
  if (const auto min = TraitsOf(s).tenVoltMin) s.TipiIngresso[kCod10V].Min = *min;
}

bool IngressoAmmesso(const ProgramState& s, int code) {
  if (code < 0 || code >= kNumTipiIngresso) return false;
  const TipoIngresso& t = s.TipiIngresso[static_cast<std::size_t>(code)];
  const VariantTraits& m = TraitsOf(s);
  // The two-input model offers what the two-output D model offers.
  int gruppoModello = s.CodVariante;
  if (Family12(s) && m.inputGroupAs) gruppoModello = *m.inputGroupAs;
  bool offered = m.offersEveryGroup;
  if (t.Gruppo == std::to_string(gruppoModello)) offered = true;
  const double gruppo = Val(t.Gruppo);
  if (gruppo == 0) offered = true;
  if (gruppo == 255) offered = false;
  const bool thermistorsUp = code >= 24 && code <= 33;
  if (m.noThermistors && thermistorsUp) offered = false;
  if (m.noCodesFrom28 && code >= 28) offered = false;
  if (m.noVoltCurrent && (code == kCod10V || code == kCod20mA)) offered = false;
  return offered;
}

bool IsFahrenheitConvertible(int code) {
  return (code >= 7 && code <= 14) || (code >= 18 && code <= 21) || (code >= 24 && code <= 28);
}

bool IsPlainCode(int code) {
  return (code >= 1 && code <= 6) || (code >= 15 && code <= 17) || code == 22 || code == 23 || code == kCodFreq;
}

bool IsTemperatureCode(int code) {
  return (code >= 7 && code <= 14) || (code >= 18 && code <= 21) || (code >= 24 && code <= 30);
}

namespace {

struct InputLists {
  std::vector<std::string> program;
  std::optional<std::vector<std::string>> switchList;
};

InputLists BuildInputLists(const ProgramState& s) {
  InputLists out;
  const bool family12 = Family12(s);
  const VariantTraits& t = TraitsOf(s);
  if (family12 && t.extendedLists) {
    for (int code = 1; code <= 31; ++code) {
      const auto& name = s.TipiIngresso[static_cast<std::size_t>(code)].Nome;
      if (IngressoAmmesso(s, code) && !name.empty()) out.program.push_back(name);
    }
    return out;
  }
  std::vector<std::string> sw;
  for (int code = 0; code <= kCodFreq; ++code) {
    if (code == kCodRes300K && !(family12 && t.res300KAs18 && s.VerSw == 2)) continue;
    if (code == kCodFreq && family12 && t.frequencyInput) {
      for (const auto& f : s.TipiFrequenza)
        if (!f.Nome.empty()) sw.push_back(f.Nome);
      continue;
    }
    const auto& name = s.TipiIngresso[static_cast<std::size_t>(code)].Nome;
    if (!IngressoAmmesso(s, code) || name.empty()) continue;
    sw.push_back(name);
    if (code != kCodEeprom) out.program.push_back(name);
  }
  out.switchList = std::move(sw);
  return out;
}

}  // namespace

std::vector<std::string> ListaIngressi(const ProgramState& s) { return BuildInputLists(s).program; }

std::optional<std::vector<std::string>> ListaIngressiSwitch(const ProgramState& s) {
  return BuildInputLists(s).switchList;
}

std::vector<std::string> ListaFrequenze(const ProgramState& s) {
  std::vector<std::string> out;
  for (const auto& f : s.TipiFrequenza)
    if (!f.Nome.empty()) out.push_back(f.Nome);
  return out;
}

std::vector<std::string> ListaUscite(const ProgramState& s) {
  if (const auto only = TraitsOf(s).onlyOutput) return {s.TipiUscita[static_cast<std::size_t>(*only)].Nome};
  std::vector<std::string> out;
  for (const auto& u : s.TipiUscita) out.push_back(u.Nome);
  return out;
}

std::vector<std::string> ListaUsciteEstese(const ProgramState& s) {
  if (!(Family12(s) && TraitsOf(s).extendedLists)) return {"---"};
  std::vector<std::string> out;
  for (const auto& u : s.TipiUscitaEstesa)
    if (!u.Nome.empty()) out.push_back(u.Nome);
  return out;
}

std::vector<std::string> ListaTolleranze(const ProgramState& s) {
  std::vector<std::string> out;
  for (const auto& t : s.Tolleranze) out.push_back(t.Nome);
  return out;
}

ListeModello ListePerModello(const ProgramState& s) {
  InputLists in = BuildInputLists(s);
  return ListeModello{std::move(in.program), std::move(in.switchList), ListaFrequenze(s),
                      ListaUscite(s),        ListaUsciteEstese(s),     ListaTolleranze(s)};
}

int CodiceDaDispositivo(const ProgramState& s, int deviceCode) {
  const VariantTraits& t = TraitsOf(s);
  if (t.frequencyInput) return kCodFreq;
  if (t.res300KAs18 && deviceCode == kCodiceDispositivoRes300K) return kCodRes300K;
  return deviceCode;
}

int CodiceVersoDispositivo(const ProgramState& s, int code) {
  if (TraitsOf(s).res300KAs18 && code == kCodRes300K) return kCodiceDispositivoRes300K;
  return code;
}

}  // namespace korventa
