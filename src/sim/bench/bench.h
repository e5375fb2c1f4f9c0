// The virtual bench: the simulated instruments, the analogue truth of the
// simulated converter, and the bench model that wires them together.
//
// The calibrator's output reaches the converter's inputs through the relay
// unit (voltage, 10 V, current or resistance terminals, or the PTC
// reference resistors of 1000 and 2000 ohm, which the converter reads as
// raw counts of its resistance front end); the converter's outputs reach
// the multimeters (channel A multimeter 0, channel B multimeter 1); the
// supply current follows the model and the supply voltage; the function
// generator drives the frequency converter's input.
//
// The converter has an analogue truth of its own, seeded and reproducible:
// a gain error per input range and channel, an output gain and offset per
// channel and a cold-junction error. It reads its input through the gain
// constants in its memory, so a calibration that finds the right constants
// makes its readings exact and a wrong one does not.
#pragma once

#include <array>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "instruments/instrument_io.h"
#include "instruments/selettori.h"
#include "link/port_factory.h"
#include "sim/bench/instruments.h"
#include "sim/measure.h"
#include "sim/options.h"
#include "sim/virtual_converter.h"

namespace korventa::sim {

// A gain-calibrated input range: its type code, the addresses of its
// constant (three bytes) for channel A and B, and the nominal constant
// (channel A of the PLV7100 and PLV7150 has its own for 10 V and 20 mA).
struct GainRange {
  int type;
  int addressA, addressB;
  double nominal;
  double nominalSingle;
};
const std::array<GainRange, 7>& GainRanges();

// The zero-trim byte of the 10 V (type 4) or 20 mA (type 5) input of a
// channel: PLV7100 and PLV7150 keep channel A's at 92 and 93, the others at
// 74 and 75 (channel A) and 85 and 86 (channel B). -1 for other inputs.
int ZeroTrimAddress(const DeviceIdentity& id, int type, int channel);
// What a trim byte adds to the reading, in mV or µA: a byte above 127
// takes 255 - byte away, the others add the byte.
double ZeroTrim(std::uint8_t trim);

struct AnalogueTruth {
  // The constant that makes each range read exactly, per channel, by the
  // range's index in GainRanges().
  std::array<std::array<double, 7>, 2> gainConstant{};
  // Output stage: physical = nominal(raw) * (1 + gain) + offset, in mA or V.
  std::array<double, 2> outputGain{};
  std::array<double, 2> outputOffset{};
  // The cold-junction sensor reads this much high (°C).
  double cjcError = 0;
  // The unit draws this much more supply current than its model (mA).
  double extraSupply_mA = 0;
  // Zero error of the 10 V (mV) and 20 mA (µA) inputs per channel, which the
  // zero-trim byte corrects.
  std::array<std::array<double, 2>, 2> zeroError{};
  // The resistance front end of the PTC input (and the OEM board's
  // thermistor input) per channel: an excitation of Veq counts behind Req
  // ohms, so R on the terminals reads Veq * R / (Req + R) counts. The
  // constants the converter keeps in memory must match them.
  std::array<double, 2> dividerVeq{};
  std::array<double, 2> dividerReq{};

  static AnalogueTruth Seeded(unsigned seed, const DeviceIdentity& id);
  // The range's true constant for this converter.
  double Constant(const DeviceIdentity& id, int type, int channel) const;
};

struct BenchOptions {
  unsigned seed = 1;
  int multimeters = 2;
  // What the converter's inputs follow until the first instrument is used
  // (the simulator's usual signals), so a simulated converter with a bench
  // behind it looks like one without until the factory functions start.
  std::array<Signal, 2> idleSignals{};
};

class VirtualBench {
 public:
  VirtualBench(const DeviceIdentity& id, BenchOptions options = {});
  ~VirtualBench();
  VirtualBench(const VirtualBench&) = delete;
  VirtualBench& operator=(const VirtualBench&) = delete;

