#include "sim/bench/bench.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <random>
#include <set>

#include "sim/device_types.h"
#include "sim/memory_image.h"

namespace korventa::sim {

namespace {

constexpr double kLoadOhms = 250.0;  // the multimeter's shunt across a current output in the wrong function
constexpr double kMicrovoltsPerDegree = 41.0;  // thermocouple slope, close to type K near room temperature
constexpr double kReferenceLow = 1000.0;   // PTC reference resistors
constexpr double kReferenceHigh = 2000.0;
// The resistance front end's nominal divider, in counts and ohms: what reads
// 15225 counts on 2000 ohm and 10324 on 1000 ohm (the OEM board: 18390 and
// 15890).
constexpr double kDividerVeq = 28984.5, kDividerReq = 1807.5;
constexpr double kOemDividerVeq = 21823.5, kOemDividerReq = 373.4;
constexpr double kSaturationRaw = 4095.0;  // the output stage's top end, in counts

std::size_t U(int i) { return static_cast<std::size_t>(i); }

bool SingleInputModel(const DeviceIdentity& id) { return id.model == "PLV7100" || id.model == "PLV7150"; }
bool Oem(const DeviceIdentity& id) { return id.model == "3200OEM"; }

// What the relay unit connects the converter's input terminals to.
enum class Terminals { Open, Volt, HighVolt, Current, Resistance, RefLow, RefHigh };

struct Wiring {
  std::set<int> closed;  // the closed relays among those the group uses
  Terminals terminals;
};

// The bench's wiring for each model group: which relay pattern connects
// the calibrator to which input terminals.
Terminals TerminalsFor(const DeviceIdentity& id, const std::set<int>& closed) {
  static const std::vector<int> kRelays7100 = {101, 102, 103, 104, 105};
  static const std::vector<Wiring> k7100 = {{{}, Terminals::Volt},
                                             {{103, 104}, Terminals::HighVolt},
                                             {{102, 103, 104, 105}, Terminals::Current},
                                             {{101, 102, 103}, Terminals::Resistance}};
  static const std::vector<Wiring> k7150 = {{{101}, Terminals::Volt},
                                             {{104}, Terminals::HighVolt},
                                             {{105}, Terminals::Current},
                                             {{102, 103}, Terminals::Resistance}};
  static const std::vector<int> kRelaysOther = {103, 104, 105, 106, 107, 113, 114};
  static const std::vector<Wiring> kOther = {{{113}, Terminals::Volt},
                                              {{105, 106, 113}, Terminals::HighVolt},
                                              {{103, 106, 107, 113}, Terminals::Current},
                                              {{103, 104, 106, 113}, Terminals::Resistance},
                                              {{106, 114}, Terminals::RefHigh},
                                              {{114}, Terminals::RefHigh},
                                              {{106}, Terminals::RefLow},
                                              {{}, Terminals::RefLow}};
  // The two-device PLV3100: device 1 on the first relays, device 2 also
  // switching 104 to 106.
  static const std::vector<int> kRelays3100 = {101, 102, 103, 104, 105, 106, 112};
  static const std::vector<Wiring> k3100 = {{{101, 102}, Terminals::Volt},
                                             {{101, 102, 104, 105, 106}, Terminals::Volt},
                                             {{102, 103, 112}, Terminals::Resistance},
                                             {{102, 103, 104, 105, 106, 112}, Terminals::Resistance},
                                             {{103, 104, 105, 106, 112}, Terminals::Resistance}};
  // The OEM board's fixture: the two references on 101 and 102, the
  // calibrator's resistance output on 105 (high values) or 103 (low ones).
  static const std::vector<Wiring> kOem = {{{101}, Terminals::RefHigh},
                                            {{102}, Terminals::RefLow},
                                            {{103}, Terminals::Resistance},
                                            {{105}, Terminals::Resistance}};
  const bool single = SingleInputModel(id) || Oem(id);
  const bool m3100 = id.model == "PLV3100";
  const auto& relays = m3100 ? kRelays3100 : single ? kRelays7100 : kRelaysOther;
  const auto& table = m3100             ? k3100
                      : Oem(id)         ? kOem
                      : id.model == "PLV7150" ? k7150
                      : single          ? k7100
                                        : kOther;
  std::set<int> used;
  for (int r : relays)
    if (closed.count(r)) used.insert(r);
  for (const auto& w : table)
    if (w.closed == used) return w.terminals;
  return Terminals::Open;
}

// The terminals an input type is read on.
Terminals TerminalsOfType(int code) {
  if (code == 4) return Terminals::HighVolt;
  if (code == 5) return Terminals::Current;
  if (code >= 16) return Terminals::Resistance;
  return Terminals::Volt;
}

bool Thermocouple(int code) { return code >= 7 && code <= 14; }

// The calibrator's output in volts, amperes or ohms, by function.
double CalibratorOutput(const BenchState& s) {
  switch (s.calFunction) {
    case 0: return s.calValue / 1000.0 / 1000.0;   // value in µV
    case 1: return s.calValue / 100.0 / 1000.0;    // value in 10 µV
    case 2: return s.calValue / 10.0 / 1000.0;     // value in 0.1 mV
    case 3: return s.calValue / 10.0 / 1e6;        // value in 0.1 µA
    case 4: return s.calValue / 1000.0;            // value in mΩ
    case 5: return s.calValue / 100.0;             // value in 10 mΩ
    default: return 0;
  }
}

bool CalibratorDrives(const BenchState& s, Terminals t) {
  switch (t) {
    case Terminals::Volt:
    case Terminals::HighVolt: return s.calFunction <= 2;
    case Terminals::Current: return s.calFunction == 3;
    case Terminals::Resistance: return s.calFunction == 4 || s.calFunction == 5;
    default: return false;
  }
}

// The nominal output stage: 4 to 20 mA or 2 to 10 V between the counts
// 800 and 3500.
double NominalOutput(bool current, double raw) {
  const double at800 = current ? 4.0 : 2.0;
  const double at3500 = current ? 20.0 : 10.0;
  return at800 + (at3500 - at800) * (raw - 800.0) / 2700.0;
}

class BenchModel final : public MeasureModel {
 public:
  explicit BenchModel(VirtualBench& bench) : bench_(bench), idle_(bench.Options().idleSignals) {}
  MeasureSample Sample(const MeasureContext& context) override {
    if (!bench_.Engaged()) return idle_.Sample(context);
    const auto channels = ActiveChannels(context.id, context.memory, context.dip);
    std::array<Signal, 2> signals{};
    for (int c = 0; c < 2; ++c) {
      signals[U(c)].kind = Signal::Kind::Steady;
      signals[U(c)].low = signals[U(c)].high = bench_.PerceivedInput(context, channels[U(c)], c);
    }
    MeasureSample sample = SignalModel(signals).Sample(context);
    for (int c = 0; c < 2; ++c)
      if (!context.forced[U(c)])
        if (const auto count = bench_.RawCount(context, channels[U(c)], c)) sample.outputRaw[U(c)] = *count;
    return sample;
  }

