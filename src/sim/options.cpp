#include "sim/options.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <sstream>

#include "app/command_line.h"

namespace korventa::sim {

namespace {

bool ParseDouble(const std::string& s, double min, double max, double& out) {
  if (s.empty()) return false;
  std::istringstream in(s);
  in.imbue(std::locale::classic());
  double v = 0;
  in >> v;
  if (!in || !in.eof() || !(v >= min && v <= max)) return false;
  out = v;
  return true;
}

bool ParseDip(const std::string& s, std::array<std::uint8_t, 4>& out) {
  std::array<std::uint8_t, 4> dip{};
  std::size_t i = 0, from = 0;
  for (;;) {
    // ":" lets the banks stand inside a comma-separated option list
    // ("PLV7100,dip=0x27:0x14:0x03").
    const std::size_t comma = s.find_first_of(",:", from);
    const std::string part = s.substr(from, comma == std::string::npos ? std::string::npos : comma - from);
    long long v = 0;
    if (i >= dip.size() || !ParseWholeNumber(part, 0, 255, v)) return false;
    dip[i++] = static_cast<std::uint8_t>(v);
    if (comma == std::string::npos) break;
    from = comma + 1;
  }
  out = dip;
  return true;
}

// The options of korventa-sim, bound to o.
void DescribeSimOptions(CLI::App& app, SimOptions& o) {
  StyleCommandLine(app,
                   "The first line on standard output is the path of the terminal to open as the serial port.\n"
                   "--memory: a missing file starts from the model's factory image and is created by the first\n"
                   "write; the model line of variants 2 to 6 is then the one in the file's byte 4.\n"
                   "--signal-a/-b, in the units of the channel's input type (°C, mV, Hz ...): sweep (default:\n"
                   "10 % to 90 % of the range and back in 20 s), steady:V, ramp:LOW:HIGH[:SECONDS],\n"
                   "sine:LOW:HIGH[:SECONDS] (period 20 s unless given).\n"
                   "Faults are deterministic for a given --seed; the first five apply to every answer the\n"
                   "converter sends: replies, the \"OK\" to \"PR\" and measurement frames.\n"
                   "Exit codes: 0 stopped by SIGINT or SIGTERM (or end of input with --stdin-exit),\n"
                   "1 the terminal could not be opened, 2 usage.");
  const std::string device = "Device", line = "Line", faults = "Faults", other = "Other";
  auto number = [&](const std::string& name, auto& target, long long lo, long long hi, const std::string& help,
                    const std::string& group) { AddNumberOption(app, name, target, lo, hi, help)->group(group); };
  auto real = [&](const std::string& name, double& target, double lo, double hi, const std::string& help,
                  const std::string& group) {
    app.add_option_function<std::string>(
           name,
           [&target, name, lo, hi](const std::string& text) {
             if (ParseDouble(text, lo, hi, target)) return;
             std::ostringstream msg;
             msg << "\"" << text << "\" is not a number from " << lo << " to " << hi;
             throw CLI::ValidationError(name, msg.str());
           },
           help)
        ->type_name("X")
        ->group(group);
  };

  app.add_option_function<std::string>(
         "--model",
         [&o](const std::string& code) {
           if (!IdentityForModel(code)) throw CLI::ValidationError("--model", "unknown model code \"" + code + "\"");
           o.model = code;
         },
         "catalogue model code (default PLV7100), e.g. PLV7110A, or 3200OEM (the OEM board; it answers as a "
         "PLV7150)")
      ->type_name("CODE")
      ->group(device);
  number("--variant", o.variant, 0, 255,
         "answer this variant code instead (1: the other PLV7100, 5: the two-input 7220 D)",
         device);
  number("--product", o.product, 0, 255, "product family code (default 12; 11 = older family)", device);
  number("--firmware", o.firmware, 0, 255, "firmware version (default 4)", device);
  number("--extra", o.extra, 0, 255, "extra identification byte (default 0)", device);
  app.add_option("--memory", o.memoryFile,
                 "configuration memory image (256 raw bytes), where writes are saved (see below)")
      ->type_name("FILE")
      ->group(device);
  app.add_option_function<std::string>(
         "--dip",
         [&o](const std::string& text) {
           std::array<std::uint8_t, 4> dip{};
           if (!ParseDip(text, dip))
             throw CLI::ValidationError("--dip", "\"" + text + "\" is not one to four bytes a:b:c:d");
           o.dip = dip;
         },
         "switch banks SW1, SW2, SW3, decimal or 0x.. (also A,B,C,D; default all 0; 0:0:4:0 on the PLV7300); "
         "in an option list: dip=0x27:0x14:0x03")
      ->type_name("A:B:C[:D]")
      ->group(device);
  real("--rate", o.rate, 0.01, 1000, "measurement frames per second while streaming (default 10)", device);
  for (std::size_t ch = 0; ch < 2; ++ch) {
    const std::string name = ch == 0 ? "--signal-a" : "--signal-b";
    app.add_option_function<std::string>(
           name,
           [&o, ch, name](const std::string& text) {
             std::string error;
             if (!ParseSignal(text, o.inputSignals[ch], error)) throw CLI::ValidationError(name, error);
           },
           std::string("simulated input of channel ") + (ch == 0 ? "A" : "B") + " (see below)")
        ->type_name("SIGNAL")
        ->group(device);
  }
  number("--baud", o.baud, 0, 10000000, "pace bytes at N baud, 10 bit times each (default 0: unpaced)", line);

  real("--garbage", o.faults.garbage, 0, 1, "probability of 1-4 random bytes in front of an answer", faults);
  app.add_flag("--split", o.faults.split, "send every answer in 2 or 3 pieces, 5-30 ms apart")
      ->disable_flag_override()
      ->group(faults);
  real("--drop", o.faults.drop, 0, 1, "probability that an answer is lost", faults);
  real("--wrong-terminator", o.faults.wrongTerminator, 0, 1,
       "probability that an answer ends with the wrong byte", faults);
  real("--stale", o.faults.stale, 0, 1, "probability that the previous answer is repeated first", faults);
  number("--silent-after", o.faults.silentAfter, 0, 2000000000,
         "take N frames, then answer and stream nothing more (0: never answer)", faults);
  number("--vanish-after", o.faults.vanishAfter, 0, 2000000000,
         "take N frames, then close the terminal (the port disappears) and keep running",
         faults);
  app.add_option_function<std::string>(
         "--seed",
         [&o](const std::string& text) {
           std::uint64_t seed = 0;
           auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), seed);
           if (text.empty() || ec != std::errc() || end != text.data() + text.size())
             throw CLI::ValidationError("--seed", "\"" + text + "\" is not a whole number");
           o.faults.seed = seed;
         },
         "seed of the fault decisions (default 1)")
      ->type_name("N")
      ->group(faults);

