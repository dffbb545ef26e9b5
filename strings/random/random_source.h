// The platform's generator of random numbers, as GetRndString draws from it:
// each call yields the next number r, uniform, with 0 <= r < 1. The DLL binds it
// to the operating system's cryptographic generator; the library never seeds it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tarn {

class RandomSource {
 public:
  virtual ~RandomSource() = default;

  // The next number r of the sequence, 0 <= r < 1.
  virtual double NextUniform() = 0;

  // Fills out[0, count) with indices below `bound` (at least 1), each index
  // equally likely and independent of the others. The default takes one
  // number r per index and its entry floor(r * bound), failing with error 9
  // for a number outside [0, 1); a source of random bits overrides it to map
  // fewer bits per index without bias.
  virtual void NextIndices(uint32_t bound, uint32_t* out, size_t count);

  // Fills out[0, count) with entries of `table` (not empty, at most 2^32 - 1
  // entries) at indices drawn as NextIndices draws them: every entry equally
  // likely. The default maps NextIndices a chunk at a time; a source may
  // override it to write the entries as it draws.
  virtual void NextCharacters(std::u16string_view table, char16_t* out, size_t count);
};

// A uniform number 0 <= r < 1 from 64 random bits: the top 53 bits scaled by
// 2^-53, so every result is an exact multiple of 2^-53 and the largest is the
// largest double below 1. Adapters over a source of random bytes use this.
constexpr double UniformFromBits(uint64_t bits) { return static_cast<double>(bits >> 11) * 0x1.0p-53; }

}  // namespace tarn
