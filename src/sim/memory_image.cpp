#include "sim/memory_image.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>

#include "files/safe_file.h"
#include "link/codecs.h"
#include "sim/device_types.h"

namespace korventa::sim {

void PutWord(MemoryBank& m, int address, long value) {
  auto [hi, lo] = SplitWord(value);
  m[static_cast<std::size_t>(address) & 0xFF] = lo;
  m[static_cast<std::size_t>(address + 1) & 0xFF] = hi;
}

long GetWord(const MemoryBank& m, int address, bool isSigned) {
  return JoinWord(m[static_cast<std::size_t>(address + 1) & 0xFF], m[static_cast<std::size_t>(address) & 0xFF],
                  isSigned);
}

void PutFloat(MemoryBank& m, int address, double value) {
  // Stored low byte first: F, EF, SE.
  auto b = EncodeFloat(value);
  m[static_cast<std::size_t>(address) & 0xFF] = b[2];
  m[static_cast<std::size_t>(address + 1) & 0xFF] = b[1];
  m[static_cast<std::size_t>(address + 2) & 0xFF] = b[0];
}

double GetFloat(const MemoryBank& m, int address) {
  return DecodeFloat(m[static_cast<std::size_t>(address + 1) & 0xFF], m[static_cast<std::size_t>(address) & 0xFF],
                     m[static_cast<std::size_t>(address + 2) & 0xFF]);
}

double FactoryOutput(int channel, bool current, double raw) {
  // Each output stage is a little off nominal, as a real one is: the
  // calibration constants are what the bench measured at counts 800 and 3500.
  double at800, at3500;
  if (current) {
    at800 = channel == 0 ? 3.998 : 4.003;
    at3500 = channel == 0 ? 20.004 : 19.996;
  } else {
    at800 = channel == 0 ? 2.001 : 1.999;
    at3500 = channel == 0 ? 9.998 : 10.002;
  }
  return at800 + (at3500 - at800) * (raw - 800.0) / 2700.0;
}

namespace {

struct ChannelSetup {
  int code;            // device input code
  double inMin, inMax;  // engineering units
  int outType;         // 0 "0-20 mA", 1 "4-20 mA", 2 "0-10 V", 3 "0-5 V"
  double outMin, outMax;
  int wires;           // 0 two wires, 1 four, 2 three
  bool cjcInternal;
};

struct Setup {
  ChannelSetup a, b;
};

Setup SetupFor(int variant) {
  const ChannelSetup tcK{8, 0, 1000, 1, 4, 20, 0, true};
  switch (variant) {
    case 0: return {tcK, tcK};
    case 1: {
      ChannelSetup c{7, 0, 600, 1, 4, 20, 0, true};
      return {c, c};
    }
    case 2: {
      ChannelSetup c{7, 0, 400, 1, 4, 20, 0, true};
      return {c, c};
    }
    case 3: {
      ChannelSetup c{18, -50, 150, 1, 4, 20, 2, false};
      return {c, c};
    }
    case 4:
    case 5:
      // Two independent channels: a current loop in, and a 0-10 V signal.
      return {{5, 4, 20, 1, 4, 20, 0, false}, {4, 0, 10, 2, 0, 10, 0, false}};
    case 6: {
      ChannelSetup c{25, 0, 150, 1, 4, 20, 0, false};
      return {c, c};
    }
    case 7: {
      ChannelSetup c{0, 0, 1000, 1, 4, 20, 0, false};  // NAMUR sensor, 0..1000 Hz
      return {c, c};
    }
    case 8: {
      ChannelSetup c{18, 0, 200, 1, 4, 20, 2, false};
      return {c, c};
    }
    case 9: {
      ChannelSetup c{8, 0, 1200, 2, 0, 10, 0, true};
      return {c, c};
    }
    default: return {tcK, tcK};
  }
}

// Decimals of a variant-7 frequency range, chosen from its maximum.
int FrequencyDecimals(double max) {
  int d = 0;
  for (double limit : {6500.0, 650.0, 65.0})
    if (max <= limit) ++d;
  return d;
}

void PutRange(MemoryBank& m, int address, const ChannelSetup& c, int decimals) {
  const double scale = std::pow(10.0, decimals);
  PutWord(m, address + 0, std::lround(c.inMax * scale));
  PutWord(m, address + 2, std::lround(c.inMin * scale));
  PutWord(m, address + 4, std::lround(c.outMax * 1000.0));
  PutWord(m, address + 6, std::lround(c.outMin * 1000.0));
}

std::uint8_t OutputByte(const ChannelSetup& c, int variant, int frequencyDecimals) {
  int b = c.outType & 0x03;
  b |= (variant == 7 ? frequencyDecimals : c.wires) << 2;
  if (c.cjcInternal) b |= 0x10;
  return static_cast<std::uint8_t>(b);
}

void PutCalibration(MemoryBank& m, int variant) {
  // The constants are the outputs at counts 800 and 3500; the frequency,
  // trip and 4-wire models keep them the other way round.
  const bool swapped = variant == 0 || variant == 7 || variant == 8 || variant == 9;
  struct Slot {
    int address, channel;
    bool current;
  };
  for (Slot s : {Slot{mem::kCalVoltageA, 0, false}, Slot{mem::kCalCurrentA, 0, true},
                 Slot{mem::kCalVoltageB, 1, false}, Slot{mem::kCalCurrentB, 1, true}}) {
    const double y800 = FactoryOutput(s.channel, s.current, 800);
    const double y3500 = FactoryOutput(s.channel, s.current, 3500);
    PutFloat(m, s.address, swapped ? y3500 : y800);
    PutFloat(m, s.address + 3, swapped ? y800 : y3500);
  }
}

void PutStoredDefaults(MemoryBank& m, int variant) {
  for (int code = 0; code < 32; ++code) {
    const int address = mem::kStoredDefaults + 4 * code;
    // Variant 5 keeps its physical scaling in the first part of this area.
    if (variant == 5 && address <= mem::kPhysicalV5 + 25) continue;
    if (variant == 7) {
      // The frequency converter asks for its tables as code 1: 0..1000 Hz.
      if (code == 1) {
        PutWord(m, address, 1000);
        PutWord(m, address + 2, 0);
      }
      continue;
    }
    const DeviceInputType& t = InputType(variant == 6 && code == 18 ? 32 : code);
    if (t.name[0] == '\0' || code == 0) continue;
    const double scale = std::pow(10.0, TableDecimals(variant, code));
    PutWord(m, address, std::clamp(std::lround(t.max * scale), -32768L, 32767L));
    PutWord(m, address + 2, std::clamp(std::lround(t.min * scale), -32768L, 32767L));
  }
}

}  // namespace

MemoryBank DefaultMemoryImage(const DeviceIdentity& id) {
  MemoryBank m;
  m.fill(0xFF);
  const int v = id.variant;
  Setup s = SetupFor(v);
  // Lines whose model bits include bit 5 read as doubling (channel B takes
  // channel A's input), and the program writes them so: the factory image
  // holds what such a write leaves.
  const bool doubling = v >= 2 && v <= 6 && (id.lineBits & 0x20);
  if (doubling) s.b = s.a;
  const int fd = v == 7 ? FrequencyDecimals(s.a.inMax) : 0;

  m[mem::kInputA] = static_cast<std::uint8_t>(s.a.code);
  m[mem::kInputA + 1] = static_cast<std::uint8_t>(s.b.code);
  m[mem::kOptionsA] = 0x00;  // linear, burn-out up
  m[mem::kOptionsA + 2] = 0x00;
  m[mem::kOutputA] = OutputByte(s.a, v, fd);
  m[mem::kOutputA + 2] = OutputByte(s.b, v, fd);
  if (v >= 2 && v <= 6) {
    m[mem::kOutputA] = static_cast<std::uint8_t>((m[mem::kOutputA] & ~0x60) | (id.lineBits & 0x60));
    // Bit 5 is also the doubler, which is written to both output bytes.
    if (doubling) m[mem::kOutputA + 2] |= 0x20;
  }
  m[7] = 0;  // cold-junction offsets, tenths of a degree
  m[8] = 0;
  m[9] = 0;  // over-range tolerance 0 %

  PutRange(m, mem::kRangeB, s.b, v == 7 ? fd : RangeDecimals(v, s.b.code, m[mem::kOutputA + 2]));
  PutRange(m, mem::kRangeA, s.a, v == 7 ? fd : RangeDecimals(v, s.a.code, m[mem::kOutputA]));

  if (v == 0) {
    // Trip A at 800 / 780 degrees, acting on the maximum, 2 s delay. The
    // trip floats share bytes with channel B's range block; the device keeps
    // the trip values there.
    PutFloat(m, mem::kTripsV0, 800.0);
    PutFloat(m, mem::kTripsV0 + 3, 780.0);
    m[mem::kTripDelay] = 15;  // 2 s * 7.5
  }
  if (v == 0 || v == 8 || v == 9) PutWord(m, mem::kResponseDelay, 5);
  if (v == 7) {
    // Trip A high at 800 Hz (acting on the maximum), trip B low at 200 Hz
    // (acting on the minimum).
    PutFloat(m, mem::kTripsV7 + 0, 800.0);
    PutFloat(m, mem::kTripsV7 + 3, 780.0);
    PutFloat(m, mem::kTripsV7 + 6, 220.0);
    PutFloat(m, mem::kTripsV7 + 9, 200.0);
    m[mem::kOutputA + 2] = static_cast<std::uint8_t>(m[mem::kOutputA + 2] | 0x40);
    m[mem::kTripDelay] = 2;
    m[mem::kTripDelaysV7] = 2;
    m[mem::kTripDelaysV7 + 1] = 2;
    PutWord(m, mem::kFilterV7, 10);
    m[mem::kAuxSupplyV7] = 24;
    m[mem::kTriggerV7] = 50;  // NAMUR: about 1.5 mA
  }

  PutCalibration(m, v);
  PutStoredDefaults(m, v);

  if (v == 5) {
    // Physical scaling of the two-input model: 0..100 and 0..50 units.
    PutFloat(m, 128, 100.0);  // channel A physical maximum
    PutFloat(m, 131, 0.0);
    PutFloat(m, 134, 50.0);   // channel B
    PutFloat(m, 137, 0.0);
    PutFloat(m, 140, 100.0);  // channel A physical output maximum
    PutFloat(m, 143, 0.0);
    m[146] = 13;               // operator delay: 1 s
    PutFloat(m, 147, 50.0);   // channel B physical output
    PutFloat(m, 150, 0.0);
  }
  return m;
}

bool LoadMemoryImage(const std::string& path, MemoryBank& out, std::string& error) {
  // Only a regular file of the image's size: a folder, a device such as
  // /dev/zero or a FIFO is refused before anything is read from it.
  const auto bytes = ReadFixedSizeFile(path, out.size(), "a memory image", error);
  if (!bytes) return false;
  std::copy(bytes->begin(), bytes->end(), out.begin());
  return true;
}

bool SaveMemoryImage(const std::string& path, const MemoryBank& image, std::string& error) {
  const std::string temp = path + ".tmp";
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    error = "cannot write " + temp + ": " + std::strerror(errno);
    return false;
  }
  std::size_t done = 0;
  while (done < image.size()) {
    const ssize_t n = ::write(fd, image.data() + done, image.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error = "cannot write " + temp + ": " + std::strerror(errno);
      ::close(fd);
      ::unlink(temp.c_str());
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  // The image must be on disk before it replaces the old one.
  const bool synced = ::fsync(fd) == 0;
  const bool closed = ::close(fd) == 0;
  if (!synced || !closed) {
    error = "cannot write " + temp + ": " + std::strerror(errno);
    ::unlink(temp.c_str());
    return false;
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    error = "cannot replace " + path + ": " + std::strerror(errno);
    ::unlink(temp.c_str());
    return false;
  }
  return true;
}

}  // namespace korventa::sim
