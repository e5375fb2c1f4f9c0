// Options of the virtual converter, shared by korventa-sim, the command-line
// front end and the tests, and the factory that builds an in-process port
// from them.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/faults.h"
#include "sim/measure.h"
#include "sim/sim_transport.h"
#include "sim/virtual_converter.h"

namespace korventa::sim {

struct SimOptions {
  std::string model = "PLV7100";        // catalogue model code
  std::optional<int> variant;           // overrides the model's variant (e.g. 1, or 5 for the two-input 7220 D)
  std::optional<int> product;           // product family (default 12)
  std::optional<int> firmware;          // default 4
  std::optional<int> extra;             // default 0
  std::string memoryFile;               // initial bank 0 and where writes go
  std::optional<std::array<std::uint8_t, 4>> dip;
  int baud = 0;                         // 0: unpaced
  double rate = 10.0;                   // "A" frames per second
  std::array<Signal, 2> inputSignals{};      // simulated input of channel A and B (default: the sweep)
  FaultOptions faults;
  ClockMode clock = ClockMode::Virtual;  // in-process transport only
  bool stdinExit = false;               // korventa-sim: stop when stdin reaches end of file
  std::string traceFile;                // in-process ports: every byte on the line, see SimTransport::TraceTo
  bool bench = false;                   // korventa-sim: the bench instruments too
  int benchPort = 0;                    // TCP port of the function generator (0: any)
  unsigned unit = 1;                    // seed of the unit's analogue errors
  bool help = false;
  std::shared_ptr<MeasureModel> measureModel;  // replaces the signal model when set
  std::function<void(const std::string&)> log;
};

// Parses options in command-line form, without the program name: "--model
// PLV7110A", "--baud=9600", "--split" ... Returns false with a reason on an
// unknown option or a bad value.
bool ParseSimArgs(const std::vector<std::string>& args, SimOptions& out, std::string& error);
// The same options in one comma-separated string, for a port name such as
// "sim:PLV7110A,baud=9600,split": a bare word that is not a flag is the
// model code, "key=value" is "--key value", a bare flag is "--flag".
bool ParseSimOptionString(std::string_view text, SimOptions& out, std::string& error);
// The option summary printed by --help.
std::string SimUsage();

// The converter the options describe: identity from the model code and
// overrides, the memory image from the file when it exists (it must then
// hold exactly 256 bytes; a missing file starts from the factory image and
// is created by the first write).
bool MakeConverterConfig(const SimOptions& options, ConverterConfig& out, std::string& error);

// An in-process port with that converter behind it. nullptr (and the
// reason) when the options cannot be honoured.
std::unique_ptr<SimTransport> MakeSimTransport(const SimOptions& options, std::string& error);

}  // namespace korventa::sim
