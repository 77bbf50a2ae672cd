// The generator's source of randomness: the same seed gives the same numbers
// on every platform and with every standard library.
//
// The standard distributions are not used: their algorithms are left to each
// library, so a seed would not name one network everywhere. Everything here is
// integer arithmetic, and the one floating-point operation (unit()) is exact.
#ifndef MURLO_GENERATE_RANDOM_SOURCE_H_
#define MURLO_GENERATE_RANDOM_SOURCE_H_

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <utility>
#include <vector>

namespace murlo::generate {

// xoshiro256** seeded through splitmix64.
class RandomSource {
 public:
  explicit RandomSource(uint64_t seed) {
    for (uint64_t& word : state_) {
      seed += 0x9E3779B97F4A7C15u;
      uint64_t z = seed;
      z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
      z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
      word = z ^ (z >> 31);
    }
  }

  uint64_t next() {
    const uint64_t result = rotl(state_[1] * 5, 7) * 9;
    const uint64_t t = state_[1] << 17;
    state_[2] ^= state_[0];
    state_[3] ^= state_[1];
    state_[1] ^= state_[2];
    state_[0] ^= state_[3];
    state_[2] ^= t;
    state_[3] = rotl(state_[3], 45);
    return result;
  }

  // Uniform in [0, n); 0 when n is 0. The bias of the multiply-shift is below
  // 2^-32, far under anything a timetable shows.
  uint32_t below(uint32_t n) { return static_cast<uint32_t>(((next() >> 32) * n) >> 32); }

  // Uniform in [lo, hi]. REQUIRES: lo <= hi.
  int32_t between(int32_t lo, int32_t hi) {
    return lo + static_cast<int32_t>(below(static_cast<uint32_t>(hi - lo) + 1));
  }

  // Uniform in [0, 1), a multiple of 2^-53.
  double unit() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }

  bool chance(double p) { return unit() < p; }

  // An index drawn with probability proportional to its weight.
  // REQUIRES: some weight is positive.
  std::size_t weighted(std::span<const double> weights) {
    double total = 0;
    for (const double w : weights) total += w;
    double pick = unit() * total;
    for (std::size_t i = 0; i < weights.size(); ++i) {
      if (pick < weights[i]) return i;
      pick -= weights[i];
    }
    for (std::size_t i = weights.size(); i-- > 0;) {  // rounding left a remainder
      if (weights[i] > 0) return i;
    }
    throw std::logic_error("weighted: no positive weight");
  }

  // Fisher-Yates.
  template <typename T>
  void shuffle(std::vector<T>& items) {
    for (std::size_t i = items.size(); i > 1; --i) {
      const std::size_t j = below(static_cast<uint32_t>(i));
      std::swap(items[i - 1], items[j]);
    }
  }

 private:
  static uint64_t rotl(uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

  uint64_t state_[4];
};

}  // namespace murlo::generate

#endif  // MURLO_GENERATE_RANDOM_SOURCE_H_
