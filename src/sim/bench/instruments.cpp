#include "sim/bench/instruments.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace korventa::sim {

namespace {

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

// SCPI keywords may be sent in their short form ("FREQ") or long form
// ("FREQUENCY"), in any letter case.
bool Keyword(const std::string& word, const char* shortForm, const char* longForm) {
  return word == shortForm || word == longForm;
}

// What follows the command word, without the blank between.
std::string Rest(const std::string& line, const std::string& word) {
  return line.size() > word.size() + 1 ? line.substr(word.size() + 1) : std::string();
}

std::string Scientific(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%+.8E", v);
  return buf;
}

}  // namespace

std::optional<double> ArgumentNumber(const std::string& line) {
  const auto space = line.find_first_of(" \t");
  if (space == std::string::npos) return std::nullopt;
  const auto from = line.find_first_not_of(" \t", space);
  if (from == std::string::npos) return std::nullopt;
  std::string arg = line.substr(from);
  arg = arg.substr(0, arg.find_first_of(", \t"));
  if (!arg.empty() && arg[0] == '+') arg.erase(0, 1);
  double v = 0;
  const auto [ptr, ec] = std::from_chars(arg.data(), arg.data() + arg.size(), v);
  if (ec != std::errc() || ptr == arg.data()) return std::nullopt;
  return v;
}

std::string LineInstrument::Receive(std::uint8_t byte) {
  if (byte == '\r' || byte == '\n') {
    if (line_.empty()) return {};
    std::string line;
    line.swap(line_);
    return Command(line);
  }
  if (line_.size() < 4096) line_ += static_cast<char>(byte);
  return {};
}

std::string SimCalibrator::Receive(std::uint8_t byte) {
  packet_[at_] = byte;
  std::uint8_t answer = byte;
  if (at_ == 1 && byte == 1) {
    // A measurement read: the answers to the data bytes carry the ambient
    // temperature in hundredths of a degree, most significant first.
    const auto t = static_cast<std::uint32_t>(std::lround(std::max(0.0, state_.ambient) * 100));
    reply_ = {static_cast<std::uint8_t>(t >> 24), static_cast<std::uint8_t>(t >> 16),
              static_cast<std::uint8_t>(t >> 8), static_cast<std::uint8_t>(t)};
  }
  if (at_ >= 2 && at_ <= 5) answer = packet_[1] == 1 ? reply_[at_ - 2] : byte;
  if (++at_ < packet_.size()) return std::string(1, static_cast<char>(answer));
  at_ = 0;
  const auto& p = packet_;
  const bool valid = p[0] == 1 && p[6] == ((p[2] + p[3] + p[4] + p[5]) & 127);
  if (valid) {
    const std::uint32_t raw = (static_cast<std::uint32_t>(p[2]) << 24) | (static_cast<std::uint32_t>(p[3]) << 16) |
                              (static_cast<std::uint32_t>(p[4]) << 8) | p[5];
    switch (p[1]) {
      case 128:
        // Codes 0 to 5 are output functions; 8 selects the temperature
        // measurement and leaves the output alone.
        if (p[2] <= 5) state_.calFunction = p[2];
        break;
      case 129:
        state_.calValue = static_cast<double>(static_cast<std::int32_t>(raw));
        break;
      case 130:
        state_.calRemote = p[2] != 0;
        break;
      default:
        break;
    }
  }
  return std::string(1, static_cast<char>(answer));
}