 private:
  VirtualBench& bench_;
  SignalModel idle_;
};

// The in-process serial port of one instrument: replies are there as soon
// as the command is written; waits run a virtual clock.
class BenchPort final : public Transport {
 public:
  BenchPort(VirtualBench& bench, BenchRole role, std::string name, const LineSettings& line)
      : bench_(bench), role_(role), name_(std::move(name)), line_(line), now_(Clock::now()) {}
  void SetPort(const std::string& name) override { name_ = name; }
  std::string Port() const override { return name_; }
  bool Open(std::string&) override {
    open_ = true;
    return true;
  }
  void Close() override {
    open_ = false;
    rx_.clear();
  }
  bool IsOpen() const override { return open_; }
  IoStatus Write(std::span<const std::uint8_t> bytes) override {
    if (!open_) return IoStatus::NotOpen;
    bench_.Engage();
    // An instrument switched off answers nothing; one on a line at the
    // wrong speed hears only noise and answers nothing either.
    if (bench_.State().off.count(role_) || line_.baud != VirtualBench::Baud(role_)) return IoStatus::Ok;
    SimInstrument* instrument = bench_.Instrument(role_);
    if (!instrument) return IoStatus::Ok;
    for (std::uint8_t b : bytes) rx_ += instrument->Receive(b);
    return IoStatus::Ok;
  }
  IoStatus ReadAll(std::vector<std::uint8_t>& out) override {
    if (!open_) return IoStatus::NotOpen;
    out.insert(out.end(), rx_.begin(), rx_.end());
    rx_.clear();
    return IoStatus::Ok;
  }
  void Discard() override { rx_.clear(); }
  void Wait(Clock::time_point deadline, bool wakeOnBytes) override {
    if (wakeOnBytes && !rx_.empty()) return;
    now_ = std::max(now_, deadline);
  }
  Clock::time_point Now() const override { return now_; }

