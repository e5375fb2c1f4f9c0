#include "link/codecs.h"

#include <cmath>

namespace korventa {

long JoinWord(std::uint8_t hi, std::uint8_t lo, bool isSigned) {
  long v = static_cast<long>(hi) * 256 + lo;
  if (isSigned && hi > 127) v -= 65536;
  return v;
}

std::pair<std::uint8_t, std::uint8_t> SplitWord(long v) {
  // Wrap to 16 bits first, so an out-of-range value cannot index past a byte.
  long w = ((v % 65536) + 65536) % 65536;
  return {static_cast<std::uint8_t>(w / 256), static_cast<std::uint8_t>(w % 256)};
}

std::string Hex2(std::uint8_t b) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  return {kDigits[b >> 4], kDigits[b & 0x0F]};
}

bool HexToByte(const std::string& s, std::uint8_t& out) {
  if (s.size() != 2) return false;
  int v = 0;
  for (char c : s) {
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else return false;
    v = v * 16 + d;
  }
  out = static_cast<std::uint8_t>(v);
  return true;
}

double DecodeFloat(std::uint8_t ef, std::uint8_t f, std::uint8_t se) {
  const int sign = se >> 7;
  const int exponent = ((se & 0x7F) << 1) | (ef >> 7);
  const int fraction = ((ef & 0x7F) << 8) | f;
  const double v = std::ldexp(1.0 + fraction / 32768.0, exponent - 127);
  return sign ? -v : v;
}

std::array<std::uint8_t, 3> EncodeFloat(double x) {
  if (x == 0.0 || std::isnan(x)) return {0, 0, 0};
  const int s = x < 0 ? 1 : 0;
  double m = std::fabs(x);
  int e = 0;
  if (std::isinf(m)) m = std::ldexp(1.99999, 128);  // clamp to the largest value
  // frexp gives m in [0.5, 1); the device format wants [1, 2).
  m = std::frexp(m, &e);
  m *= 2.0;
  e -= 1;
  long w = std::lrint((m - 1.0) * 8388608.0);  // 2^23, ties to even
  if (w >= 8388608) {
    // m was within 2^-24 of 2: the rounded fraction carries into the exponent.
    w = 0;
    e += 1;
  }
  int exponent = e + 127;
  if (exponent > 255) {  // beyond the format: the largest magnitude
    exponent = 255;
    w = 8388607;
  } else if (exponent < 0) {  // below the format: the smallest magnitude
    exponent = 0;
    w = 0;
  }
  if (exponent & 1) w += 8388608;
  const auto se = static_cast<std::uint8_t>(128 * s + exponent / 2);
  const auto ef = static_cast<std::uint8_t>((w >> 16) & 0xFF);
  const auto f = static_cast<std::uint8_t>((w >> 8) & 0xFF);
  return {se, ef, f};
}

double DecodeMeasureFloat(std::uint8_t hi, std::uint8_t lo, std::uint8_t e) {
  const long m = static_cast<long>(hi) * 256 + lo;
  if (m < 32768) return std::ldexp(1.0 + m / 32768.0, e - 127);
  return -std::ldexp(1.0 + (m - 32768) / 32768.0, e - 127);
}

}  // namespace korventa
