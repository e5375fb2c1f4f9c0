// Value encodings that travel in device memory and in replies.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>

namespace korventa {

// hi * 256 + lo; when isSigned and hi > 127, minus 65536.
long JoinWord(std::uint8_t hi, std::uint8_t lo, bool isSigned);
// v in -32768..65535 (a negative v is taken as its 16-bit two's complement);
// returns (hi, lo). Values outside the range are wrapped to 16 bits.
std::pair<std::uint8_t, std::uint8_t> SplitWord(long v);

// The byte as two upper-case hexadecimal digits.
std::string Hex2(std::uint8_t b);
// Two hexadecimal digits (either case) to a byte; false if s is not that.
bool HexToByte(const std::string& s, std::uint8_t& out);

// The 3-byte configuration float: the upper three bytes of an IEEE 754
// single. Arguments in the order fraction-high, fraction-low,
// sign/exponent. No special values: 0 0 0 decodes to 2^-127.
double DecodeFloat(std::uint8_t ef, std::uint8_t f, std::uint8_t se);
// Returns the bytes (SE, EF, F) in this order.
std::array<std::uint8_t, 3> EncodeFloat(double x);

// The 3-byte measurement float: bit 7 of hi is the sign, the other 15 bits
// the fraction, e a separate exponent with bias 127.
double DecodeMeasureFloat(std::uint8_t hi, std::uint8_t lo, std::uint8_t e);

}  // namespace korventa