 private:
  VirtualBench& bench_;
  BenchRole role_;
  std::string name_;
  LineSettings line_;
  Clock::time_point now_;
  bool open_ = false;
  std::string rx_;
};

class BenchPorts final : public PortFactory {
 public:
  BenchPorts(VirtualBench& bench, std::map<std::string, BenchRole> names) : bench_(bench), names_(std::move(names)) {}
  std::unique_ptr<Transport> MakePort(const std::string& name, const LineSettings& line) override {
    auto it = names_.find(name);
    if (it == names_.end()) return nullptr;
    return std::make_unique<BenchPort>(bench_, it->second, name, line);
  }

 private:
  VirtualBench& bench_;
  std::map<std::string, BenchRole> names_;
};

// The in-process USB/LAN channel of one instrument.
class BenchChannel final : public InstrumentIo {
 public:
  BenchChannel(VirtualBench& bench, BenchRole role) : bench_(bench), role_(role), now_(Clock::now()) {}
  bool Open(std::string&) override { return true; }
  void Close() override { replies_.clear(); }
  bool WriteString(const std::string& command, std::string&) override {
    bench_.Engage();
    if (bench_.State().off.count(role_)) return true;
    std::string reply;
    if (role_ == BenchRole::Generator) {
      reply = bench_.Generator().Command(command);
    } else {
      SimMultimeter& m = bench_.Multimeter(role_ == BenchRole::Mult1 ? 1 : 0);
      m.usb = true;
      reply = m.Command(command);
      m.usb = false;
    }
    if (!reply.empty()) replies_.push_back(reply.substr(0, reply.find_first_of("\r\n")));
    return true;
  }
  std::optional<std::string> ReadString(std::string& error) override {
    if (replies_.empty()) {
      now_ += std::chrono::milliseconds(timeoutMs_);
      error = std::string("no answer within ") + std::to_string(timeoutMs_) + " ms";
      return std::nullopt;
    }
    std::string r = replies_.front();
    replies_.pop_front();
    return r;
  }
  void Clear() override { replies_.clear(); }
  void SetTimeout(int milliseconds) override { timeoutMs_ = milliseconds; }
  void Wait(Clock::time_point deadline) override { now_ = std::max(now_, deadline); }
  Clock::time_point Now() const override { return now_; }

 private:
  VirtualBench& bench_;
  BenchRole role_;
  Clock::time_point now_;
  std::deque<std::string> replies_;
  int timeoutMs_ = 2000;
};

class BenchChannels final : public InstrumentIoFactory {
 public:
  BenchChannels(VirtualBench& bench, std::map<std::string, BenchRole> resources)
      : bench_(bench), resources_(std::move(resources)) {}
  std::unique_ptr<InstrumentIo> Make(const std::string& resource, std::string& error) override {
    auto it = resources_.find(resource);
    if (it == resources_.end()) {
      error = "no instrument at " + resource;
      return nullptr;
    }
    return std::make_unique<BenchChannel>(bench_, it->second);
  }

