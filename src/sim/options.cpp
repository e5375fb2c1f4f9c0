#include "sim/options.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <filesystem>
#include <sstream>

namespace korventa::sim {

namespace {

bool ParseLong(const std::string& s, long min, long max, long& out) {
  if (s.empty()) return false;
  int base = 10;
  std::string_view digits = s;
  if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
    base = 16;
    digits.remove_prefix(2);
  }
  long v = 0;
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v, base);
  if (ec != std::errc() || end != digits.data() + digits.size() || v < min || v > max) return false;
  out = v;
  return true;
}

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
    long v = 0;
    if (i >= dip.size() || !ParseLong(part, 0, 255, v)) return false;
    dip[i++] = static_cast<std::uint8_t>(v);
    if (comma == std::string::npos) break;
    from = comma + 1;
  }
  out = dip;
  return true;
}

}  // namespace

bool ParseSimArgs(const std::vector<std::string>& args, SimOptions& out, std::string& error) {
  SimOptions o = out;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string name = args[i];
    std::optional<std::string> inlineValue;
    if (const auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
      inlineValue = name.substr(eq + 1);
      name.resize(eq);
    }
    auto flag = [&]() {
      if (inlineValue) error = name + " takes no value";
      return !inlineValue;
    };
    auto value = [&](std::string& v) {
      if (inlineValue) {
        v = *inlineValue;
        return true;
      }
      if (i + 1 >= args.size()) {
        error = name + " needs a value";
        return false;
      }
      v = args[++i];
      return true;
    };
    auto number = [&](long min, long max, long& v) {
      std::string text;
      if (!value(text)) return false;
      if (ParseLong(text, min, max, v)) return true;
      error = name + ": \"" + text + "\" is not a whole number from " + std::to_string(min) + " to " +
              std::to_string(max);
      return false;
    };
    auto real = [&](double min, double max, double& v) {
      std::string text;
      if (!value(text)) return false;
      if (ParseDouble(text, min, max, v)) return true;
      std::ostringstream msg;
      msg << name << ": \"" << text << "\" is not a number from " << min << " to " << max;
      error = msg.str();
      return false;
    };
    long n = 0;
    if (name == "--help" || name == "-h") {
      if (!flag()) return false;
      o.help = true;
    } else if (name == "--model") {
      if (!value(o.model)) return false;
      if (!IdentityForModel(o.model)) {
        error = "--model: unknown model code \"" + o.model + "\"";
        return false;
      }
    } else if (name == "--variant") {
      if (!number(0, 255, n)) return false;
      o.variant = static_cast<int>(n);
    } else if (name == "--product") {
      if (!number(0, 255, n)) return false;
      o.product = static_cast<int>(n);
    } else if (name == "--firmware") {
      if (!number(0, 255, n)) return false;
      o.firmware = static_cast<int>(n);
    } else if (name == "--extra") {
      if (!number(0, 255, n)) return false;
      o.extra = static_cast<int>(n);
    } else if (name == "--memory") {
      if (!value(o.memoryFile)) return false;
    } else if (name == "--dip") {
      std::string text;
      if (!value(text)) return false;
      std::array<std::uint8_t, 4> dip{};
      if (!ParseDip(text, dip)) {
        error = "--dip: \"" + text + "\" is not one to four bytes a:b:c:d";
        return false;
      }
      o.dip = dip;
    } else if (name == "--baud") {
      if (!number(0, 10000000, n)) return false;
      o.baud = static_cast<int>(n);
    } else if (name == "--rate") {
      if (!real(0.01, 1000, o.rate)) return false;
    } else if (name == "--signal-a" || name == "--signal-b") {
      std::string text;
      if (!value(text)) return false;
      if (!ParseSignal(text, o.inputSignals[name == "--signal-a" ? 0 : 1], error)) {
        error = name + ": " + error;
        return false;
      }
    } else if (name == "--seed") {
      std::string text;
      if (!value(text)) return false;
      std::uint64_t seed = 0;
      auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), seed);
      if (text.empty() || ec != std::errc() || end != text.data() + text.size()) {
        error = "--seed: \"" + text + "\" is not a whole number";
        return false;
      }
      o.faults.seed = seed;
    } else if (name == "--garbage") {
      if (!real(0, 1, o.faults.garbage)) return false;
    } else if (name == "--split") {
      if (!flag()) return false;
      o.faults.split = true;
    } else if (name == "--drop") {
      if (!real(0, 1, o.faults.drop)) return false;
    } else if (name == "--wrong-terminator") {
      if (!real(0, 1, o.faults.wrongTerminator)) return false;
    } else if (name == "--stale") {
      if (!real(0, 1, o.faults.stale)) return false;
    } else if (name == "--silent-after") {
      if (!number(0, 2000000000, n)) return false;
      o.faults.silentAfter = n;
    } else if (name == "--vanish-after") {
      if (!number(0, 2000000000, n)) return false;
      o.faults.vanishAfter = n;
    } else if (name == "--real-time") {
      if (!flag()) return false;
      o.clock = ClockMode::RealTime;
    } else if (name == "--stdin-exit") {
      if (!flag()) return false;
      o.stdinExit = true;
    } else if (name == "--bench") {
      if (!flag()) return false;
      o.bench = true;
    } else if (name == "--bench-port") {
      if (!number(0, 65535, n)) return false;
      o.benchPort = static_cast<int>(n);
    } else if (name == "--unit") {
      if (!number(0, 2000000000, n)) return false;
      o.unit = static_cast<unsigned>(n);
    } else {
      error = "unknown option \"" + args[i] + "\"";
      return false;
    }
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
  return R"(Usage: korventa-sim [options]
