// The platform's generator of random numbers, as GetRndString draws from it:
// each call yields the next number r, uniform, with 0 <= r < 1. The DLL binds it
// to the operating system's cryptographic generator; the library never seeds it.
#pragma once

#include <cstdint>

namespace tarn {

class RandomSource {
 public:
  virtual ~RandomSource() = default;

  // The next number r of the sequence, 0 <= r < 1.
  virtual double NextUniform() = 0;
};

// A uniform number 0 <= r < 1 from 64 random bits: the top 53 bits scaled by
// 2^-53, so every result is an exact multiple of 2^-53 and the largest is the
// largest double below 1. Adapters over a source of random bytes use this.
constexpr double UniformFromBits(uint64_t bits) { return static_cast<double>(bits >> 11) * 0x1.0p-53; }

}  // namespace tarn
