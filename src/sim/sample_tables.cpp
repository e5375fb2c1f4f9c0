#include "sim/sample_tables.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "link/codecs.h"
#include "sim/device_types.h"

namespace korventa::sim {

SampleCounts SampleCountsFor(int variant) {
  switch (variant) {
    case 4: case 5: return {16, 16};
    case 7: return {63, 1};
    default: return {63, 15};
  }
}

namespace {

long Scaled(double value, int decimals) {
  return std::clamp(std::lround(value * std::pow(10.0, decimals)), -32768L, 32767L);
}

// Fractions (zero, span) of the full range for the pair tables.
constexpr std::array<std::array<double, 2>, 16> kPairs = {{
    {0.0, 1.0}, {0.0, 0.5}, {0.2, 1.0}, {0.1, 0.5}, {0.0, 0.1}, {0.0, 0.2}, {0.0, 0.25}, {0.5, 1.0},
    {0.0, 0.05}, {0.0, 0.3}, {0.0, 0.4}, {0.0, 0.6}, {0.0, 0.75}, {0.0, 0.8}, {0.25, 1.0}, {0.2, 0.6},
}};

}  // namespace

SampleTables MakeSampleTables(int variant, int code) {
  const SampleCounts n = SampleCountsFor(variant);
  SampleTables t;
  if (variant == 7) {
    // Frequency spans from 10 Hz to 20 kHz, evenly spaced on a log scale.
    for (int k = 0; k < n.span; ++k)
      t.span.push_back(std::lround(10.0 * std::pow(2000.0, static_cast<double>(k) / (n.span - 1))));
    t.zero.assign(static_cast<std::size_t>(n.zero), 0);
    return t;
  }
  const DeviceInputType& type = InputType(variant == 6 && code == 18 ? 32 : code);
  const int d = TableDecimals(variant, code);
  // Voltage and current inputs of the two-channel models start at zero.
  const double lo = (variant == 4 || variant == 5) ? std::max(type.min, 0.0) : type.min;
  const double hi = type.max;
  if (variant == 4 || variant == 5) {
    for (std::size_t p = 0; p < kPairs.size(); ++p) {
      auto& table = p < 8 ? t.span : t.zero;
      table.push_back(Scaled(lo + kPairs[p][0] * (hi - lo), d));
      table.push_back(Scaled(lo + kPairs[p][1] * (hi - lo), d));
    }
    return t;
  }
  const double spanLo = lo + type.spanMin;
  for (int k = 0; k < n.span; ++k)
    t.span.push_back(Scaled(spanLo + (hi - spanLo) * k / (n.span - 1), d));
  for (int k = 0; k < n.zero; ++k)
    t.zero.push_back(Scaled(lo + (hi - lo) / 2.0 * k / (n.zero - 1), d));
  return t;
}

std::string SampleWords(const SampleTables& t) {
  std::string out;
  out.reserve(2 * (t.span.size() + t.zero.size()));
  for (const auto* table : {&t.span, &t.zero}) {
    for (long w : *table) {
      auto [hi, lo] = SplitWord(w);
      out += static_cast<char>(lo);
      out += static_cast<char>(hi);
    }
  }
  return out;
}

}  // namespace korventa::sim
