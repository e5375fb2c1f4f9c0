// The converter's configuration memory: the factory image each model leaves
// the line with, and the raw image file a simulated device may live in.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "config/memory_map.h"
#include "sim/identity.h"

namespace korventa::sim {

using MemoryBank = std::array<std::uint8_t, 256>;

// Addresses of the factory image (bank 0), from the program's memory map.
namespace mem {
using namespace korventa::memoria;
inline constexpr int kInputA = kIngresso.At(0);    // input byte of channel A, B at 1
inline constexpr int kOptionsA = kOpzioni.At(0);   // options byte of channel A, B at 5
inline constexpr int kOutputA = kUscita.At(0);     // output byte of channel A, B at 6 (line bits 6-5 on A)
inline constexpr int kTripDelay = kRitardoSoglie.At(0);
inline constexpr int kRangeB = kInMax.At(1);       // range block of channel B
inline constexpr int kRangeA = kInMax.At(0);       // range block of channel A
inline constexpr int kTripsV0 = IndirizzoSoglia(TraitsOf(0), 0);  // the PLV7100: trip A floats H, L
inline constexpr int kResponseDelay = kRitardo.At(0);
inline constexpr int kTripsV7 = IndirizzoSoglia(TraitsOf(7), 0);  // the PLV7300: trip A H, L, trip B H, L
inline constexpr int kTripDelaysV7 = kRitardiSoglieFrequenza.At(0);  // the PLV7300: whole seconds of trip A, B
inline constexpr int kFilterV7 = kFiltro.At(0);
inline constexpr int kAuxSupplyV7 = kAlimentazione.At(0);
inline constexpr int kTriggerV7 = kTrigger.At(0);
inline constexpr int kCalVoltageA = kCalibrazioneTensione.At(0);  // two floats: CalOut0, CalOut1
inline constexpr int kCalCurrentA = kCalibrazioneCorrente.At(0);
inline constexpr int kCalVoltageB = kCalibrazioneTensione.At(1);
inline constexpr int kCalCurrentB = kCalibrazioneCorrente.At(1);
inline constexpr int kPhysicalV5 = kInizioBlocco128;  // the two-input model: physical scaling floats up to 152
inline constexpr int kStoredDefaults = 128;  // 4 * code + 128: stored span, then zero
}  // namespace mem

// The image a new converter of this identity holds: a plausible memory-set
// configuration for the model (input, range, 4-20 mA or 0-10 V output),
// output calibration constants, the per-type stored span/zero defaults and
// the model line bits in byte 4. Areas the configuration does not use read
// 0xFF, as erased memory does.
MemoryBank DefaultMemoryImage(const DeviceIdentity& id);

// Output value (mA or V) the converter drives for a raw output count, as its
// factory calibration has it; the constants in the image are this curve
// sampled at the raw counts 800 and 3500.
double FactoryOutput(int channel, bool current, double raw);

// Reads a 256-byte raw image. Fails (with a reason) when the file cannot be
// read or is not exactly 256 bytes long.
bool LoadMemoryImage(const std::string& path, MemoryBank& out, std::string& error);
// Writes the image beside the file first and renames it over the file, so a
// crash never leaves a half-written image behind.
bool SaveMemoryImage(const std::string& path, const MemoryBank& image, std::string& error);

// Little helpers over a bank, also used by the measurement model.
void PutWord(MemoryBank& m, int address, long value);
long GetWord(const MemoryBank& m, int address, bool isSigned);
void PutFloat(MemoryBank& m, int address, double value);
double GetFloat(const MemoryBank& m, int address);

}  // namespace korventa::sim
