#include "sim/sample_tables.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

#include "link/codecs.h"
#include "sim/device_types.h"
#include "switches/demo.h"

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

// The tables of the switch wizard, as the converter keeps them: entries in
// the type's table decimals, the span list padded with its last entry.
std::optional<SampleTables> FromWizard(int variant, int code, const SampleCounts& n) {
  static const sw::DatiDemo demo = sw::CostruisciDatiDemo();
  SampleTables t;
  if (variant == 4 || variant == 5) {
    // (zero, span) pairs by switch position: 1 to 7 in the first table
    // (its last pair is never picked), 8 to 15 in the second.
    t.span.assign(static_cast<std::size_t>(n.span), 0);
    t.zero.assign(static_cast<std::size_t>(n.zero), 0);
    const int d = InputType(code).decimals;
    for (int p = 1; p < sw::kNumRangeCoppia; ++p) {
      const auto& r = demo.RangeCoppie[static_cast<std::size_t>(p)];
      auto& table = p < 8 ? t.span : t.zero;
      const std::size_t at = static_cast<std::size_t>(p < 8 ? 2 * (p - 1) : 2 * (p - 8));
      table[at] = Scaled(r.Min, d);
      table[at + 1] = Scaled(r.Max, d);
    }
    return t;
  }
  const auto which = sw::TabellaDispositivo(variant, code);
  if (!which) return std::nullopt;
  const sw::TabellaDemo& w = demo.TabelleDemo[static_cast<std::size_t>(*which)];
  if (variant == 7) {
    // Frequency spans in kHz: the words hold hertz at divider 1000.
    for (double v : w.span) t.span.push_back(std::lround(v * 1000.0));
    t.zero.assign(static_cast<std::size_t>(n.zero), 0);
  } else {
    const int d = TableDecimals(variant, code);
    for (double v : w.span) t.span.push_back(Scaled(v, d));
    for (std::size_t i = 0; i < w.zero.size() && static_cast<int>(i) < n.zero; ++i)
      t.zero.push_back(Scaled(w.zero[i], d));
    while (static_cast<int>(t.zero.size()) < n.zero) t.zero.push_back(t.zero.empty() ? 0 : t.zero.back());
  }
  while (!t.span.empty() && static_cast<int>(t.span.size()) < n.span) t.span.push_back(t.span.back());
  return t;
}

}  // namespace

SampleTables MakeSampleTables(int variant, int code) {
  const SampleCounts n = SampleCountsFor(variant);
  if (auto w = FromWizard(variant, code, n)) return *w;
  // Inputs the wizard has no table for: a rising list of spans from the
  // type's minimum span to its maximum and of zeros from its minimum.
  SampleTables t;
  const DeviceInputType& type = InputType(variant == 6 && code == 18 ? 32 : code);
  const int d = TableDecimals(variant, code);
  const double lo = type.min;
  const double hi = type.max;
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
