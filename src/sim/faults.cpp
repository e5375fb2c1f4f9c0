#include "sim/faults.h"

#include <algorithm>
#include <array>

namespace korventa::sim {

std::uint64_t SeededRandom::Next() {
  std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

double SeededRandom::Uniform() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }

int SeededRandom::Below(int n) { return n <= 1 ? 0 : static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }

FaultInjector::FaultInjector(const FaultOptions& options) : o_(options), random_(options.seed) {}

std::vector<Piece> FaultInjector::Apply(const std::string& emission) {
  const double uDrop = random_.Uniform();
  const double uWrong = random_.Uniform();
  const double uStale = random_.Uniform();
  const double uGarbage = random_.Uniform();
  const int garbageLength = 1 + random_.Below(4);
  std::array<char, 4> garbage{};
  for (char& g : garbage) g = static_cast<char>(random_.Below(256));
  const int pieces = 2 + random_.Below(2);
  const double cutA = random_.Uniform();
  const double cutB = random_.Uniform();
  const int gapMs = 5 + random_.Below(26);

  const std::string previous = previous_;
  previous_ = emission;
  if (uDrop < o_.drop) return {};

  std::string bytes = emission;
  if (uWrong < o_.wrongTerminator && !bytes.empty()) {
    char& last = bytes.back();
    last = last == '\n' ? '\r' : '\n';
  }
  if (uStale < o_.stale) bytes = previous + bytes;
  if (uGarbage < o_.garbage) bytes = std::string(garbage.data(), static_cast<std::size_t>(garbageLength)) + bytes;

  if (!o_.split || bytes.size() < 2) return {Piece{Clock::duration::zero(), bytes}};
  // Cut points strictly inside the bytes, in order, no empty piece.
  const auto size = bytes.size();
  std::vector<std::size_t> cuts{1 + static_cast<std::size_t>(cutA * static_cast<double>(size - 1))};
  if (pieces == 3 && size >= 3) {
    std::size_t second = 1 + static_cast<std::size_t>(cutB * static_cast<double>(size - 1));
    if (second != cuts[0]) cuts.push_back(second);
  }
  std::sort(cuts.begin(), cuts.end());
  cuts.push_back(size);
  std::vector<Piece> out;
  std::size_t from = 0;
  for (std::size_t to : cuts) {
    const Clock::duration delay = from == 0 ? Clock::duration::zero() : std::chrono::milliseconds(gapMs);
    out.push_back({delay, bytes.substr(from, to - from)});
    from = to;
  }
  return out;
}

}  // namespace korventa::sim