Runs a virtual converter behind a pseudo-terminal. The first line on
standard output is the path of the terminal to open as the serial port.
Serves until SIGINT or SIGTERM (or end of standard input with --stdin-exit).

Device:
  --model CODE          catalogue model code (default PLV7100), e.g. PLV7110A,
                        or 3200OEM (the OEM board; it answers as a PLV7150)
  --variant N           answer this variant code instead of the model's
                        (1 for the other PLV7100, 5 for the two-input 7220 D)
  --product N           product family code (default 12; 11 = older family)
  --firmware N          firmware version (default 4)
  --extra N             extra identification byte (default 0)
  --memory FILE         configuration memory image (256 raw bytes); writes
                        are saved back to it. A missing file starts from the
                        model's factory image and is created by the first
                        write. The model line of variants 2 to 6 is then the
                        one in the file's byte 4.
  --dip A:B:C[:D]       switch banks SW1, SW2, SW3, decimal or 0x.. (also
                        A,B,C,D; default all 0; 0:0:4:0 on the PLV7300);
                        in an option list: dip=0x27:0x14:0x03
  --rate N              measurement frames per second while streaming (default 10)
  --signal-a SIGNAL     simulated input of channel A, in the units of its input
  --signal-b SIGNAL     type (°C, mV, Hz ...): sweep (default: 10 % to 90 % of
                        the range and back in 20 s), steady:V,
                        ramp:LOW:HIGH[:SECONDS], sine:LOW:HIGH[:SECONDS]
                        (period 20 s unless given)

Line:
  --baud N              pace bytes at N baud, 10 bit times each (default 0:
                        unpaced)

Faults (deterministic for a given --seed). The first five apply to every
answer the converter sends: replies, the "OK" to "PR" and measurement frames.
  --garbage P           probability of 1-4 random bytes in front of an answer
  --split               send every answer in 2 or 3 pieces, 5-30 ms apart
  --drop P              probability that an answer is lost
  --wrong-terminator P  probability that an answer ends with the wrong byte
  --stale P             probability that the previous answer is repeated first
  --silent-after N      take N frames, then answer and stream nothing more
                        (0: never answer)
  --vanish-after N      take N frames, then close the terminal (the port
                        disappears); the simulator keeps running until stopped
  --seed N              seed of the fault decisions (default 1)

Bench:
  --bench               also start the bench instruments (calibrator, two
                        multimeters, relay unit, power supply, function
                        generator), each on its own terminal, wired to the
                        converter; prints one line per role with its path
  --bench-port N        TCP port of the function generator on 127.0.0.1
                        (default: any free port)
  --unit N              which simulated unit: seeds its analogue errors
                        (default 1)

Other:
  --stdin-exit          stop when standard input reaches end of file
  --real-time           (in-process ports only) run on the real clock instead
                        of a virtual one
  --help                this text
Options may also be written --name=value.
)";
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
  return std::make_unique<SimTransport>(std::move(config), options.faults, options.baud, options.clock);
}

}  // namespace korventa::sim
