// The span and zero tables the converter keeps for every input type: the
// ranges its DIP switches select. Words are little-endian 16-bit values in
// the type's table decimals (signed except on the frequency converter).
#pragma once

#include <string>
#include <vector>

namespace korventa::sim {

struct SampleCounts {
  int span;  // entries of the first table
  int zero;  // entries of the second table
};
SampleCounts SampleCountsFor(int variant);

struct SampleTables {
  std::vector<long> span;
  std::vector<long> zero;
};

// Tables for an input code: those of the switch wizard for the variant's
// model family, so that the device and the wizard list the same ranges. The
// two-channel variants 4 and 5 keep (zero, span) pairs of the D-model
// ranges; the frequency converter keeps its spans in hertz at divider 1000
// and a single zero. An input the wizard has no table for gets a rising list
// of spans from the type's minimum span to its maximum and of zeros from
// its minimum.
SampleTables MakeSampleTables(int variant, int code);

// The "$S" reply body after "*": the span words then the zero words, low
// byte first.
std::string SampleWords(const SampleTables& t);

}  // namespace korventa::sim
