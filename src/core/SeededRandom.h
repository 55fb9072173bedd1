#pragma once
#include <cstdint>
#include <random>

#include "core/Interfaces.h"

namespace sorvant {

// Uniform numbers in [0, 1) from a Mersenne Twister with a fixed seed. The engine and the conversion
// to a double are fully specified, so every build and every start draws the same sequence.
class SeededRandom final : public Random {
 public:
  explicit SeededRandom(uint32_t seed = kSeed) : engine_(seed) {}
  double next() override {
    const uint32_t a = engine_() >> 5;
    const uint32_t b = engine_() >> 6;
    return (a * 67108864.0 + b) / 9007199254740992.0;
  }
  static constexpr uint32_t kSeed = 20261207u;

 private:
  std::mt19937 engine_;
};

}  // namespace sorvant