  BenchState& State() { return state_; }
  const AnalogueTruth& Truth() const { return truth_; }
  // A unit with a fault of its own: tests change its truth.
  AnalogueTruth& Truth() { return truth_; }
  const BenchOptions& Options() const { return options_; }
  // The converter's measurement model; put it in ConverterConfig::model.
  std::shared_ptr<MeasureModel> Model() { return model_; }
  // The converter the bench is wired to, once it exists.
  void Attach(VirtualConverter& converter) { converter_ = &converter; }
  // Set when an instrument first hears from the program: from then on the
  // bench drives the converter's inputs.
  void Engage() { engaged_ = true; }
  bool Engaged() const { return engaged_; }

  SimInstrument* Instrument(BenchRole role);
  SimFunctionGenerator& Generator() { return *generator_; }
  SimMultimeter& Multimeter(int index) { return index == 1 ? *mult1_ : *mult0_; }
  // The line speed the instrument's serial port runs at.
  static int Baud(BenchRole role) { return role == BenchRole::Supply ? 2400 : 9600; }

  // What the converter's input of that channel sees, in the engineering
  // units of the type it works with (after its own gain error and the gain
  // constant in memory).
  double PerceivedInput(const MeasureContext& context, const ActiveChannel& channel, int index) const;
  // The count a channel in its raw set-up sends instead of its output, or
  // nullopt: the 800 mV code with the PTC reference network on its
  // terminals (the OEM board: channel A while its byte 1 holds 3).
  std::optional<double> RawCount(const MeasureContext& context, const ActiveChannel& channel, int index) const;
  // What a multimeter measures on the converter's output (V or A).
  double MultimeterValue(int channel, bool current);
  // The supply current in amperes.
  double SupplyCurrent() const;

  // In-process ports: names (as the instrument layer asks for them, e.g.
  // "COM3") mapped to instruments. Unknown names give no port.
  std::unique_ptr<PortFactory> Ports(std::map<std::string, BenchRole> names);
  // In-process USB/LAN channels: resources mapped to instruments (the
  // generator, or a multimeter speaking its USB dialect).
  std::unique_ptr<InstrumentIoFactory> Channels(std::map<std::string, BenchRole> resources);

 private:
  // The input codes read through the resistance front end: KTY84-150 (25),
  // on the OEM board its own thermistor code (20).
  static bool ResistanceThermometer(const DeviceIdentity& id, int code);
  // The resistance the relays put on the input terminals (none: open).
  std::optional<double> TerminalOhms(const DeviceIdentity& id) const;
  double DividerCount(const DeviceIdentity& id, int channel) const;
  // What the converter reads on its resistance thermometer input (°C).
  double Temperature(const MeasureContext& context, int channel) const;

  DeviceIdentity id_;
  BenchOptions options_;
  BenchState state_;
  AnalogueTruth truth_;
  BenchProbe probe_;
  std::unique_ptr<SimCalibrator> cal_;
  std::unique_ptr<SimMultimeter> mult0_, mult1_;
  std::unique_ptr<SimRelayUnit> relays_;
  std::unique_ptr<SimPowerSupply> supply_;
  std::unique_ptr<SimFunctionGenerator> generator_;
  std::shared_ptr<MeasureModel> model_;
  VirtualConverter* converter_ = nullptr;
  bool engaged_ = false;
};

// The in-process converter the options describe, with a virtual bench
// behind it (made into `bench`, seeded by options.unit). Null with the
// reason when the options cannot be honoured.
std::unique_ptr<SimTransport> MakeSimTransportWithBench(SimOptions options, std::unique_ptr<VirtualBench>& bench,
                                                        std::string& error);

// The port each role's selector names, for VirtualBench::Ports: the bench
// answers wherever the selectors point.
std::map<std::string, BenchRole> BenchPortNames(const SelettoriStrumenti& selectors);

// The roles by their command-line names ("supply", "switch", "mult",
// "mult1", "cal", "gen").
const char* BenchRoleName(BenchRole role);

}  // namespace korventa::sim
