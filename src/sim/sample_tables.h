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

// Tables for an input code. Most variants keep a rising list of spans from
// the type's minimum span to its maximum and a rising list of zeros from
// its minimum. The two-channel variants 4 and 5 keep (zero, span) pairs in
// both tables instead; the frequency converter keeps a list of frequency
// spans and a single zero.
SampleTables MakeSampleTables(int variant, int code);

// The "$S" reply body after "*": the span words then the zero words, low
// byte first.
std::string SampleWords(const SampleTables& t);

}  // namespace korventa::sim
