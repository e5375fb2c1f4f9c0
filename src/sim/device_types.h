// What the converter firmware knows about its input types: how many
// decimals a stored range value carries and the admissible limits. The
// converter keeps its own copy because its tables (span/zero lists, stored
// defaults) are built from it, independently of the desktop program.
#pragma once

#include <cstdint>

#include "link/model_traits.h"

namespace korventa::sim {

struct DeviceInputType {
  const char* name;  // empty for codes the firmware does not know
  int decimals;      // stored value = engineering value * 10^decimals
  double min;
  double max;
  double spanMin;
};

// Codes 0..33; any other code answers an empty entry.
const DeviceInputType& InputType(int code);

// Decimals with which the span/zero tables and the stored defaults of an
// input code are kept on a variant. Some variants keep the millivolt and
// 10 V tables one decimal coarser than the type itself, and variant 6 keeps
// "Res300K" (asked for as code 18) with one decimal more.
int TableDecimals(int variant, int code);

// Decimals of the range words in the configuration memory for a channel
// whose input byte holds `deviceCode` (bits 0-4). Variant 7 keeps them in
// bits 2-3 of the output byte instead.
int RangeDecimals(int variant, int deviceCode, std::uint8_t outputByte);

// Whether the 16-bit words of this variant's memory and tables are signed
// (all but the frequency converter).
inline bool WordsSigned(int variant) { return !TraitsOf(variant).frequencyInput; }

}  // namespace korventa::sim
