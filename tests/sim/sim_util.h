// Small helpers shared by the simulator tests.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "link/protocol.h"
#include "sim/identity.h"
#include "sim/virtual_converter.h"

namespace korventa::sim::test {

inline Clock::time_point At(double seconds) {
  return Clock::time_point{} + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

inline ConverterConfig ConfigFor(const std::string& model) {
  ConverterConfig c;
  c.identity = *IdentityForModel(model);
  return c;
}

// Feeds a frame at time t and returns everything the converter answers,
// concatenated.
inline std::string Exchange(VirtualConverter& dev, const std::string& frame, double t = 0.0) {
  std::vector<Emission> out;
  for (char c : frame) dev.Receive(static_cast<std::uint8_t>(c), At(t), out);
  std::string all;
  for (const auto& e : out) all += e.bytes;
  return all;
}

inline std::string Bytes(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s += static_cast<char>(b);
  return s;
}

}  // namespace korventa::sim::test
