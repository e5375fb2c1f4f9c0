// Numbers typed into text boxes and written back into them.
//
// Every number a person types (ranges, offsets, thresholds, physical values)
// is read with Val, which ignores the system locale: "." is always the
// decimal point, so a configuration typed on an Italian desktop means the
// same as on an English one.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace korventa {

// The locale-independent parse of a box text: leading blanks (space, tab,
// CR, LF) are skipped, then an optional "+" or "-", digits, an optional "."
// and more digits. The parse stops at the first other character, so
// "12.5abc" is 12.5, "1.2.3" is 1.2 and "1e3" is 1 (no exponent: a stray
// "e" after a value must not scale it by powers of ten). Text without any
// digit gives 0. The result is correctly rounded to the nearest double and
// always finite: magnitudes beyond the double range saturate at the largest
// finite double. A zero result is +0, never -0. Never throws.
double Val(std::string_view text);

// Whether text is a whole number text as a box shows one: an optional "+" or
// "-", digits with at most one "." among or around them, nothing else (no
// blanks, exponent, thousands separator or trailing characters). Values that
// come from a document or a file must pass this: Val would quietly read
// "1e6" as 1 and "900,5" as 900.
bool IsNumberText(std::string_view text);
// A box text that is a number and nothing else: a number text as above,
// with blanks allowed around it. Its value is Val's; nullopt for anything
// else ("", "12a", "1e3", "--1", ".").
std::optional<double> NumeroRigoroso(std::string_view text);

// Rounds to the nearest integer, halves to the even neighbour (2.5 -> 2,
// 3.5 -> 4, -2.5 -> -2), as the device tables were always rounded.
// NaN gives 0; values beyond the range of long saturate.
long Round(double x);

// The value as plain decimal text for a box: the shortest text that Val
// reads back to the same double, never with an exponent, "-" for negative
// values, "0" before a leading point ("0.1", "-12.5", "1300"). -0 is "0".
// Non-finite values (only possible from a damaged file) give "nan", "inf"
// or "-inf", which Val reads as 0.
std::string PlainNumber(double x);

}  // namespace korventa
