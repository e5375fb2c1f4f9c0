// The configuration memory of the converters (family 12, page 0) as one
// table: every field's name, address per channel, width, signedness and
// scale. Reading, writing, the measurement start, the command-line front
// end and the simulator all take their addresses from here.
#pragma once

#include <array>
#include <cstddef>

#include "link/model_traits.h"

namespace korventa::memoria {

enum class Segno {
  Senza,       // unsigned
  Con,         // two's complement
  PerVariante  // signed, except on the frequency converter (unsigned words)
};

enum class Formato {
  Byte,   // one byte (a code, bit fields or a count)
  Word,   // 16 bits, low byte first
  Float,  // the 3-byte device float, least significant byte first
};

struct Campo {
  const char* nome;
  std::array<int, 2> indirizzo;  // channel A, channel B (equal for fields of the whole device)
  Formato formato;
  Segno segno;
  // Stored number = value x scala (+ the field's own offset where noted).
  // 0: the scale depends on the channel's input (10^decimals).
  double scala;

  constexpr int At(int ch) const { return indirizzo[static_cast<std::size_t>(ch == 0 ? 0 : 1)]; }
  constexpr int Larghezza() const { return formato == Formato::Byte ? 1 : formato == Formato::Word ? 2 : 3; }
};

// Per-channel bytes.
inline constexpr Campo kIngresso{"input", {0, 1}, Formato::Byte, Segno::Senza, 1};
inline constexpr Campo kOpzioni{"options", {3, 5}, Formato::Byte, Segno::Senza, 1};
inline constexpr Campo kUscita{"output", {4, 6}, Formato::Byte, Segno::Senza, 1};
inline constexpr Campo kOffsetCjc{"cold-junction offset", {7, 8}, Formato::Byte, Segno::Con, 10};
// Range block: channel A at 20, channel B at 12.
inline constexpr Campo kInMax{"input maximum", {20, 12}, Formato::Word, Segno::PerVariante, 0};
inline constexpr Campo kInMin{"input minimum", {22, 14}, Formato::Word, Segno::PerVariante, 0};
inline constexpr Campo kOutMax{"output maximum", {24, 16}, Formato::Word, Segno::PerVariante, 1000};
inline constexpr Campo kOutMin{"output minimum", {26, 18}, Formato::Word, Segno::PerVariante, 1000};

constexpr bool IsOutputByte(int address) { return address == kUscita.At(0) || address == kUscita.At(1); }

// Bytes of the whole device.
inline constexpr Campo kRitardoSoglie{"trip delay", {8, 8}, Formato::Byte, Segno::Senza, 0};  // per second: traits
inline constexpr Campo kTolleranze{"over-range", {9, 9}, Formato::Byte, Segno::Senza, 1};
inline constexpr Campo kRitardo{"response delay", {28, 28}, Formato::Word, Segno::Senza, 1 / 0.058};
inline constexpr double kRitardoBase = 0.2;   // seconds of a response delay of 0
inline constexpr double kRitardoPasso = 0.058;  // seconds per count (times the model's step factor)
inline constexpr Campo kFiltro{"frequency smoothing", {53, 53}, Formato::Word, Segno::PerVariante, 1};
inline constexpr Campo kAlimentazione{"auxiliary supply", {63, 63}, Formato::Byte, Segno::Senza, 1};
inline constexpr Campo kTrigger{"trigger level", {64, 64}, Formato::Byte, Segno::Senza, 1 / 0.0278};
inline constexpr double kTriggerBase = 0.122;  // level of a byte of 0
inline constexpr double kTriggerPasso = 0.0278;  // level per count

// Trip thresholds: trip t's at the model's trip base + 6 t.
inline constexpr int kSogliaH = 0;  // offset of the H float from the trip's base
inline constexpr int kSogliaL = 3;  // offset of the L float
inline constexpr int kPassoSoglie = 6;
inline constexpr int IndirizzoSoglia(const VariantTraits& t, int trip) { return t.tripBase + kPassoSoglie * trip; }

// The frequency converter's trip delays as the measurement reads them:
// whole seconds, one byte per trip.
inline constexpr Campo kRitardiSoglieFrequenza{"trip delays", {40, 41}, Formato::Byte, Segno::Senza, 1};

// Output calibration: two floats (the outputs at two raw counts) per
// channel, at one place for voltage outputs and another for current.
inline constexpr Campo kCalibrazioneTensione{"voltage calibration", {100, 112}, Formato::Float, Segno::Con, 1};
inline constexpr Campo kCalibrazioneCorrente{"current calibration", {106, 118}, Formato::Float, Segno::Con, 1};

// The two-input model's block at 128.
inline constexpr Campo kFisicoMax{"physical maximum", {128, 134}, Formato::Float, Segno::Con, 1};
inline constexpr Campo kFisicoMin{"physical minimum", {131, 137}, Formato::Float, Segno::Con, 1};
inline constexpr Campo kFisicoOutMax{"physical output maximum", {140, 147}, Formato::Float, Segno::Con, 1};
inline constexpr Campo kFisicoOutMin{"physical output minimum", {143, 150}, Formato::Float, Segno::Con, 1};
inline constexpr Campo kRitardoOperatore{"operator delay", {146, 146}, Formato::Byte, Segno::Senza, 10 / 0.75};

// The blocks reading fetches: 0 to 64 on every model, 128 to 153 on the
// two-input model.
inline constexpr int kLunghezzaBlocco0 = 65;
inline constexpr int kInizioBlocco128 = 128;
inline constexpr int kLunghezzaBlocco128 = 26;

// Every field above, for walking the whole map.
inline constexpr std::array<const Campo*, 22> kMappa = {
    &kIngresso,      &kOpzioni,   &kUscita,   &kOffsetCjc,     &kInMax,
    &kInMin,         &kOutMax,    &kOutMin,   &kRitardoSoglie, &kTolleranze,
    &kRitardo,       &kFiltro,    &kAlimentazione, &kTrigger,  &kRitardiSoglieFrequenza,
    &kCalibrazioneTensione, &kCalibrazioneCorrente, &kFisicoMax, &kFisicoMin, &kFisicoOutMax,
    &kFisicoOutMin,  &kRitardoOperatore,
};

// Bit fields.
inline constexpr int kBitsCodice = 0x1F;        // input byte: device input code
inline constexpr int kBitsSensore = 0x07;       // input byte, frequency converter: sensor index
inline constexpr int kBit50Hz = 0x08;           // input byte, frequency converter: 50 Hz filter
inline constexpr int kBitsFunzione = 0x07;      // options byte: transfer function
inline constexpr int kShiftOperatore = 3;       // options byte: operator, bits 3-6
inline constexpr int kBitRele = 0x40;           // options byte, trip models: second relay contact
inline constexpr int kBitBasso = 0x80;          // options byte: burn-out down
inline constexpr int kBitsTipoUscita = 0x03;    // output byte: output code
inline constexpr int kShiftFili = 2;            // output byte: wiring (or decimals of a frequency range), bits 2-3
inline constexpr int kBitCjcInterno = 0x10;     // output byte: internal cold-junction compensation
inline constexpr int kBitDuplicatore = 0x20;    // output byte: doubler
inline constexpr int kBit6 = 0x40;              // output byte: trip mode MIN, or the device's own bit
inline constexpr int kBitAltaVelocita = 0x80;   // output byte: high speed
inline constexpr int kBitsLinea = 0x60;         // output byte of channel A on variants 2 to 6: model line

}  // namespace korventa::memoria
