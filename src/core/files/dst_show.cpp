#include "files/dst_show.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <type_traits>
#include <vector>

namespace korventa {

namespace {

// Shortest round-trip text; the exponent form may appear for very large or
// very small values, which JSON accepts ("1e+300").
std::string NumberText(double x, bool json) {
  if (!std::isfinite(x)) {
    if (json) return "null";
    return std::isnan(x) ? "nan" : (x > 0 ? "inf" : "-inf");
  }
  std::array<char, 64> buffer{};
  const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), x);
  if (ec != std::errc()) return json ? "null" : "?";
  return std::string(buffer.data(), end);
}

template <class T>
std::string ValueText(const T& value, bool json) {
  if constexpr (std::is_same_v<T, double>)
    return NumberText(value, json);
  else
    return std::to_string(static_cast<int>(value));
}

std::string DescribeText(const DstRecord& record, const std::vector<std::size_t>& marked) {
  std::string out = "offset  field                                         value\n";
  ForEachDstField(record, [&out, &marked](std::size_t offset, const DstFieldName& name, const auto& value) {
    std::string label(name.label);
    if (name.perChannel)
      label += name.index == 0 ? ", ch A" : ", ch B";
    else if (name.index >= 0)
      label += name.index == 0 ? ", first" : ", second";
    char head[16];
    std::snprintf(head, sizeof head, "%6zu  ", offset);
    out += head;
    out += label;
    if (label.size() < 46) out.append(46 - label.size(), ' ');
    out += ValueText(value, false);
    if constexpr (std::is_same_v<std::decay_t<decltype(value)>, std::int16_t>)
      out += FromFlag(value) ? " (selected)" : "";
    if (std::find(marked.begin(), marked.end(), offset) != marked.end()) out += "  <- not offered by the model";
    out += '\n';
  });
  return out;
}

std::string DescribeJson(const DstRecord& record, const std::vector<std::size_t>& marked) {
  // Group the elementary fields by key, keeping the order in which each key
  // first appears (the physical values of A and B are not adjacent).
  struct Entry {
    std::string key;
    bool pair = false;
    std::array<std::string, 2> values;
  };
  std::vector<Entry> entries;
  ForEachDstField(record, [&entries](std::size_t, const DstFieldName& name, const auto& value) {
    Entry* entry = nullptr;
    for (auto& e : entries)
      if (e.key == name.key) entry = &e;
    if (!entry) {
      entries.push_back(Entry{std::string(name.key), name.index >= 0, {}});
      entry = &entries.back();
    }
    entry->values[name.index > 0 ? 1 : 0] = ValueText(value, true);
  });

  // The keys are fixed identifiers of plain letters, digits and "_", so
  // they need no escaping.
  std::string out = "{";
  bool first = true;
  for (const auto& e : entries) {
    out += first ? "\n  \"" : ",\n  \"";
    first = false;
    out += e.key;
    out += "\": ";
    if (e.pair)
      out += "[" + e.values[0] + ", " + e.values[1] + "]";
    else
      out += e.values[0];
  }
  if (!marked.empty()) {
    out += ",\n  \"not_offered\": [";
    for (std::size_t i = 0; i < marked.size(); ++i) out += (i ? ", " : "") + std::to_string(marked[i]);
    out += "]";
  }
  out += "\n}\n";
  return out;
}

}  // namespace

std::string DescribeDst(const DstRecord& record, bool json, const std::vector<std::size_t>& marked) {
  return json ? DescribeJson(record, marked) : DescribeText(record, marked);
}

}  // namespace korventa