  app.add_flag("--bench", o.bench,
               "also start the bench instruments (calibrator, two multimeters, relay unit, power supply, "
               "function generator), each on its own terminal, wired to the converter; prints one line per role "
               "with its path")
      ->disable_flag_override()
      ->group("Bench");
  number("--bench-port", o.benchPort, 0, 65535,
         "TCP port of the function generator on 127.0.0.1 (default: any free port)", "Bench");
  number("--unit", o.unit, 0, 2000000000, "which simulated unit: seeds its analogue errors (default 1)", "Bench");
  app.add_flag_callback("--stdin-exit", [&o] { o.stdinExit = true; }, "stop when standard input reaches end of file")
      ->disable_flag_override()
      ->group(other);
  app.add_option("--trace", o.traceFile,
                 "(in-process ports only) write every byte sent and received to FILE, without timing")
      ->type_name("FILE")
      ->group(other);
  app.add_flag_callback("--real-time", [&o] { o.clock = ClockMode::RealTime; },
                        "(in-process ports only) run on the real clock instead of a virtual one")
      ->disable_flag_override()
      ->group(other);
}

CLI::App SimApp() {
  return CLI::App("Runs a virtual converter behind a pseudo-terminal until SIGINT or SIGTERM.", "korventa-sim");
}

}  // namespace

