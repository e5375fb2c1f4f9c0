#include "sim/device_types.h"

#include <array>

#include "config/catalog.h"
#include "config/memory_map.h"
#include "link/model_traits.h"
#include "switches/demo.h"

namespace korventa::sim {

namespace {

constexpr DeviceInputType kEmpty{"", 0, -32000, 32000, 0};

constexpr std::array<DeviceInputType, 34> kTypes = {{
    {"EEPROM", 0, -32000, 32000, 0},
    {"90 mV", 2, -100, 90, 5},
    {"200 mV", 2, -100, 200, 10},
    {"800 mV", 1, -100, 800, 20},
    {"10 V", 3, -10, 10, 1},
    {"20 mA", 3, 0, 20, 1},
    {"", 0, -32000, 32000, 0},
    {"Tc J", 1, -200, 1200, 100},
    {"Tc K", 1, -200, 1300, 100},
    {"Tc R", 1, 0, 1750, 400},
    {"Tc S", 1, 0, 1750, 400},
    {"Tc T", 1, -200, 400, 100},
    {"Tc B", 1, 0, 1800, 400},
    {"Tc E", 1, -200, 1000, 100},
    {"Tc N", 1, -200, 1300, 100},
    {"", 0, -32000, 32000, 0},
    {"Res2K", 1, 0, 2000, 500},
    {"Res500", 1, 0, 500, 50},
    {"Pt 100", 1, -200, 850, 50},
    {"Ni 100", 1, -60, 180, 50},
    {"Pt 1K", 1, -200, 185, 30},
    {"Ni 1K", 1, -60, 150, 30},
    {"Pot500", 1, 0, 100, 5},
    {"Pot50K", 1, 0, 100, 5},
    {"KTY81-220", 1, -55, 150, 50},
    {"KTY84-150", 1, -40, 250, 50},
    {"Cost10K", 1, -10, 110, 50},
    {"Cost1K", 1, -30, 40, 25},
    {"KTY83-110", 1, -55, 170, 50},
    {"Vish10K", 1, -40, 120, 50},
    {"Vish1K", 1, -40, 150, 50},
    {"", 0, -32000, 32000, 0},
    {"Res300K", 1, 0, 300, 2},
    {"Freq", 0, 0.1, 20000, 1},
}};

}  // namespace

const DeviceInputType& InputType(int code) {
  if (code < 0 || code >= static_cast<int>(kTypes.size())) return kEmpty;
  return kTypes[static_cast<std::size_t>(code)];
}

int TableDecimals(int variant, int code) {
  // "Res300K" in place of 18.
  if (TraitsOf(variant).res300KAs18 && code == kCodiceDispositivoRes300K) return InputType(kCodRes300K).decimals + 1;
  return sw::DecimaliTabella(variant, code, InputType(code).decimals);
}

int RangeDecimals(int variant, int deviceCode, std::uint8_t outputByte) {
  const VariantTraits& t = TraitsOf(variant);
  if (t.frequencyInput) return (outputByte >> memoria::kShiftFili) & 0x03;
  if (t.res300KAs18 && deviceCode == kCodiceDispositivoRes300K) return InputType(kCodRes300K).decimals + 1;
  return InputType(deviceCode).decimals;
}

}  // namespace korventa::sim
