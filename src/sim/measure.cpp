#include "sim/measure.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "sim/device_types.h"

namespace korventa::sim {

namespace {

constexpr double kSweepPeriod = 20.0;  // seconds

struct ChannelConfig {
  double inMin, inMax, outMin, outMax;
  int function;
  bool current;
};

ChannelConfig ReadChannel(const DeviceIdentity& id, const MemoryBank& m, int c) {
  const int v = id.variant;
  const std::uint8_t outByte = m[static_cast<std::size_t>(mem::kOutputA + 2 * c)];
  const int code = m[static_cast<std::size_t>(mem::kInputA + c)] & 0x1F;
  const double scale = std::pow(10.0, RangeDecimals(v, code, outByte));
  const bool sgn = WordsSigned(v);
  const int block = c == 0 ? mem::kRangeA : mem::kRangeB;
  ChannelConfig cc{};
  cc.inMax = static_cast<double>(GetWord(m, block + 0, sgn)) / scale;
  cc.inMin = static_cast<double>(GetWord(m, block + 2, sgn)) / scale;
  cc.outMax = static_cast<double>(GetWord(m, block + 4, sgn)) / 1000.0;
  cc.outMin = static_cast<double>(GetWord(m, block + 6, sgn)) / 1000.0;
  cc.function = m[static_cast<std::size_t>(mem::kOptionsA + 2 * c)] & 0x07;
  cc.current = (outByte & 0x03) <= 1;
  return cc;
}

// Raw count that makes the client's calibration scaling give output o.
double RawForOutput(const DeviceIdentity& id, const MemoryBank& m, int c, bool current, double o) {
  const int address = (c == 0 ? mem::kCalVoltageA : mem::kCalVoltageB) + (current ? 6 : 0);
  const double c0 = GetFloat(m, address);
  const double c1 = GetFloat(m, address + 3);
  const bool swapped = id.product == 12 && (id.variant == 0 || id.variant == 7 || id.variant == 8 || id.variant == 9);
  const double at800 = swapped ? c1 : c0;
  const double at3500 = swapped ? c0 : c1;
  if (!std::isfinite(at800) || !std::isfinite(at3500) || std::fabs(at3500 - at800) < 1e-9) return 800.0;
  const double raw = 800.0 + 2700.0 * (o - at800) / (at3500 - at800);
  return std::clamp(raw, 0.0, 4095.0);
}

}  // namespace

MeasureSample SweepModel::Sample(const MeasureContext& ctx) {
  MeasureSample s;
  const auto& m = ctx.memory;
  for (int c = 0; c < 2; ++c) {
    const ChannelConfig cc = ReadChannel(ctx.id, m, c);
    const double phase = 2.0 * std::numbers::pi * (ctx.seconds / kSweepPeriod - 0.25 * c);
    const double frac = 0.5 + 0.4 * std::sin(phase);
    const double x = cc.inMin + frac * (cc.inMax - cc.inMin);
    s.input[static_cast<std::size_t>(c)] = std::isfinite(x) ? x : 0.0;
    const double outFrac = cc.function == 2 ? std::sqrt(frac) : frac;
    const double o = cc.outMin + outFrac * (cc.outMax - cc.outMin);
    const auto& forced = ctx.forced[static_cast<std::size_t>(c)];
    s.outputRaw[static_cast<std::size_t>(c)] =
        forced ? static_cast<double>(*forced) : RawForOutput(ctx.id, m, c, cc.current, o);
  }

  if (ctx.id.product == 12 && (ctx.id.variant == 0 || ctx.id.variant == 7)) {
    const bool v0 = ctx.id.variant == 0;
    const int base = v0 ? mem::kTripsV0 : mem::kTripsV7;
    const int trips = v0 ? 1 : 2;
    // Variant 0 keeps the trip values of its 10 V and 20 mA inputs scaled by
    // the input's decimals.
    const int code = m[mem::kInputA] & 0x1F;
    const double scale = v0 && (code == 4 || code == 5) ? std::pow(10.0, InputType(code).decimals) : 1.0;
    for (int t = 0; t < trips; ++t) {
      const double high = GetFloat(m, base + 6 * t) / scale;
      const double low = GetFloat(m, base + 6 * t + 3) / scale;
      const bool onMinimum = (m[static_cast<std::size_t>(mem::kOutputA + 2 * t)] & 0x40) != 0;
      const double x = s.input[0];
      bool& on = tripped_[static_cast<std::size_t>(t)];
      if (onMinimum) {
        if (x < low) on = true;
        else if (x > high) on = false;
      } else {
        if (x > high) on = true;
        else if (x < low) on = false;
      }
      if (on) s.status = static_cast<std::uint8_t>(s.status | (1 << t));
    }
  }
  return s;
}

std::unique_ptr<MeasureModel> MakeDefaultMeasureModel() { return std::make_unique<SweepModel>(); }

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
  if (variant == 5) return 15;
  if (variant == 0 || variant == 7 || variant == 8 || variant == 9) return 16;
  return 9;
}

std::string EncodeMeasureFrame(const MeasureSample& s, const DeviceIdentity& id, const MemoryBank& memory) {
  std::array<std::uint8_t, 15> m{};  // m(0) unused, m(1..14) as the client numbers them
  auto put = [&m](int at, const std::array<std::uint8_t, 3>& b) {
    for (int i = 0; i < 3; ++i) m[static_cast<std::size_t>(at + i)] = b[static_cast<std::size_t>(i)];
  };
  const int v = id.variant;
  const bool statusLast = id.product == 12 && (v == 0 || v == 7);
  put(2, EncodeMeasureFloat(s.outputRaw[0]));
  if (statusLast) put(5, EncodeMeasureFloat(s.outputRaw[1]));
  else put(5, EncodeMeasureFloatWithHigh(s.outputRaw[1], s.status));
  put(8, EncodeMeasureFloat(s.input[0]));
  double value3 = s.input[0];
  if (v == 5) value3 = s.input[1];
  const int code = memory[mem::kInputA] & 0x1F;
  if (v == 0 && (code == 4 || code == 5)) value3 *= 1000.0;
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
