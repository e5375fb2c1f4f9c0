#include "switches/demo.h"

#include <cmath>

#include "config/catalog.h"
#include "link/model_traits.h"

namespace korventa::sw {

namespace {

// Appends from, from + step, ... up to `to` (inclusive, within rounding).
void Passi(std::vector<double>& v, double from, double to, double step) {
  const int n = static_cast<int>(std::lround((to - from) / step));
  for (int i = 0; i <= n; ++i) v.push_back(std::round((from + i * step) * 1000.0) / 1000.0);
}

// Repeats the last value until the list holds n entries.
void Riempi(std::vector<double>& v, std::size_t n) {
  while (!v.empty() && v.size() < n) v.push_back(v.back());
  if (v.size() > n) v.resize(n);
}

TabelleDemoArray Tabelle() {
  TabelleDemoArray t;
  // 0: millivolts and thermocouples.
  t[0].zero = {-200, -100, -80, -60, -50, -40, -30, -20, -10, 0, 10, 20, 50, 100, 150};
  auto& s0 = t[0].span;
  Passi(s0, 0, 100, 5);
  Passi(s0, 110, 200, 10);
  s0.insert(s0.end(), {225, 250, 255, 275});
  Passi(s0, 300, 500, 25);
  Passi(s0, 550, 1000, 50);
  Passi(s0, 1100, 1600, 100);
  s0.insert(s0.end(), {1750, 1800, 1850});
  // 1: resistance thermometers.
  t[1].zero = {-200, -150, -100, -50, -40, -30, -20, -10, 0, 5, 10, 20, 30, 50, 100};
  auto& s1 = t[1].span;
  Passi(s1, 0, 100, 5);
  Passi(s1, 110, 400, 10);
  s1.insert(s1.end(), {425, 450, 475, 500, 525, 550});
  Passi(s1, 600, 850, 50);
  // 2: 2 kOhm resistance.
  t[2].zero = {0, 150};
  Passi(t[2].zero, 200, 800, 50);
  Passi(t[2].span, 500, 1000, 20);
  Passi(t[2].span, 1025, 1500, 25);
  Passi(t[2].span, 1550, 2000, 50);
  // 3: 500 Ohm resistance.
  t[3].zero = {0, 10, 20, 30, 40, 50};
  Passi(t[3].zero, 75, 250, 25);
  t[3].zero.push_back(300);
  Passi(t[3].span, 50, 200, 5);
  Passi(t[3].span, 210, 500, 10);
  // 4: potentiometers, percent.
  t[4].zero = {0};
  Passi(t[4].zero, 15, 80, 5);
  t[4].span = {5};
  Passi(t[4].span, 6, 100, 2);
  // 5: 20 mA.
  t[5].zero = {0};
  Passi(t[5].zero, 1.5, 8, 0.5);
  Passi(t[5].span, 5, 10, 0.2);
  Passi(t[5].span, 10.25, 15, 0.25);
  Passi(t[5].span, 15.5, 20, 0.5);
  // 6: 10 V.
  t[6].zero = t[5].zero;
  t[6].span = {0.5};
  Passi(t[6].span, 0.6, 10, 0.2);
  // 7: frequency spans in kHz (the divider multiplies them); the four
  // dividers stand in the zero list.
  t[7].zero = {1000, 100, 10, 1};
  Passi(t[7].span, 0.5, 29.5, 0.5);
  for (std::size_t i = 0; i < 7; ++i) Riempi(t[i].span, 63);
  return t;
}

TabellaIngressiDemo Ingressi() {
  // Names and limits as the switch-configured models print them; 6 and 15
  // are free codes, 28 to 31 the frequency sensors of the PLV7300.
  return {{
      {"EEPROM", "", "", ""},
      {"90 mV", "90 mV", "-100 mV", "5 mV"},
      {"200 mV", "200 mV", "-100 mV", "10 mV"},
      {"800 mV", "800 mV", "-100 mV", "20 mV"},
      {"10 V", "10 V", "-10 V", "1 V"},
      {"20 mA", "20 mA", "0 mA", "1 mA"},
      {"---", "", "", ""},
      {"Tc J", "1200 °C", "-200 °C", "100 °C"},
      {"Tc K", "1300 °C", "-200 °C", "100 °C"},
      {"Tc R", "1750 °C", "0 °C", "400 °C"},
      {"Tc S", "1750 °C", "0 °C", "400 °C"},
      {"Tc T", "400 °C", "-200 °C", "100 °C"},
      {"Tc B", "1850 °C", "0 °C", "400 °C"},
      {"Tc E", "1000 °C", "-200 °C", "100 °C"},
      {"Tc N", "1300 °C", "-200 °C", "100 °C"},
      {"---", "", "", ""},
      {"Res2K", "2000 ohm", "0 ohm", "50 ohm"},
      {"Res500", "500 ohm", "0 ohm", "50 ohm"},
      {"Pt 100", "850 °C", "-200 °C", "50 °C"},
      {"Ni 100", "180 °C", "-60 °C", "60 °C"},
      {"Pt 1K", "185 °C", "-85 °C", "30 °C"},
      {"Ni 1K", "185 °C", "-85 °C", "30 °C"},
      {"Pot500", "100%", "0%", "10%"},
      {"Pot50K", "100%", "0%", "10%"},
      {"KTY81-220", "150 °C", "-55 °C", "50 °C"},
      {"KTY84-150", "300 °C", "-40 °C", "50 °C"},
      {"Cost10K", "100 °C", "-10 °C", "50 °C"},
      {"Cost1K", "40 °C", "-30 °C", "25 °C"},
      {"Namur", "20 KHz", "0.1Hz", "0.5 Hz"},
      {"Tacho", "20 KHz", "0.1Hz", "0.5 Hz"},
      {"TTL", "20 KHz", "0.1Hz", "0.5 Hz"},
      {"PNP", "20 KHz", "0.1Hz", "0.5 Hz"},
      {"Res300K", "300 KOhm", "0 KOhm", "2 KOhm"},
  }};
}

TabellaRangeCoppia Coppie() {
  return {{
      {"EEPROM", 0, 0, "", 0},
      {"0-20 mA", 0, 20, "mA", 1},
      {"4-20 mA", 4, 20, "mA", 1},
      {"0-10 mA", 0, 10, "mA", 1},
      {"2-10 mA", 2, 10, "mA", 1},
      {"0-5 mA", 0, 5, "mA", 1},
      {"1-5 mA", 1, 5, "mA", 1},
      {"10-20 mA", 10, 20, "mA", 1},
      {"0-10 V", 0, 10, "V", 0.5},
      {"2-10 V", 2, 10, "V", 0.5},
      {"0-5 V", 0, 5, "V", 0.5},
      {"1-5 V", 1, 5, "V", 0.5},
      {"0-1 V", 0, 1, "V", 0.5},
      {"0.2-1 V", 0.2, 1, "V", 0.5},
      {"5-10 V", 5, 10, "V", 0.5},
      {"0-2 V", 0, 2, "V", 0.5},
  }};
}

bool Tra(int p, int a, int b) { return p >= a && p <= b; }

}  // namespace

DatiDemo CostruisciDatiDemo() { return {Ingressi(), Tabelle(), Coppie()}; }

const std::array<ModelloWizard, kNumModelliWizard>& ModelliWizard() {
  static constexpr std::array<ModelloWizard, kNumModelliWizard> m = {{
      {"7100", "PLV7100", "PLV7100", 0},
      {"7110 A", "PLV7110A", "PLV7110A", 2},
      {"7110 B", "PLV7110B", "PLV7110B", 2},
      {"7110 C", "PLV7110C", "PLV7110C", 2},
      {"7110 D", "PLV7110D", "PLV7110D", 4},
      {"7120 A", "PLV7120A", "PLV7110A", 2},
      {"7120 B", "PLV7120B", "PLV7110B", 2},
      {"7120 C", "PLV7120C", "PLV7110C", 2},
      {"7120 D", "PLV7120D", "PLV7120D", 4},
      {"7210 A", "PLV7210A", "PLV7110A", 2},
      {"7210 B", "PLV7210B", "PLV7110B", 2},
      {"7210 C", "PLV7210C", "PLV7110C", 2},
      {"7210 D", "PLV7210D", "PLV7210D", 4},
      {"7220 D", "PLV7220D", "PLV7120D", 4},
      {"7300", "PLV7300", "PLV7300", 7},
      {"7150", "PLV7150", "PLV7150", 8},
  }};
  return m;
}

std::optional<int> TrovaModelloWizard(std::string_view nome) {
  for (std::string_view prefisso : {"PLV ", "PLV", "GN-", ""}) {
    if (!nome.starts_with(prefisso)) continue;
    const std::string_view resto = nome.substr(prefisso.size());
    for (int i = 0; i < kNumModelliWizard; ++i) {
      const auto& m = ModelliWizard()[static_cast<std::size_t>(i)];
      if (m.Nome == resto || m.Codice == nome) return i;
    }
  }
  return std::nullopt;
}

int VarianteDemo(std::string_view modelloDemo) {
  for (const auto& m : ModelliWizard())
    if (m.ModelloDemo == modelloDemo) return m.Variante;
  return -1;
}

std::optional<int> TabellaPer(std::string_view m, int p) {
  if (m == "PLV7100" || m == "PLV7150") {
    if (Tra(p, 1, 3) || Tra(p, 7, 14)) return 0;
    if (Tra(p, 18, 21)) return 1;
    if (p == 16) return 2;
    if (p == 17) return 3;
    if (p == 22 || p == 23) return 4;
    if (p == 5) return 5;
    if (p == 4) return 6;
    return std::nullopt;
  }
  if (m == "PLV7110A") {
    if (Tra(p, 1, 3) || Tra(p, 7, 14)) return 0;
    return std::nullopt;
  }
  if (m == "PLV7110B") {
    if (Tra(p, 3, 6)) return 1;
    if (p == 1) return 2;
    if (p == 2) return 3;
    return std::nullopt;
  }
  if (m == "PLV7110C") {
    if (Tra(p, 2, 5)) return 1;
    if (p == 1) return 4;
    return std::nullopt;
  }
  if (m == "PLV7300" && Tra(p, 0, 3)) return 7;
  return std::nullopt;
}

std::optional<int> TabellaDispositivo(int variante, int codice) {
  switch (variante) {
    case 0: case 1: case 8: case 9: return TabellaPer("PLV7100", codice);
    case 2: return TabellaPer("PLV7110A", codice);
    case 3: return TabellaPer("PLV7110B", codice - 15);
    case 6:
      // The C line keeps "Pot50K" under switch code 8 and its thermistors
      // from 9 up, listed from position 1.
      if (codice == 23) return TabellaPer("PLV7110C", 1);
      if (Tra(codice, 24, 27)) return TabellaPer("PLV7110C", codice - 22);
      return std::nullopt;
    case 7: return 7;
    default: return std::nullopt;
  }
}

int DecimaliTabella(int variante, int codice, int decimaliTipo) {
  const VariantTraits& t = TraitsOf(variante);
  if (t.switchTenVoltTableHundredths && codice == kCod10V) return 2;
  if (t.switchMvTableTenths && (codice == 1 || codice == 2)) return 1;
  return decimaliTipo;
}

}  // namespace korventa::sw
