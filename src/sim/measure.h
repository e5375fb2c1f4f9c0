// What the converter measures while it streams, and how it packs a reading
// into an "A" frame.
//
// The physics lives behind MeasureModel so that a finer model of the inputs
// can replace the default one without touching the converter or the frame
// layout. The default model takes a simulated signal per channel (a slow
// sweep unless told otherwise), drives the output the channel is set up for
// through the output calibration in memory, and raises the trip bits from
// the thresholds in memory.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "sim/identity.h"
#include "sim/memory_image.h"

namespace korventa::sim {

// One reading: what the frame carries before it is encoded.
struct MeasureSample {
  std::array<double, 2> outputRaw{};  // output of channel A and B, raw counts (800 and 3500 are the calibration points)
  std::array<double, 2> input{};      // input of channel A and B in engineering units (Hz on variant 7)
  std::uint8_t status = 0;            // bit 0 trip A, bit 1 trip B, bit 2 alarm, bits 4-5 trip A/B pending
  // Input type code channel A is working with (switches or memory); the
  // memory's when not given.
  std::optional<int> inputCodeA;
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

// The simulated input of one channel, in the engineering units of the
// channel's input type (°C, mV, Hz ...).
struct Signal {
  enum class Kind {
    Sweep,   // sine between 10 % and 90 % of the channel's range, 20 s; channel B a quarter period behind
    Steady,  // `low` all the time
    Ramp,    // from `low` to `high` in `period` seconds, then again from `low`
    Sine,    // between `low` and `high`, one cycle every `period` seconds, starting mid-way and rising
  };
  Kind kind = Kind::Sweep;
  double low = 0;
  double high = 0;
  double period = 20;
};

// "sweep", "steady:V", "ramp:LOW:HIGH[:PERIOD]", "sine:LOW:HIGH[:PERIOD]".
bool ParseSignal(std::string_view text, Signal& out, std::string& error);

// What a channel is working with, as the converter works it out from its
// switch banks, its span/zero tables and its configuration memory: a
// channel whose input code the switches set takes its range from the
// tables (or from the two stored words where the switches stand at 0) and
// its output from the switches; otherwise everything comes from memory.
struct ActiveChannel {
  int code = 0;       // input type code (catalogue numbering)
  int decimals = 0;
  double inMin = 0, inMax = 0;
  int outputType = 0;
  bool extendedOutput = false;  // outputType counts in the two-output models' list
  double outMin = 0, outMax = 0;
  int function = 0;  // 0 linear, 1 tank, 2 square root
  bool current = false;
  bool fromSwitches = false;
};
std::array<ActiveChannel, 2> ActiveChannels(const DeviceIdentity& id, const MemoryBank& memory,
                                            const std::array<std::uint8_t, 4>& dip);

// Whether the model drives a second output; the frame then carries its value
// in full where the older frame layout puts the status byte (m(5)).
bool HasSecondOutput(const DeviceIdentity& id);

// The default model: the signals drive the active channels' outputs, which
// are turned into raw counts with the calibration constants in memory, so a
// client that scales with those constants reads back the configured output
// and, through the range, the signal. Forced outputs replace the computed
// ones. Variants 0 and 7 raise their trip bits from the thresholds in memory
// with the hysteresis between the high and the low value: the pending bit
// (4 or 5) while the trip's delay runs, then the trip bit.
class SignalModel : public MeasureModel {
 public:
  explicit SignalModel(std::array<Signal, 2> inputSignals = {});
  MeasureSample Sample(const MeasureContext& context) override;

 private:
  std::array<Signal, 2> signals_;
  std::array<bool, 2> tripped_{false, false};
  std::array<std::optional<double>, 2> pendingSince_;
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
// (m(5) is the status byte on family 11 and on family-12 models without a
// second output, except variants 0 and 7), m(8..10) input A, m(11..13) input
// B on variant 5 and input A otherwise (times 1000 for the 10 V and 20 mA
// inputs of variant 0), m(14) the status byte.
std::string EncodeMeasureFrame(const MeasureSample& sample, const DeviceIdentity& id, const MemoryBank& memory);

}  // namespace korventa::sim
