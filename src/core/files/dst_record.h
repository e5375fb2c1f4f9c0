// The ".DST" configuration file: one fixed 292-byte record holding the
// programming window's values for channels A and B plus the identification
// of the device the configuration was made for.
//
// All numbers are little-endian whatever the host; doubles are IEEE 754
// binary64; a "flag" is a signed 16-bit option-button state, -1 selected,
// 0 not selected. Fields follow each other with no padding:
//
//   off size  field                                  member
//     0   8   version number (double)                Version
//     8   1   IdExtra                                IdExtra
//     9   1   product code                           CodProdotto
//    10   1   variant code                           CodVariante
//    11   1   firmware version                       VerSw
//    12 1+1   input type code, ch A, ch B            InputType
//    14 8+8   input range maximum                    InputMax
//    30 8+8   input range minimum                    InputMin
//    46 1+1   output type code                       OutputType
//    48 8+8   output at input maximum                OutputMax
//    64 8+8   output at input minimum                OutputMin
//    80 2+2   cold junction "External" flag          Cjc[0]
//    84 2+2   cold junction "Internal" flag          Cjc[1]
//    88 8+8   cold-junction offset                   CjcOffset
//   104 2+2   wiring flag, first button              Wiring[0]
//   108 2+2   wiring flag, second button             Wiring[1]
//   112 2+2   wiring flag, third button              Wiring[2]
//   116 2+2   function flag "Linear"                 Function[0]
//   120 2+2   function flag "Tank"                   Function[1]
//   124 2+2   function flag "SQRT"                   Function[2]
//   128 2+2   burn-out flag "Up"                     BurnOut[0]
//   132 2+2   burn-out flag "Down"                   BurnOut[1]
//   136 8+8   over-range tolerance percent           OverRange
//   152 8+8   trip high threshold (ch B always 0)    TripHigh
//   168 8+8   trip low threshold (ch B always 0)     TripLow
//   184 2+2   trip mode flag, first button           TripMode[0]
//   188 2+2   trip mode flag, second button          TripMode[1]
//   192 8+8   reserved doubles                       Reserved
//   208 8x8   physical values (see PhysicalIndex)    Physical
//   272 1+1   algebraic operator code                Operatore
//   274 8+8   spare channel byte, as a double        Spare
//   290   1   high-speed box (0 clear, 1 ticked)     HighSpeed
//   291   1   doubler box (0 clear, 1 ticked)        Doubler
//
// Option groups are stored button-major: the button k of channel ch, the
// control opt_X(n * ch + k) of a group of n buttons, is X[k][ch].
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace korventa {

// The program's version number, written into every saved record and
// compared with the record of every opened file.
inline constexpr double kVersioneProgramma = 2.7;

inline constexpr std::size_t kDstSize = 292;

// Order of the eight physical values, as they sit in the file from offset
// 208: input-side values of txt_Fisico_max/min(2) and (3), then the
// output-side values of txt_FisicoOut_max/min(0) and (1).
enum PhysicalIndex : std::size_t {
  kFisicoInMaxA = 0,
  kFisicoInMinA = 1,
  kFisicoInMaxB = 2,
  kFisicoInMinB = 3,
  kFisicoOutMaxA = 4,
  kFisicoOutMinA = 5,
  kFisicoOutMaxB = 6,
  kFisicoOutMinB = 7,
};

using PerChannel = std::array<double, 2>;
using FlagPair = std::array<std::int16_t, 2>;
using CodePair = std::array<std::uint8_t, 2>;

struct DstRecord {
  double Version = 0.0;
  std::uint8_t IdExtra = 0;
  std::uint8_t CodProdotto = 0;
  std::uint8_t CodVariante = 0;
  std::uint8_t VerSw = 0;
  CodePair InputType{};
  PerChannel InputMax{};
  PerChannel InputMin{};
  CodePair OutputType{};
  PerChannel OutputMax{};
  PerChannel OutputMin{};
  std::array<FlagPair, 2> Cjc{};       // [0] External, [1] Internal
  PerChannel CjcOffset{};
  std::array<FlagPair, 3> Wiring{};    // opt_Fili buttons 1..3
  std::array<FlagPair, 3> Function{};  // [0] Linear, [1] Tank, [2] SQRT
  std::array<FlagPair, 2> BurnOut{};   // [0] Up, [1] Down
  PerChannel OverRange{};
  PerChannel TripHigh{};
  PerChannel TripLow{};
  std::array<FlagPair, 2> TripMode{};  // optTrip(0), optTrip(1)
  std::array<double, 2> Reserved{};
  std::array<double, 8> Physical{};    // indexed by PhysicalIndex
  CodePair Operatore{};
  PerChannel Spare{};
  std::uint8_t HighSpeed = 0;
  std::uint8_t Doubler = 0;

  // Field-by-field, bit-for-bit comparison of the doubles' values (a NaN
  // never compares equal, as with any double).
  bool operator==(const DstRecord&) const = default;
};

// Option-button states as the file stores them.
constexpr std::int16_t ToFlag(bool selected) { return selected ? std::int16_t{-1} : std::int16_t{0}; }
// Any non-zero flag counts as selected, as the option buttons took it.
constexpr bool FromFlag(std::int16_t flag) { return flag != 0; }

// The spare channel byte travels as a double; a damaged or foreign file may
// hold anything there, so the way back rounds (halves to even) and clamps
// to 0..255, NaN giving 0.
std::uint8_t ByteFromDouble(double x);

// The record as the file's 292 bytes.
std::array<std::uint8_t, kDstSize> EncodeDst(const DstRecord& record);
// The record from exactly 292 bytes; nullopt for any other size.
std::optional<DstRecord> DecodeDst(std::span<const std::uint8_t> bytes);

// The name of one elementary field, for listings: a stable key for machine
// output, the wording of the record table, and the position within the
// key's pair (-1 for single fields), which is the channel when perChannel.
struct DstFieldName {
  std::string_view key;
  std::string_view label;
  int index = -1;
  bool perChannel = false;
};

// Calls fn(offset, DstFieldName, field) for every elementary field of the
// record in file order; field is a reference to a double, std::uint8_t or
// std::int16_t member (const when record is const). The encoder, decoder and
// the listing are all driven by this one table of offsets.
template <class Record, class Fn>
void ForEachDstField(Record& r, Fn&& fn) {
  auto each = [&fn](std::size_t offset, std::string_view key, std::string_view label, auto& pair) {
    constexpr std::size_t size = sizeof(pair[0]);
    for (std::size_t ch = 0; ch < 2; ++ch)
      fn(offset + ch * size, DstFieldName{key, label, static_cast<int>(ch), true}, pair[ch]);
  };
  fn(std::size_t{0}, DstFieldName{"version", "version number"}, r.Version);
  fn(std::size_t{8}, DstFieldName{"id_extra", "IdExtra"}, r.IdExtra);
  fn(std::size_t{9}, DstFieldName{"product_code", "product code"}, r.CodProdotto);
  fn(std::size_t{10}, DstFieldName{"variant_code", "variant code"}, r.CodVariante);
  fn(std::size_t{11}, DstFieldName{"firmware_version", "firmware version"}, r.VerSw);
  each(12, "input_type", "input type code", r.InputType);
  each(14, "input_max", "input range maximum", r.InputMax);
  each(30, "input_min", "input range minimum", r.InputMin);
  each(46, "output_type", "output type code", r.OutputType);
  each(48, "output_max", "output at input maximum", r.OutputMax);
  each(64, "output_min", "output at input minimum", r.OutputMin);
  each(80, "cjc_external", "cold junction \"External\" flag", r.Cjc[0]);
  each(84, "cjc_internal", "cold junction \"Internal\" flag", r.Cjc[1]);
  each(88, "cjc_offset", "cold-junction offset", r.CjcOffset);
  each(104, "wiring_1", "wiring flag, first button", r.Wiring[0]);
  each(108, "wiring_2", "wiring flag, second button", r.Wiring[1]);
  each(112, "wiring_3", "wiring flag, third button", r.Wiring[2]);
  each(116, "function_linear", "function flag \"Linear\"", r.Function[0]);
  each(120, "function_tank", "function flag \"Tank\"", r.Function[1]);
  each(124, "function_sqrt", "function flag \"SQRT\"", r.Function[2]);
  each(128, "burnout_up", "burn-out flag \"Up\"", r.BurnOut[0]);
  each(132, "burnout_down", "burn-out flag \"Down\"", r.BurnOut[1]);
  each(136, "over_range", "over-range tolerance percent", r.OverRange);
  each(152, "trip_high", "trip high threshold", r.TripHigh);
  each(168, "trip_low", "trip low threshold", r.TripLow);
  each(184, "trip_mode_1", "trip mode flag, first button", r.TripMode[0]);
  each(188, "trip_mode_2", "trip mode flag, second button", r.TripMode[1]);
  fn(std::size_t{192}, DstFieldName{"reserved", "reserved double", 0}, r.Reserved[0]);
  fn(std::size_t{200}, DstFieldName{"reserved", "reserved double", 1}, r.Reserved[1]);
  // The physical values are not per-channel pairs in the file: input max and
  // min of A, then of B, then the same for the output side.
  fn(std::size_t{208}, DstFieldName{"physical_input_max", "physical value at input maximum", 0, true},
     r.Physical[kFisicoInMaxA]);
  fn(std::size_t{216}, DstFieldName{"physical_input_min", "physical value at input minimum", 0, true},
     r.Physical[kFisicoInMinA]);
  fn(std::size_t{224}, DstFieldName{"physical_input_max", "physical value at input maximum", 1, true},
     r.Physical[kFisicoInMaxB]);
  fn(std::size_t{232}, DstFieldName{"physical_input_min", "physical value at input minimum", 1, true},
     r.Physical[kFisicoInMinB]);
  fn(std::size_t{240}, DstFieldName{"physical_output_max", "physical value at output maximum", 0, true},
     r.Physical[kFisicoOutMaxA]);
  fn(std::size_t{248}, DstFieldName{"physical_output_min", "physical value at output minimum", 0, true},
     r.Physical[kFisicoOutMinA]);
  fn(std::size_t{256}, DstFieldName{"physical_output_max", "physical value at output maximum", 1, true},
     r.Physical[kFisicoOutMaxB]);
  fn(std::size_t{264}, DstFieldName{"physical_output_min", "physical value at output minimum", 1, true},
     r.Physical[kFisicoOutMinB]);
  each(272, "operator", "algebraic operator code", r.Operatore);
  each(274, "spare", "spare channel byte", r.Spare);
  fn(std::size_t{290}, DstFieldName{"high_speed", "high-speed box state"}, r.HighSpeed);
  fn(std::size_t{291}, DstFieldName{"doubler", "doubler box state"}, r.Doubler);
}

// Reads a ".DST" file; nullopt with a reason in error when the file cannot
// be read or is not exactly one 292-byte record (in `lingua`, 0 Italian, 1
// English).
std::optional<DstRecord> LoadDstFile(const std::string& path, std::string& error, int lingua = 1);
// Writes the record as the file's only 292 bytes, atomically: on failure
// the previous file stays as it was and error says why.
bool SaveDstFile(const std::string& path, const DstRecord& record, std::string& error, int lingua = 1);

}  // namespace korventa
