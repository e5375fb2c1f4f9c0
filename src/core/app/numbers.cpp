#include "app/numbers.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace korventa {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

double Val(std::string_view text) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n && IsBlank(text[i])) ++i;

  bool negative = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }

  const std::size_t intStart = i;
  while (i < n && IsDigit(text[i])) ++i;
  const std::string_view intDigits = text.substr(intStart, i - intStart);

  std::string_view fracDigits;
  if (i < n && text[i] == '.') {
    const std::size_t fracStart = ++i;
    while (i < n && IsDigit(text[i])) ++i;
    fracDigits = text.substr(fracStart, i - fracStart);
  }
  if (intDigits.empty() && fracDigits.empty()) return 0.0;

  // from_chars wants "digits[.digits]" with at least one integer digit and
  // no sign; build exactly that so its own grammar never decides anything.
  std::string plain;
  plain.reserve(intDigits.size() + fracDigits.size() + 2);
  if (intDigits.empty())
    plain += '0';
  else
    plain += intDigits;
  if (!fracDigits.empty()) {
    plain += '.';
    plain += fracDigits;
  }

  double value = 0.0;
  const auto [ptr, ec] =
      std::from_chars(plain.data(), plain.data() + plain.size(), value, std::chars_format::fixed);
  (void)ptr;
  if (ec == std::errc::result_out_of_range) {
    // Either a huge integer part or so many leading zeros that the value
    // underflows; tell the two apart by whether any non-zero digit comes
    // before the point.
    const bool huge = intDigits.find_first_not_of('0') != std::string_view::npos;
    value = huge ? std::numeric_limits<double>::max() : 0.0;
  } else if (ec != std::errc()) {
    value = 0.0;
  }
  if (value == 0.0) return 0.0;
  return negative ? -value : value;
}

bool IsNumberText(std::string_view text) {
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  bool digits = false, point = false;
  for (; i < text.size(); ++i) {
    if (IsDigit(text[i])) {
      digits = true;
    } else if (text[i] == '.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  return digits;
}

long Round(double x) {
  if (std::isnan(x)) return 0;
  // 2^63 as a double; every double below it in magnitude fits in a long
  // once it is integral.
  constexpr double kLimit = 9223372036854775808.0;
  static_assert(std::numeric_limits<long>::digits == 63, "long is expected to be 64 bits wide");
  if (x >= kLimit) return std::numeric_limits<long>::max();
  if (x < -kLimit) return std::numeric_limits<long>::min();

  // Explicit halves-to-even, independent of the floating-point rounding
  // mode. x - floor(x) is exact whenever x >= 0 or x <= -0.5; for x in
  // (-0.5, 0) it may round up to 0.5, and both branches then give 0.
  const double down = std::floor(x);
  const double rest = x - down;
  double r = down;
  if (rest > 0.5) {
    r = down + 1.0;
  } else if (rest == 0.5) {
    r = std::fmod(down, 2.0) == 0.0 ? down : down + 1.0;
  }
  if (r >= kLimit) return std::numeric_limits<long>::max();
  return static_cast<long>(r);
}

std::string PlainNumber(double x) {
  if (std::isnan(x)) return "nan";
  if (std::isinf(x)) return x > 0 ? "inf" : "-inf";
  if (x == 0.0) return "0";
  // Fixed notation, shortest round-trip digits: the widest case is the
  // smallest subnormal, "0." followed by 323 zeros and a "5" (~330 chars).
  std::array<char, 400> buffer{};
  const auto [end, ec] =
      std::to_chars(buffer.data(), buffer.data() + buffer.size(), x, std::chars_format::fixed);
  if (ec != std::errc()) return "0";
  return std::string(buffer.data(), end);
}

std::optional<double> NumeroRigoroso(std::string_view text) {
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  std::size_t i = 0, n = text.size();
  while (i < n && blank(text[i])) ++i;
  while (n > i && blank(text[n - 1])) --n;
  const std::string_view t = text.substr(i, n - i);
  if (!IsNumberText(t)) return std::nullopt;
  return Val(t);
}

}  // namespace korventa
