#include "app/format.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <system_error>

#include "app/numbers.h"

namespace korventa {
namespace {

// A finite number as decimal digits: value = digits * 10^(point - size), the
// digits without leading or trailing zeros ("" for zero). point is the number
// of digits before the decimal point (it may be negative or exceed size).
struct Decimal {
  bool negative = false;
  std::string digits;
  int point = 0;
};

// x to 15 significant digits: what the windows have always shown, and what
// keeps a stored 0.0005 (binary 0.000500000000000000010...) or a computed
// 1.0005 (binary 1.000499999999999989...) rounding as the decimal it stands
// for.
Decimal ToDecimal(double x) {
  Decimal d;
  d.negative = std::signbit(x);
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(x), std::chars_format::scientific, 14);
  std::string_view text(buf, static_cast<std::size_t>(res.ptr - buf));
  // text is "d.dddddddddddddde[+-]xx"
  const auto e = text.find('e');
  std::string mant;
  for (char c : text.substr(0, e))
    if (c != '.') mant.push_back(c);
  int exp = 0;
  std::string_view es = text.substr(e + 1);
  if (!es.empty() && es.front() == '+') es.remove_prefix(1);
  std::from_chars(es.data(), es.data() + es.size(), exp);
  while (!mant.empty() && mant.back() == '0') mant.pop_back();
  std::size_t lead = 0;
  while (lead < mant.size() && mant[lead] == '0') ++lead;
  mant.erase(0, lead);
  d.digits = mant;
  d.point = mant.empty() ? 0 : exp + 1;
  return d;
}

// Keeps at most `decimals` digits after the point, halves away from zero.
void RoundTo(Decimal& d, int decimals) {
  const int n = static_cast<int>(d.digits.size());
  const int keep = d.point + decimals;
  if (keep >= n) return;
  if (keep < 0) {
    d.digits.clear();
    d.point = 0;
    return;
  }
  const bool up = d.digits[static_cast<std::size_t>(keep)] >= '5';
  d.digits.resize(static_cast<std::size_t>(keep));
  if (up) {
    int i = keep - 1;
    for (; i >= 0; --i) {
      char& c = d.digits[static_cast<std::size_t>(i)];
      if (c == '9') {
        c = '0';
      } else {
        ++c;
        break;
      }
    }
    if (i < 0) {
      d.digits.insert(d.digits.begin(), '1');
      ++d.point;
    }
  }
  while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
  if (d.digits.empty()) d.point = 0;
}

std::string IntegerPart(const Decimal& d) {
  const int n = static_cast<int>(d.digits.size());
  if (d.point <= 0) return {};
  std::string s = d.digits.substr(0, static_cast<std::size_t>(std::min(d.point, n)));
  if (d.point > n) s.append(static_cast<std::size_t>(d.point - n), '0');
  return s;
}

std::string FractionPart(const Decimal& d) {
  const int n = static_cast<int>(d.digits.size());
  if (d.point >= n) return {};
  std::string s;
  if (d.point < 0) s.append(static_cast<std::size_t>(-d.point), '0');
  s += d.digits.substr(static_cast<std::size_t>(std::max(d.point, 0)));
  return s;
}

const char* NonFinite(double x) {
  if (std::isnan(x)) return "NaN";
  return x < 0 ? "-Inf" : "Inf";
}

}  // namespace

std::string Format(double x, std::string_view mask) {
  if (!std::isfinite(x)) return NonFinite(x);
  int minInt = 0, minFrac = 0, maxFrac = 0;
  bool afterPoint = false;
  for (char c : mask) {
    if (c == '.') {
      afterPoint = true;
    } else if (c == '0' || c == '#') {
      if (afterPoint) {
        ++maxFrac;
        if (c == '0') minFrac = maxFrac;  // a '0' makes every digit before it compulsory
      } else if (c == '0') {
        ++minInt;
      }
    }
  }
  Decimal d = ToDecimal(x);
  RoundTo(d, maxFrac);
  std::string ip = IntegerPart(d);
  std::string fp = FractionPart(d);
  if (static_cast<int>(ip.size()) < minInt) ip.insert(0, static_cast<std::size_t>(minInt) - ip.size(), '0');
  if (static_cast<int>(fp.size()) < minFrac) fp.append(static_cast<std::size_t>(minFrac) - fp.size(), '0');
  std::string out;
  if (d.negative && !d.digits.empty()) out = "-";
  out += ip;
  if (!fp.empty()) out += "." + fp;
  return out;
}

std::string Str(double x) {
  if (!std::isfinite(x)) return NonFinite(x);
  Decimal d = ToDecimal(x);
  if (d.digits.empty()) return " 0";
  std::string out = d.negative ? "-" : " ";
  if (d.point > 15 || d.point < -3) {
    out += d.digits.substr(0, 1);
    if (d.digits.size() > 1) out += "." + d.digits.substr(1);
    const int e = d.point - 1;
    out += e < 0 ? "E-" : "E+";
    const int ae = std::abs(e);
    if (ae < 10) out += '0';
    out += std::to_string(ae);
    return out;
  }
  out += IntegerPart(d);
  const std::string fp = FractionPart(d);
  if (!fp.empty()) out += "." + fp;
  return out;
}

double CtoFValue(double c) { return c * 9.0 / 5.0 + 32.0; }
double FtoCValue(double f) { return (f - 32.0) * 5.0 / 9.0; }
double DiffCtoFValue(double c) { return c * 9.0 / 5.0; }
double DiffFtoCValue(double f) { return f * 5.0 / 9.0; }

std::string CtoF(double c) { return Format(CtoFValue(c), "#.0"); }
std::string FtoC(double f) { return Format(FtoCValue(f), "#.0"); }
std::string DiffCtoF(double c) { return Format(DiffCtoFValue(c), "#.0"); }
std::string DiffFtoC(double f) { return Format(DiffFtoCValue(f), "#.0"); }

std::string CtoF(std::string_view c) { return CtoF(Val(c)); }
std::string FtoC(std::string_view f) { return FtoC(Val(f)); }
std::string DiffCtoF(std::string_view c) { return DiffCtoF(Val(c)); }
std::string DiffFtoC(std::string_view f) { return DiffFtoC(Val(f)); }

}  // namespace korventa
