// What the converter measures while it streams, and how it packs a reading
// into an "A" frame.
//
// The physics lives behind MeasureModel so that a finer model of the inputs
// can replace the default sweep without touching the converter or the frame
// layout.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "sim/identity.h"
#include "sim/memory_image.h"

namespace korventa::sim {

// One reading: what the frame carries before it is encoded.
struct MeasureSample {
  std::array<double, 2> outputRaw{};  // output of channel A and B, raw counts (800 and 3500 are the calibration points)
  std::array<double, 2> input{};      // input of channel A and B in engineering units (Hz on variant 7)
  std::uint8_t status = 0;            // bit 0 trip A, bit 1 trip B, bit 2 alarm, bits 4-5 trip pending
};

struct MeasureContext {
  const DeviceIdentity& id;
  const MemoryBank& memory;                  // bank 0, the configuration
  const std::array<std::uint8_t, 4>& dip;    // switch banks
  std::array<std::optional<int>, 2> forced;  // raw outputs forced by "$I" / "$i"
  double seconds;                            // since the converter was switched on
};

class MeasureModel {
 public:
  virtual ~MeasureModel() = default;
  virtual MeasureSample Sample(const MeasureContext& context) = 0;
};

// The default model: each input sweeps slowly (20 s period, channel B a
// quarter period behind) between 10 % and 90 % of the range configured in
// memory; the output follows the configured transfer (linear or square
// root) and is turned into raw counts with the calibration constants in
// memory, so a client that scales with those constants reads back the
// configured output. Forced outputs replace the computed ones. Variants 0
// and 7 drive their trip bits from the trip values in memory, with the
// hysteresis between the high and low value.
class SweepModel : public MeasureModel {
 public:
  MeasureSample Sample(const MeasureContext& context) override;

 private:
  std::array<bool, 2> tripped_{false, false};
};

std::unique_ptr<MeasureModel> MakeDefaultMeasureModel();

// The 3-byte measurement float (sign bit, 15-bit fraction, separate biased
// exponent): returns (hi, lo, e). Zero and values below the format's range
// give its smallest magnitude.
std::array<std::uint8_t, 3> EncodeMeasureFloat(double x);
// The same with the first byte fixed (frames that carry the status byte in
// it): the closest value the remaining two bytes can express.
std::array<std::uint8_t, 3> EncodeMeasureFloatWithHigh(double x, std::uint8_t hi);

// Length of an "A" frame including the lead "A" and the closing CR.
int MeasureFrameLength(int product, int variant);
// The frame: "A", the bytes m(1).., CR. m(2..4) output A, m(5..7) output B
// (m(5) is the status byte except on family 12 variants 0 and 7), m(8..10)
// input A, m(11..13) input B on variant 5 and input A otherwise (times 1000
// for the 10 V and 20 mA inputs of variant 0), m(14) the status byte.
std::string EncodeMeasureFrame(const MeasureSample& sample, const DeviceIdentity& id, const MemoryBank& memory);

}  // namespace korventa::sim