std::string SimMultimeter::Command(const std::string& text) {
  std::string line = Upper(text);
  if (!line.empty() && line[0] == ':') line.erase(0, 1);
  const std::string end = usb ? "" : "\r\n";
  const auto i = static_cast<std::size_t>(index_);
  if (line == "SYST:REM") state_.multRemote[i] = true;
  if (line == "SYST:LOC") state_.multRemote[i] = false;
  if (line == "SYST:BEEP") ++state_.beeps;
  if (StartsWith(line, "CONF:VOLT") || StartsWith(line, "SENS:VOLT")) state_.multFunction[i] = "VOLT";
  if (StartsWith(line, "CONF:CURR") || StartsWith(line, "SENS:CURR")) state_.multFunction[i] = "CURR";
  if (line == "*IDN?") return "KORVENTA,SIM-DMM," + std::to_string(index_) + ",1.0" + end;
  if (line == "READ?") {
    const bool current = state_.multFunction[i] == "CURR";
    const double v = probe_.multimeter ? probe_.multimeter(index_, current) : 0.0;
    return Scientific(v) + end;
  }
  return {};
}

std::string SimRelayUnit::Command(const std::string& text) {
  const std::string line = Upper(text);
  const bool open = StartsWith(line, "ROUT:OPEN");
  const bool close = StartsWith(line, "ROUT:CLOSE");
  if (!open && !close) return {};
  // "(@101)" or a list "(@101,102)".
  const auto at = line.find("(@");
  if (at == std::string::npos) return {};
  std::size_t p = at + 2;
  while (p < line.size() && line[p] != ')') {
    int channel = 0;
    const auto [ptr, ec] = std::from_chars(line.data() + p, line.data() + line.size(), channel);
    if (ec != std::errc()) break;
    if (open)
      state_.closed.erase(channel);
    else
      state_.closed.insert(channel);
    p = static_cast<std::size_t>(ptr - line.data());
    if (p < line.size() && line[p] == ',') ++p;
  }
  return {};
}

std::string SimPowerSupply::Command(const std::string& text) {
  const std::string line = Upper(text);
  if (StartsWith(line, "SV")) {
    if (auto v = ArgumentNumber(line)) state_.supplyVolts = std::clamp(*v, 0.0, 60.0);
  } else if (line == "KOE") {
    state_.supplyOn = true;
  } else if (line == "KOD") {
    state_.supplyOn = false;
  } else if (line == "A") {
    const double amps = state_.supplyOn && probe_.supplyCurrent ? probe_.supplyCurrent() : 0.0;
    char buf[16];
    std::snprintf(buf, sizeof buf, "I%5.3fA\r\n", std::clamp(amps, 0.0, 9.999));
    return buf;
  }
  return {};
}

std::string SimFunctionGenerator::Command(const std::string& text) {
  const std::string line = Upper(text);
  const std::string word = line.substr(0, line.find_first_of(" \t"));
  auto number = ArgumentNumber(line);
  if (line == "*RST") {
    state_.genOutput = false;
    state_.genFunction = "SIN";
    state_.genFrequency = 1000;
    state_.genVolts = 0.1;
    state_.genOffset = 0;
  } else if (line == "*IDN?") {
    return "KORVENTA,SIM-FGEN,0,1.0\n";
  } else if (Keyword(word, "FUNC", "FUNCTION")) {
    state_.genFunction = Rest(line, word);
  } else if (Keyword(word, "FUNC:USER", "FUNCTION:USER")) {
    state_.genFunction = "USER " + Rest(line, word);
  } else if (Keyword(word, "VOLT", "VOLTAGE") && number) {
    state_.genVolts = *number;
  } else if (Keyword(word, "VOLT:OFFS", "VOLTAGE:OFFSET") && number) {
    state_.genOffset = *number;
  } else if (Keyword(word, "FREQ", "FREQUENCY") && number) {
    state_.genFrequency = *number;
  } else if (Keyword(word, "OUTP", "OUTPUT")) {
    state_.genOutput = line.find("ON") != std::string::npos;
  } else if (word == "DATA" && line.find("VOLATILE") != std::string::npos) {
    userPoints = static_cast<std::size_t>(std::count(line.begin(), line.end(), ','));
  } else if (word == "DATA:COPY") {
    userName = Rest(line, word);
  } else if (word == "FREQ?" || word == "FREQUENCY?") {
    return Scientific(state_.genFrequency) + "\n";
  }
  return {};
}

}  // namespace korventa::sim
