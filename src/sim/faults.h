// Line and device faults a test can switch on, each decided by a seeded
// generator so that a run can be repeated exactly.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "link/transport.h"

namespace korventa::sim {

struct FaultOptions {
  double garbage = 0.0;          // probability of 1-4 random bytes in front of an emission
  bool split = false;            // every emission arrives in 2 or 3 pieces, 5-30 ms apart
  double drop = 0.0;             // probability that an emission is lost
  double wrongTerminator = 0.0;  // probability that the last byte is wrong (LF<->CR)
  double stale = 0.0;            // probability that the previous emission is repeated in front
  std::optional<long> silentAfter;  // frames answered before the device falls silent (0: always)
  std::optional<long> vanishAfter;  // frames before the port disappears
  std::uint64_t seed = 1;
};

// SplitMix64: small, fast and the same on every platform and library,
// unlike the standard distributions.
class SeededRandom {
 public:
  explicit SeededRandom(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next();
  double Uniform();           // [0, 1)
  int Below(int n);           // 0..n-1

 private:
  std::uint64_t state_;
};

// A piece of an emission, sent `delay` after the previous piece ended.
struct Piece {
  Clock::duration delay{};
  std::string bytes;
};

class FaultInjector {
 public:
  explicit FaultInjector(const FaultOptions& options);
  // What goes on the line for one emission of the converter (a reply or an
  // "A" frame). Each emission consumes the same number of random draws
  // whatever faults are on, so switching one fault on does not change the
  // decisions of another for the same seed.
  std::vector<Piece> Apply(const std::string& emission);

 private:
  FaultOptions o_;
  SeededRandom random_;
  std::string previous_;
};

}  // namespace korventa::sim