bool ParseSimArgs(const std::vector<std::string>& args, SimOptions& out, std::string& error) {
  SimOptions o = out;
  CLI::App app = SimApp();
  DescribeSimOptions(app, o);
  switch (ParseCommandLine(app, args, error)) {
    case CommandLine::Error:
      return false;
    case CommandLine::Help:
      o.help = true;
      break;
    case CommandLine::Run:
      break;
  }
  out = std::move(o);
  return true;
}

bool ParseSimOptionString(std::string_view text, SimOptions& out, std::string& error) {
  static constexpr std::string_view kFlags[] = {"split", "real-time", "stdin-exit", "bench", "help"};
  std::vector<std::string> args;
  std::size_t from = 0;
  while (from <= text.size()) {
    std::size_t comma = text.find(',', from);
    if (comma == std::string_view::npos) comma = text.size();
    std::string item(text.substr(from, comma - from));
    from = comma + 1;
    if (item.empty()) continue;
    const auto eq = item.find('=');
    if (eq != std::string::npos) {
      args.push_back("--" + item.substr(0, eq));
      args.push_back(item.substr(eq + 1));
    } else if (std::find(std::begin(kFlags), std::end(kFlags), item) != std::end(kFlags)) {
      args.push_back("--" + item);
    } else {
      args.push_back("--model");
      args.push_back(item);
    }
  }
  return ParseSimArgs(args, out, error);
}

std::string SimUsage() {
  SimOptions o;
  CLI::App app = SimApp();
  DescribeSimOptions(app, o);
  return HelpText(app);
}

bool MakeConverterConfig(const SimOptions& o, ConverterConfig& out, std::string& error) {
  auto id = IdentityForModel(o.model);
  if (!id) {
    error = "unknown model code \"" + o.model + "\"";
    return false;
  }
  if (o.variant) id->variant = static_cast<std::uint8_t>(*o.variant);
  if (o.product) id->product = static_cast<std::uint8_t>(*o.product);
  if (o.firmware) id->firmware = static_cast<std::uint8_t>(*o.firmware);
  if (o.extra) id->extra = static_cast<std::uint8_t>(*o.extra);

  ConverterConfig c;
  c.identity = *id;
  if (!o.memoryFile.empty()) {
    std::error_code ec;
    if (std::filesystem::exists(o.memoryFile, ec)) {
      MemoryBank image{};
      if (!LoadMemoryImage(o.memoryFile, image, error)) return false;
      c.memory = image;
    }
    c.memoryFile = o.memoryFile;
  }
  if (o.dip) {
    c.dip = *o.dip;
  } else if (id->variant == 7) {
    c.dip = {0, 0, 0x04, 0};  // output 4-20 mA on the frequency converter's third bank
  }
  c.frameRate = o.rate;
  // A frame's bytes follow each other closely; a pause of several byte
  // times means the rest is not coming.
  const auto byteTime = o.baud > 0 ? std::chrono::duration<double>(10.0 / o.baud) : std::chrono::duration<double>(0);
  c.interByteTimeout = std::max<Clock::duration>(std::chrono::milliseconds(100),
                                                 std::chrono::duration_cast<Clock::duration>(byteTime * 4));
  c.silentAfter = o.faults.silentAfter;
  c.vanishAfter = o.faults.vanishAfter;
  c.model = o.measureModel;
  const bool sweeps = o.inputSignals[0].kind == Signal::Kind::Sweep && o.inputSignals[1].kind == Signal::Kind::Sweep;
  if (!c.model && !sweeps) c.model = std::make_shared<SignalModel>(o.inputSignals);
  c.log = o.log;
  out = std::move(c);
  return true;
}

std::unique_ptr<SimTransport> MakeSimTransport(const SimOptions& options, std::string& error) {
  ConverterConfig config;
  if (!MakeConverterConfig(options, config, error)) return nullptr;
  auto port = std::make_unique<SimTransport>(std::move(config), options.faults, options.baud, options.clock);
  if (!options.traceFile.empty() && !port->TraceTo(options.traceFile)) {
    error = "cannot write the trace file " + options.traceFile;
    return nullptr;
  }
  return port;
}

}  // namespace korventa::sim
