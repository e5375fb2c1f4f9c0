// The simulated bench instruments: each takes the bytes the program sends
// and answers as the real instrument does. They share one BenchState, the
// physical state of the bench (what the calibrator drives, which relays are
// closed, what the supply delivers ...); the bench model (bench.h) wires
// that state to the simulated converter.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>

namespace korventa::sim {

enum class BenchRole { Supply, Switch, Mult, Mult1, Cal, Generator };

// What the instruments set and the bench model reads.
struct BenchState {
  // Calibrator: output function (0..5) and value in its units, remote
  // control, and the ambient temperature it measures (°C).
  int calFunction = 0;
  double calValue = 0;
  bool calRemote = false;
  double ambient = 23.4;
  // Relay switch unit: the closed channels.
  std::set<int> closed;
  // Power supply.
  bool supplyOn = false;
  double supplyVolts = 0;
  // Multimeters: "VOLT" or "CURR", and remote control.
  std::array<std::string, 2> multFunction{"VOLT", "VOLT"};
  std::array<bool, 2> multRemote{false, false};
  int beeps = 0;
  // Function generator.
  bool genOutput = false;
  std::string genFunction = "SIN";
  double genFrequency = 1000;
  double genVolts = 1;
  double genOffset = 0;
  // A faulty generator (for tests): the hertz its output is off by at some
  // set frequencies.
  std::map<double, double> genFrequencyError;
  // Instruments switched off answer nothing.
  std::set<BenchRole> off;
};

// What an instrument needs to know of the world beyond its own state.
struct BenchProbe {
  // The value a multimeter measures on its channel (0 = A, 1 = B) in volts
  // or amperes for its function.
  std::function<double(int channel, bool current)> multimeter;
  // The supply current in amperes at the set voltage (0 when off).
  std::function<double()> supplyCurrent;
};

class SimInstrument {
 public:
  virtual ~SimInstrument() = default;
  // One byte from the program; returns the bytes the instrument answers.
  virtual std::string Receive(std::uint8_t byte) = 0;
  virtual BenchRole Role() const = 0;
};

// Instruments that take text commands ending with CR and/or LF.
class LineInstrument : public SimInstrument {
 public:
  std::string Receive(std::uint8_t byte) override;
  // One command without its line end; returns the answer (with its line
  // end) or nothing.
  virtual std::string Command(const std::string& line) = 0;

 private:
  std::string line_;
};

// Calibrator: seven-byte packets, every byte answered with one byte.
class SimCalibrator final : public SimInstrument {
 public:
  explicit SimCalibrator(BenchState& state) : state_(state) {}
  std::string Receive(std::uint8_t byte) override;
  BenchRole Role() const override { return BenchRole::Cal; }

 private:
  BenchState& state_;
  std::array<std::uint8_t, 7> packet_{};
  std::size_t at_ = 0;
  std::array<std::uint8_t, 4> reply_{};
};

// Multimeter: ":SYST:REM", ":SYST:LOC", ":CONF:VOLT:DC", ":CONF:CURR:DC",
// ":READ?", "SYST:BEEP" on its serial port; the USB dialect
// "CONF:VOLT:DC 100,0.001", "SENS:VOLT:DC:NPLC 1", "READ?" too.
class SimMultimeter final : public LineInstrument {
 public:
  SimMultimeter(BenchState& state, const BenchProbe& probe, int index) : state_(state), probe_(probe), index_(index) {}
  std::string Command(const std::string& line) override;
  BenchRole Role() const override { return index_ == 0 ? BenchRole::Mult : BenchRole::Mult1; }
  // Serial replies end with CR LF; the USB channel adds its own.
  bool usb = false;

 private:
  BenchState& state_;
  const BenchProbe& probe_;
  int index_;
};

// Relay switch unit: "rout:open (@ch)", "rout:close (@ch)".
class SimRelayUnit final : public LineInstrument {
 public:
  explicit SimRelayUnit(BenchState& state) : state_(state) {}
  std::string Command(const std::string& line) override;
  BenchRole Role() const override { return BenchRole::Switch; }

 private:
  BenchState& state_;
};

// Power supply: "SV volts", "KOE", "KOD", "A" (the current, answered as
// "I0.024A" CR LF: the amperes in characters 2 to 6).
class SimPowerSupply final : public LineInstrument {
 public:
  SimPowerSupply(BenchState& state, const BenchProbe& probe) : state_(state), probe_(probe) {}
  std::string Command(const std::string& line) override;
  BenchRole Role() const override { return BenchRole::Supply; }

 private:
  BenchState& state_;
  const BenchProbe& probe_;
};

// Function generator on the USB/LAN channel: "*RST", "FUNCtion ...",
// "VOLTage ...", "VOLTage:OFFSet ...", "FREQuency ...", "OUTPut ON|OFF",
// "DATA VOLATILE, ...", "DATA:COPY ...", "FUNCtion:USER ...", "*IDN?".
class SimFunctionGenerator final : public LineInstrument {
 public:
  explicit SimFunctionGenerator(BenchState& state) : state_(state) {}
  std::string Command(const std::string& line) override;
  BenchRole Role() const override { return BenchRole::Generator; }
  // The last arbitrary waveform loaded ("DATA VOLATILE, ..."), its points.
  std::size_t userPoints = 0;
  std::string userName;

 private:
  BenchState& state_;
};

// The number in a command's argument ("SV 24.00" gives 24); nullopt when
// there is none.
std::optional<double> ArgumentNumber(const std::string& line);

}  // namespace korventa::sim
