#include "sim/measure.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>
#include <utility>
#include <vector>

#include "config/catalog.h"
#include "link/model_traits.h"
#include "sim/device_types.h"
#include "switches/campi.h"
#include "sim/sample_tables.h"

namespace korventa::sim {

namespace {

constexpr double kSweepPeriod = 20.0;  // seconds
// How far the output stage drives beyond its range before it saturates,
// as a share of the range.
constexpr double kOverDrive = 0.1;

std::size_t U(int i) { return static_cast<std::size_t>(i); }

struct OutputRange {
  double min, max;
};

// The output stages: the four of most models and the six of the two-output
// models (variants 4 and 5).
OutputRange OutputOf(int type, bool extended) {
  static constexpr OutputRange kPlain[] = {{0, 20}, {4, 20}, {0, 10}, {0, 5}};
  static constexpr OutputRange kExtended[] = {{0, 20}, {4, 20}, {0, 10}, {2, 10}, {0, 5}, {1, 5}};
  if (extended) return type >= 0 && type < 6 ? kExtended[type] : OutputRange{0, 0};
  return type >= 0 && type < 4 ? kPlain[type] : OutputRange{0, 0};
}

double P10(int d) { return std::pow(10.0, d); }

// The table list as the program receives it from "$S": stored span word,
// span table, stored zero word, zero table.
std::vector<double> TableList(const DeviceIdentity& id, const MemoryBank& m, int askCode) {
  const SampleTables t = MakeSampleTables(id.variant, askCode);
  const bool sgn = WordsSigned(id.variant);
  const int stored = 4 * askCode + mem::kStoredDefaults;
  std::vector<double> list;
  list.push_back(static_cast<double>(GetWord(m, stored, sgn)));
  for (long w : t.span) list.push_back(static_cast<double>(sgn ? static_cast<std::int16_t>(w) : static_cast<std::uint16_t>(w)));
  list.push_back(static_cast<double>(GetWord(m, stored + 2, sgn)));
  for (long w : t.zero) list.push_back(static_cast<double>(sgn ? static_cast<std::int16_t>(w) : static_cast<std::uint16_t>(w)));
  return list;
}

std::optional<double> Entry(const std::vector<double>& t, int k) {
  if (k < 0 || k >= static_cast<int>(t.size())) return std::nullopt;
  return t[U(k)];
}

ActiveChannel FromMemory(const DeviceIdentity& id, const MemoryBank& m, int ch);

ActiveChannel FromSwitches(const DeviceIdentity& id, const MemoryBank& m, const std::array<std::uint8_t, 4>& dip,
                           int ch, int code) {
  const int v = id.variant;
  const VariantTraits& t = TraitsOf(v);
  const bool f12 = id.product == 12;
  const int bank = ch == 0 ? dip[0] : dip[1];
  ActiveChannel a;
  // The 4-wire model's switches pick the input type only: span and zero
  // stay those of its memory, as the program keeps them.
  if (!t.hasSwitches) {
    const ActiveChannel mem = FromMemory(id, m, ch);
    a.inMin = mem.inMin;
    a.inMax = mem.inMax;
  }
  a.fromSwitches = true;
  const sw::CampiFamiglia& fields = sw::Campi(12, v);
  const sw::Banchi banks{dip[0], dip[1], dip[2]};
  code = sw::CodiceDispositivo(id.product, v, code, bank);
  a.code = code;
  a.decimals = fields.divisore.Presente() ? sw::Leggi(banks, fields.divisore) : InputType(code).decimals;
  const bool res300K = t.res300KAs18 && code == kCodRes300K;
  const int askCode = t.frequencyInput ? 1 : (res300K ? kCodiceDispositivoRes300K : code);

  // Position 0 of the switches that pick the span and the zero stands for
  // the two stored words.
  const sw::Predefiniti stored = sw::ValoriPredefiniti(v, banks, ch);

  if (!(stored.span && stored.zero)) {
    if (f12 && t.mvSwitchOneDecimal && (code == 1 || code == 2)) a.decimals = 1;
    const std::vector<double> list = TableList(id, m, askCode);
    const auto index = sw::IndiciCampioni(v, banks, ch);
    if (index && !fields.scalaTabelle) {
      if (auto x = Entry(list, index->span)) a.inMax = *x / P10(a.decimals);
      if (auto x = Entry(list, index->zero)) a.inMin = *x / P10(a.decimals);
    } else if (index) {
      // Millivolt tables with one decimal, the 10 V table with one decimal
      // less than the type; the stored word at a table's head with one more.
      const double p = P10(t.measureMvTableTenths && (code == 1 || code == 2) ? 1 : a.decimals);
      auto value = [&](int at, int field) -> std::optional<double> {
        auto x = Entry(list, at);
        if (!x) return std::nullopt;
        double r = *x / p;
        if (code == 4) r *= 10;
        if (field == 0) r /= 10;
        return r;
      };
      if (!stored.span)
        if (auto x = value(index->span, index->campoSpan)) a.inMax = *x;
      if (!stored.zero)
        if (auto x = value(index->zero, index->campoZero)) a.inMin = *x;
    }
  }
  if (stored.span || stored.zero) {
    const int address = sw::IndirizzoPredefinito(askCode);
    if (address >= 0 && address + 4 <= 256) {
      const bool sgn = WordsSigned(v);
      const double p = P10(a.decimals);
      if (stored.span) a.inMax = static_cast<double>(GetWord(m, address, sgn)) / p;
      if (stored.zero) a.inMin = static_cast<double>(GetWord(m, address + 2, sgn)) / p;
      if (res300K) {
        a.inMax /= 10;
        a.inMin /= 10;
      }
    }
  }

  a.outputType = m[U(mem::kOutputA + 2 * ch)] & 0x03;
  const sw::Campo output = sw::CampoUscita(fields, ch);
  if (output.Presente()) a.outputType = sw::Leggi(banks, output);
  a.extendedOutput = fields.coppie;
  const OutputRange r = OutputOf(a.outputType, a.extendedOutput);
  a.outMin = r.min;
  a.outMax = r.max;
  // The option switch of the two-output models reverses the output.
  if (a.extendedOutput && sw::Leggi(banks, fields.opzione[U(ch)])) std::swap(a.outMin, a.outMax);
  a.function = 0;
  a.current = a.outputType <= 1;
  return a;
}

ActiveChannel FromMemory(const DeviceIdentity& id, const MemoryBank& m, int ch) {
  using namespace memoria;
  const int v = id.variant;
  const VariantTraits& t = TraitsOf(v);
  const bool f12 = id.product == 12;
  ActiveChannel a;
  int code = m[U(kIngresso.At(ch))] & kBitsCodice;
  if (f12 && t.res300KAs18 && code == kCodiceDispositivoRes300K) code = kCodRes300K;
  if (f12 && t.frequencyInput) code = kCodFreq;
  a.code = code;
  const std::uint8_t outByte = m[U(kUscita.At(ch))];
  a.decimals = t.frequencyInput ? (m[U(kUscita.At(0))] >> kShiftFili) & 3 : InputType(code).decimals;
  const double p = P10(a.decimals);
  const bool sgn = WordsSigned(v);
  a.inMax = static_cast<double>(GetWord(m, kInMax.At(ch), sgn)) / p;
  a.inMin = static_cast<double>(GetWord(m, kInMin.At(ch), sgn)) / p;
  if (t.res300KAs18 && code == kCodRes300K) {
    a.inMax /= 10;
    a.inMin /= 10;
  }
  a.outMax = static_cast<double>(GetWord(m, kOutMax.At(ch), sgn)) / kOutMax.scala;
  a.outMin = static_cast<double>(GetWord(m, kOutMin.At(ch), sgn)) / kOutMin.scala;
  a.outputType = outByte & kBitsTipoUscita;
  a.current = a.outputType <= 1;
  // Only these models take the transfer function from memory; the others
  // work linearly when set up this way.
  if (f12 && t.functionsInMemory) a.function = m[U(kOpzioni.At(ch))] & kBitsFunzione;
  return a;
}

// Raw count that makes the client's calibration scaling give output o.
double RawForOutput(const DeviceIdentity& id, const MemoryBank& m, int c, bool current, double o) {
  const int address = (c == 0 ? mem::kCalVoltageA : mem::kCalVoltageB) + (current ? 6 : 0);
  const double c0 = GetFloat(m, address);
  const double c1 = GetFloat(m, address + 3);
  const bool swapped = id.product == 12 && TraitsOf(id.variant).calibrationReversed;
  const double at800 = swapped ? c1 : c0;
  const double at3500 = swapped ? c0 : c1;
  if (!std::isfinite(at800) || !std::isfinite(at3500) || std::fabs(at3500 - at800) < 1e-9) return 800.0;
  const double raw = 800.0 + 2700.0 * (o - at800) / (at3500 - at800);
  return std::clamp(raw, 0.0, 4095.0);
}

double SignalValue(const Signal& s, const ActiveChannel& a, double t, int channel) {
  switch (s.kind) {
    case Signal::Kind::Steady:
      return s.low;
    case Signal::Kind::Ramp: {
      const double period = s.period > 0 ? s.period : kSweepPeriod;
      const double frac = t / period - std::floor(t / period);
      return s.low + frac * (s.high - s.low);
    }
    case Signal::Kind::Sine: {
      const double period = s.period > 0 ? s.period : kSweepPeriod;
      return (s.low + s.high) / 2 + (s.high - s.low) / 2 * std::sin(2.0 * std::numbers::pi * t / period);
    }
    case Signal::Kind::Sweep:
      break;
  }
  const double phase = 2.0 * std::numbers::pi * (t / kSweepPeriod - 0.25 * channel);
  return a.inMin + (0.5 + 0.4 * std::sin(phase)) * (a.inMax - a.inMin);
}

bool ParseNumber(std::string_view text, double& out) {
  std::string s(text);
  if (s.empty()) return false;
  const char* first = s.data();
  const char* last = s.data() + s.size();
  if (*first == '+') ++first;
  auto [end, ec] = std::from_chars(first, last, out);
  return ec == std::errc() && end == last && std::isfinite(out);
}

}  // namespace

bool ParseSignal(std::string_view text, Signal& out, std::string& error) {
  std::vector<std::string_view> parts;
  std::size_t from = 0;
  for (;;) {
    const std::size_t colon = text.find(':', from);
    parts.push_back(text.substr(from, colon == std::string_view::npos ? std::string_view::npos : colon - from));
    if (colon == std::string_view::npos) break;
    from = colon + 1;
  }
  Signal s;
  std::vector<double> n;
  for (std::size_t i = 1; i < parts.size(); ++i) {
    double x = 0;
    if (!ParseNumber(parts[i], x)) {
      error = "signal \"" + std::string(text) + "\": \"" + std::string(parts[i]) + "\" is not a number";
      return false;
    }
    n.push_back(x);
  }
  const std::string_view kind = parts[0];
  if (kind == "sweep" && n.empty()) {
    s.kind = Signal::Kind::Sweep;
  } else if (kind == "steady" && n.size() == 1) {
    s.kind = Signal::Kind::Steady;
    s.low = s.high = n[0];
  } else if ((kind == "ramp" || kind == "sine") && (n.size() == 2 || n.size() == 3)) {
    s.kind = kind == "ramp" ? Signal::Kind::Ramp : Signal::Kind::Sine;
    s.low = n[0];
    s.high = n[1];
    if (n.size() == 3) {
      if (!(n[2] > 0)) {
        error = "signal \"" + std::string(text) + "\": the period must be above 0 seconds";
        return false;
      }
      s.period = n[2];
    }
  } else {
    error = "signal \"" + std::string(text) + "\": expected sweep, steady:V, ramp:LOW:HIGH[:SECONDS] or "
            "sine:LOW:HIGH[:SECONDS]";
    return false;
  }
  out = s;
  return true;
}

std::array<ActiveChannel, 2> ActiveChannels(const DeviceIdentity& id, const MemoryBank& m,
                                            const std::array<std::uint8_t, 4>& dip) {
  const int v = id.variant;
  const sw::Banchi banks{dip[0], dip[1], dip[2]};
  // The input code the switches select; 0 means "set up by memory". Only
  // variant 5 reads channel B's own bank.
  const int code = sw::CodiceGrezzo(v, banks, 0);
  std::array<int, 2> codes{code, code};
  if (TraitsOf(v).algebraic) codes = {code, sw::CodiceGrezzo(v, banks, 1)};
  std::array<ActiveChannel, 2> out{};
  for (int ch = 0; ch < 2; ++ch)
    out[U(ch)] = codes[U(ch)] != 0 ? FromSwitches(id, m, dip, ch, codes[U(ch)]) : FromMemory(id, m, ch);
  return out;
}

bool HasSecondOutput(const DeviceIdentity& id) {
  const int v = id.variant;
  if (id.product != 12) return false;
  if (v == 1 || v == 5) return true;
  // The PLV7110 lines (line bits 0x60) have one output.
  return v >= 2 && v <= 6 && (id.lineBits & 0x60) != 0x60;
}

SignalModel::SignalModel(std::array<Signal, 2> inputSignals) : signals_(inputSignals) {}

MeasureSample SignalModel::Sample(const MeasureContext& ctx) {
  MeasureSample s;
  const auto& m = ctx.memory;
  const auto channels = ActiveChannels(ctx.id, m, ctx.dip);
  s.inputCodeA = channels[0].code;
  for (int c = 0; c < 2; ++c) {
    const ActiveChannel& a = channels[U(c)];
    const double x = SignalValue(signals_[U(c)], a, ctx.seconds, c);
    s.input[U(c)] = std::isfinite(x) ? x : 0.0;
    double frac = a.inMax != a.inMin ? (s.input[U(c)] - a.inMin) / (a.inMax - a.inMin) : 0.0;
    frac = std::clamp(std::isfinite(frac) ? frac : 0.0, -kOverDrive, 1.0 + kOverDrive);
    const double outFrac = a.function == 2 ? std::sqrt(std::max(frac, 0.0)) : frac;
    const double o = a.outMin + outFrac * (a.outMax - a.outMin);
    const auto& forced = ctx.forced[U(c)];
    s.outputRaw[U(c)] = forced ? static_cast<double>(*forced) : RawForOutput(ctx.id, m, c, a.current, o);
  }

  const VariantTraits& traits = TraitsOf(ctx.id.variant);
  if (ctx.id.product == 12 && traits.trips > 0) {
    using namespace memoria;
    // The PLV7100 keeps the trip values of its 10 V and 20 mA inputs scaled
    // by the input's decimals.
    const int code = channels[0].code;
    const double scale =
        traits.scaledVoltCurrent && (code == kCod10V || code == kCod20mA) ? std::pow(10.0, InputType(code).decimals) : 1.0;
    for (int t = 0; t < traits.trips; ++t) {
      const int base = IndirizzoSoglia(traits, t);
      const double high = GetFloat(m, base + kSogliaH) / scale;
      const double low = GetFloat(m, base + kSogliaL) / scale;
      const bool onMinimum = (m[U(kUscita.At(t))] & kBit6) != 0;
      // The PLV7100 counts its one delay in steps of 1/7.5 s, the PLV7300
      // in seconds per trip.
      const double delay = traits.tripDelayPerSecond != 1 ? m[U(kRitardoSoglie.At(0))] / traits.tripDelayPerSecond
                                                          : static_cast<double>(m[U(kRitardiSoglieFrequenza.At(t))]);
      const double x = s.input[0];
      bool& on = tripped_[U(t)];
      auto& pending = pendingSince_[U(t)];
      const bool beyond = onMinimum ? x < low : x > high;
      const bool back = onMinimum ? x > high : x < low;
      if (on) {
        if (back) on = false;
        pending.reset();
      } else if (beyond) {
        if (!pending) pending = ctx.seconds;
        if (ctx.seconds - *pending >= delay) {
          on = true;
          pending.reset();
        }
      } else {
        pending.reset();
      }
      if (on) s.status = static_cast<std::uint8_t>(s.status | (1 << t));
      if (pending) s.status = static_cast<std::uint8_t>(s.status | (16 << t));
    }
  }
  return s;
}

std::unique_ptr<MeasureModel> MakeDefaultMeasureModel() { return std::make_unique<SignalModel>(); }

std::array<std::uint8_t, 3> EncodeMeasureFloat(double x) {
  if (!std::isfinite(x) || x == 0.0) return {0, 0, 0};
  const int sign = x < 0 ? 1 : 0;
  int e = 0;
  double m = std::frexp(std::fabs(x), &e);  // [0.5, 1)
  m *= 2.0;
  e -= 1;
  long fraction = std::lround((m - 1.0) * 32768.0);
  if (fraction >= 32768) {
    fraction = 0;
    ++e;
  }
  int exponent = e + 127;
  if (exponent < 0) return {static_cast<std::uint8_t>(sign << 7), 0, 0};
  if (exponent > 255) {
    exponent = 255;
    fraction = 32767;
  }
  return {static_cast<std::uint8_t>((sign << 7) | (fraction >> 8)), static_cast<std::uint8_t>(fraction & 0xFF),
          static_cast<std::uint8_t>(exponent)};
}

std::array<std::uint8_t, 3> EncodeMeasureFloatWithHigh(double x, std::uint8_t hi) {
  const double sign = (hi & 0x80) ? -1.0 : 1.0;
  const double a = x * sign;  // magnitude wanted with this sign
  std::array<std::uint8_t, 3> best{hi, 0, 127};
  if (!std::isfinite(a) || a <= 0.0) return best;
  const int base = static_cast<int>(std::floor(std::log2(a))) + 127;
  double bestError = INFINITY;
  for (int exponent = std::max(0, base - 1); exponent <= std::min(255, base + 1); ++exponent) {
    const double unit = std::ldexp(1.0, exponent - 127);
    const long want = std::lround((a / unit - 1.0) * 32768.0) - (hi & 0x7F) * 256L;
    const long lo = std::clamp(want, 0L, 255L);
    const double got = (1.0 + static_cast<double>((hi & 0x7F) * 256L + lo) / 32768.0) * unit;
    if (std::fabs(got - a) < bestError) {
      bestError = std::fabs(got - a);
      best = {hi, static_cast<std::uint8_t>(lo), static_cast<std::uint8_t>(exponent)};
    }
  }
  return best;
}

int MeasureFrameLength(int product, int variant) {
  if (product == 11) return 7;
  return TraitsOf(variant).measureTemplate;
}

std::string EncodeMeasureFrame(const MeasureSample& s, const DeviceIdentity& id, const MemoryBank& memory) {
  std::array<std::uint8_t, 15> m{};  // m(0) unused, m(1..14) as the client numbers them
  auto put = [&m](int at, const std::array<std::uint8_t, 3>& b) {
    for (int i = 0; i < 3; ++i) m[static_cast<std::size_t>(at + i)] = b[static_cast<std::size_t>(i)];
  };
  const int v = id.variant;
  const VariantTraits& t = TraitsOf(v);
  const bool statusLast = id.product == 12 && t.statusAtEnd;
  put(2, EncodeMeasureFloat(s.outputRaw[0]));
  // The older layout's status byte is the first byte of output B: a model
  // with a second output sends that output in full (its status bits mean
  // nothing), the others the status.
  if (statusLast || HasSecondOutput(id))
    put(5, EncodeMeasureFloat(s.outputRaw[1]));
  else
    put(5, EncodeMeasureFloatWithHigh(s.outputRaw[1], s.status));
  put(8, EncodeMeasureFloat(s.input[0]));
  double value3 = s.input[0];
  if (t.algebraic) value3 = s.input[1];
  const int code = s.inputCodeA ? *s.inputCodeA : memory[mem::kInputA] & 0x1F;
  // The PLV7100 and PLV7150 send their 10 V and 20 mA inputs in mV and µA.
  if ((v == 0 || v == 8) && (code == 4 || code == 5)) value3 *= 1000.0;
  put(11, EncodeMeasureFloat(value3));
  m[14] = s.status;
  if (id.product == 11) m[5] = s.status;

  const int length = MeasureFrameLength(id.product, v);
  std::string frame(1, 'A');
  for (int i = 1; i <= length - 2; ++i) frame += static_cast<char>(m[static_cast<std::size_t>(i)]);
  frame += '\r';
  return frame;
}

}  // namespace korventa::sim