 private:
  VirtualBench& bench_;
  std::map<std::string, BenchRole> resources_;
};

}  // namespace

const std::array<GainRange, 7>& GainRanges() {
  static const std::array<GainRange, 7> kRanges = {{{1, 50, 29, 56.5, 56.5},
                                                    {2, 53, 32, 113, 113},
                                                    {3, 56, 35, 453, 453},
                                                    {4, 59, 38, 19900, 5700},
                                                    {5, 62, 41, 38500, 10300},
                                                    {16, 65, 44, 1, 1},
                                                    {17, 68, 47, 1, 1}}};
  return kRanges;
}

int ZeroTrimAddress(const DeviceIdentity& id, int type, int channel) {
  if (type != 4 && type != 5) return -1;
  const int step = type == 4 ? 0 : 1;
  if (SingleInputModel(id)) return channel == 0 ? 92 + step : -1;
  return (channel == 0 ? 74 : 85) + step;
}

double ZeroTrim(std::uint8_t trim) { return trim > 127 ? trim - 255.0 : static_cast<double>(trim); }

AnalogueTruth AnalogueTruth::Seeded(unsigned seed, const DeviceIdentity& id) {
  std::mt19937 random(seed);
  // Errors a calibration must find: well inside its 2 % acceptance band.
  std::uniform_real_distribution<double> gain(-0.012, 0.012);
  std::uniform_real_distribution<double> outGain(-0.01, 0.01);
  std::uniform_real_distribution<double> outOffset(-0.05, 0.05);
  std::uniform_real_distribution<double> cjc(-2.5, 2.5);
  AnalogueTruth t;
  for (int c = 0; c < 2; ++c)
    for (std::size_t r = 0; r < GainRanges().size(); ++r) {
      const GainRange& g = GainRanges()[r];
      const double nominal = c == 0 && SingleInputModel(id) ? g.nominalSingle : g.nominal;
      t.gainConstant[U(c)][r] = nominal * (1 + gain(random));
    }
  for (int c = 0; c < 2; ++c) {
    t.outputGain[U(c)] = outGain(random);
    t.outputOffset[U(c)] = outOffset(random);
  }
  t.cjcError = cjc(random);
  std::uniform_real_distribution<double> zero(-8, 8);
  for (auto& channel : t.zeroError)
    for (double& z : channel) z = std::round(zero(random));
  std::uniform_real_distribution<double> divider(-0.02, 0.02);
  for (int c = 0; c < 2; ++c) {
    t.dividerVeq[U(c)] = (Oem(id) ? kOemDividerVeq : kDividerVeq) * (1 + divider(random));
    t.dividerReq[U(c)] = (Oem(id) ? kOemDividerReq : kDividerReq) * (1 + divider(random));
  }
  return t;
}

double AnalogueTruth::Constant(const DeviceIdentity&, int type, int channel) const {
  for (std::size_t r = 0; r < GainRanges().size(); ++r)
    if (GainRanges()[r].type == type) return gainConstant[U(channel)][r];
  return 1;
}

std::unique_ptr<SimTransport> MakeSimTransportWithBench(SimOptions options, std::unique_ptr<VirtualBench>& bench,
                                                        std::string& error) {
  ConverterConfig config;
  if (!MakeConverterConfig(options, config, error)) return nullptr;
  BenchOptions b;
  b.seed = options.unit;
  b.idleSignals = options.inputSignals;
  bench = std::make_unique<VirtualBench>(config.identity, b);
  if (!options.measureModel) options.measureModel = bench->Model();
  auto t = MakeSimTransport(options, error);
  if (t) bench->Attach(t->Converter());
  return t;
}

std::map<std::string, BenchRole> BenchPortNames(const SelettoriStrumenti& selectors) {
  const std::pair<Ruolo, BenchRole> roles[] = {{Ruolo::Alim, BenchRole::Supply},
                                               {Ruolo::Switch, BenchRole::Switch},
                                               {Ruolo::Mult, BenchRole::Mult},
                                               {Ruolo::Mult1, BenchRole::Mult1},
                                               {Ruolo::Cal, BenchRole::Cal}};
  std::map<std::string, BenchRole> names;
  for (const auto& [r, b] : roles) names[PortaDaSelettore(selectors.Testo(r))] = b;
  return names;
}

const char* BenchRoleName(BenchRole role) {
  switch (role) {
    case BenchRole::Supply: return "supply";
    case BenchRole::Switch: return "switch";
    case BenchRole::Mult: return "mult";
    case BenchRole::Mult1: return "mult1";
    case BenchRole::Cal: return "cal";
    case BenchRole::Generator: break;
  }
  return "gen";
}

VirtualBench::VirtualBench(const DeviceIdentity& id, BenchOptions options)
    : id_(id), options_(options), truth_(AnalogueTruth::Seeded(options.seed, id)) {
  probe_.multimeter = [this](int channel, bool current) { return MultimeterValue(channel, current); };
  probe_.supplyCurrent = [this] { return SupplyCurrent(); };
  cal_ = std::make_unique<SimCalibrator>(state_);
  mult0_ = std::make_unique<SimMultimeter>(state_, probe_, 0);
  mult1_ = std::make_unique<SimMultimeter>(state_, probe_, 1);
  relays_ = std::make_unique<SimRelayUnit>(state_);
  supply_ = std::make_unique<SimPowerSupply>(state_, probe_);
  generator_ = std::make_unique<SimFunctionGenerator>(state_);
  model_ = std::make_shared<BenchModel>(*this);
}

VirtualBench::~VirtualBench() = default;

SimInstrument* VirtualBench::Instrument(BenchRole role) {
  switch (role) {
    case BenchRole::Supply: return supply_.get();
    case BenchRole::Switch: return relays_.get();
    case BenchRole::Mult: return mult0_.get();
    case BenchRole::Mult1: return options_.multimeters > 1 ? mult1_.get() : nullptr;
    case BenchRole::Cal: return cal_.get();
    case BenchRole::Generator: break;
  }
  return generator_.get();
}

double VirtualBench::PerceivedInput(const MeasureContext& ctx, const ActiveChannel& a, int channel) const {
  const int code = a.code;
  if (ctx.id.variant == 7) {
    if (!state_.genOutput) return 0.0;
    const auto error = state_.genFrequencyError.find(state_.genFrequency);
    return state_.genFrequency + (error == state_.genFrequencyError.end() ? 0.0 : error->second);
  }
  if (ResistanceThermometer(ctx.id, code)) return Temperature(ctx, channel);
  const Terminals routed = TerminalsFor(ctx.id, state_.closed);
  double applied = 0;  // V, A or Ω at the terminals the type reads
  if (routed == Terminals::RefLow || routed == Terminals::RefHigh) {
    if (code >= 16) applied = routed == Terminals::RefLow ? kReferenceLow : kReferenceHigh;
  } else if (routed == TerminalsOfType(code) || (Thermocouple(code) && routed == Terminals::Volt)) {
    if (CalibratorDrives(state_, routed)) applied = CalibratorOutput(state_);
  }
  // The range's gain error, corrected by the constant in memory.
  const int gainType = Thermocouple(code) ? 1 : code;
  double ratio = 1;
  for (const GainRange& g : GainRanges()) {
    if (g.type != gainType) continue;
    const double nominal = channel == 0 && SingleInputModel(ctx.id) ? g.nominalSingle : g.nominal;
    double stored = GetFloat(ctx.memory, channel == 0 ? g.addressA : g.addressB);
    if (!std::isfinite(stored) || stored <= 0) stored = nominal;
    ratio = stored / truth_.Constant(ctx.id, g.type, channel);
  }
  // The 10 V and 20 mA inputs have a zero error of their own, in mV or µA,
  // which the trim byte in memory takes away.
  double zero = 0;
  if (const int at = ZeroTrimAddress(ctx.id, code, channel); at >= 0)
    zero = (truth_.zeroError[U(channel)][U(code - 4)] + ZeroTrim(ctx.memory[U(at)])) / 1000.0;
  switch (code) {
    case 1: case 2: case 3: return applied * 1000.0 * ratio;  // mV
    case 4: return applied * ratio + zero;                    // V
    case 5: return applied * 1000.0 * ratio + zero;           // mA
    default: break;
  }
  if (code >= 16) return applied * ratio;  // Ω
  if (Thermocouple(code)) {
    // The cold junction sits at the ambient temperature; the sensor reads it
    // with its error, corrected by the offset in memory (tenths of a degree,
    // signed, channel A at 7, B at 8).
    const auto offset = static_cast<std::int8_t>(ctx.memory[U(7 + channel)]);
    const double junction = state_.ambient + truth_.cjcError + offset / 10.0;
    return junction + applied * 1e6 * ratio / kMicrovoltsPerDegree;
  }
  return applied;
}

bool VirtualBench::ResistanceThermometer(const DeviceIdentity& id, int code) {
  return Oem(id) ? code == 20 : code == 25;
}

std::optional<double> VirtualBench::TerminalOhms(const DeviceIdentity& id) const {
  switch (TerminalsFor(id, state_.closed)) {
    case Terminals::RefLow: return kReferenceLow;
    case Terminals::RefHigh: return kReferenceHigh;
    case Terminals::Resistance:
      if (CalibratorDrives(state_, Terminals::Resistance)) return CalibratorOutput(state_);
      return std::nullopt;
    default: return std::nullopt;
  }
}

double VirtualBench::DividerCount(const DeviceIdentity& id, int channel) const {
  const auto ohms = TerminalOhms(id);
  const double veq = truth_.dividerVeq[U(channel)];
  if (!ohms) return veq;  // open terminals: the whole excitation
  return veq * *ohms / (truth_.dividerReq[U(channel)] + *ohms);
}

std::optional<double> VirtualBench::RawCount(const MeasureContext& ctx, const ActiveChannel& a, int channel) const {
  if (Oem(ctx.id)) {
    // The OEM board sends the count on its output field while its byte 1
    // holds 3.
    if (channel != 0 || ctx.memory[1] != 3) return std::nullopt;
  } else {
    // A channel set to 800 mV with the reference network on its terminals
    // sends the count of its divider: the factory reads the references so.
    const Terminals t = TerminalsFor(ctx.id, state_.closed);
    if (a.code != 3 || (t != Terminals::RefLow && t != Terminals::RefHigh)) return std::nullopt;
  }
  return DividerCount(ctx.id, channel);
}

double VirtualBench::Temperature(const MeasureContext& ctx, int channel) const {
  // The resistance the converter works out from the count with the divider
  // constants in its memory: Veq in counts and Req in tenths of an ohm
  // (the OEM board keeps them the other way round, at 52).
  const bool oem = Oem(ctx.id);
  const int base = oem ? 52 : channel == 0 ? 65 : 44;
  const double veq = static_cast<double>(GetWord(ctx.memory, oem ? base + 2 : base, false));
  const double req = static_cast<double>(GetWord(ctx.memory, oem ? base : base + 2, false)) / 10.0;
  const double count = DividerCount(ctx.id, channel);
  const double ohms = veq > count ? req * count / (veq - count) : 1e6;
  if (oem) {
    // The OEM board's thermistor: the temperature follows the logarithm of
    // its resistance between 2660 ohm at -20 °C, 454 at 90 and 32 at 200.
    static constexpr std::array<std::pair<double, double>, 3> kCurve{{{2660, -20}, {454, 90}, {32, 200}}};
    const double l = std::log(std::max(ohms, 1.0));
    const std::size_t i = l > std::log(kCurve[1].first) ? 0 : 1;
    const auto [r0, t0] = kCurve[i];
    const auto [r1, t1] = kCurve[i + 1];
    return t0 + (t1 - t0) * (l - std::log(r0)) / (std::log(r1) - std::log(r0));
  }
  // KTY84-150: 498 ohm at 0 °C, 1000 at 100, 1722 at 200 (a parabola
  // through them is within a fraction of a degree of the sensor's table).
  constexpr double a = 498, b = 3.92, c = 0.011;
  const double d = b * b - 4 * c * (a - ohms);
  return d > 0 ? (-b + std::sqrt(d)) / (2 * c) : -b / (2 * c);
}

double VirtualBench::MultimeterValue(int channel, bool current) {
  if (!converter_) return 0;
  const MeasureContext ctx{converter_->Identity(), converter_->Bank(0), converter_->Dip(), converter_->Forced(), 0.0};
  // The production bench measures both outputs with multimeter 0: it is
  // switched to channel B's output while that one alone is being forced.
  if (channel == 0 && ctx.forced[1] && !ctx.forced[0]) channel = 1;
  const auto channels = ActiveChannels(ctx.id, ctx.memory, ctx.dip);
  const MeasureSample sample = model_->Sample(ctx);
  const bool currentOutput = channels[U(channel)].current;
  // A forced count of 0 drives the output stage into saturation at the top.
  double raw = sample.outputRaw[U(channel)];
  if (ctx.forced[U(channel)] && *ctx.forced[U(channel)] == 0) raw = kSaturationRaw;
  const double physical = NominalOutput(currentOutput, raw) * (1 + truth_.outputGain[U(channel)]) +
                          truth_.outputOffset[U(channel)];
  if (currentOutput) return current ? physical / 1000.0 : physical / 1000.0 * kLoadOhms;
  return current ? physical / kLoadOhms : physical;
}

double VirtualBench::SupplyCurrent() const {
  const double v = state_.supplyVolts;
  if (!state_.supplyOn || v < 10) return 0;
  double mA = 18;
  if (id_.model == "PLV7100") mA = 11 + 300 / v;
  else if (id_.model.rfind("PLV7110", 0) == 0) mA = 14;
  else if (id_.model == "PLV3100") mA = 10;
  return (mA + truth_.extraSupply_mA) / 1000.0;
}

std::unique_ptr<PortFactory> VirtualBench::Ports(std::map<std::string, BenchRole> names) {
  return std::make_unique<BenchPorts>(*this, std::move(names));
}

std::unique_ptr<InstrumentIoFactory> VirtualBench::Channels(std::map<std::string, BenchRole> resources) {
  return std::make_unique<BenchChannels>(*this, std::move(resources));
}

}  // namespace korventa::sim
