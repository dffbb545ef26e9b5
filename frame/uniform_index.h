// Unbiased indices below a bound from uniform random words, by multiplying
// and rejecting (Lemire, "Fast random integer generation in an interval",
// 2019): the word times the bound, in twice the word's width, has the index
// in its high half; the few words whose low half falls below 2^w mod bound
// are rejected, so that every index is reached by exactly floor(2^w / bound)
// words. Rejection is rare: fewer than bound in 2^w words.
#pragma once

#include <cstdint>
#include <limits>

namespace tarn {

template <typename Word>
class UniformIndex {
  static_assert(std::numeric_limits<Word>::is_integer && !std::numeric_limits<Word>::is_signed &&
                std::numeric_limits<Word>::digits <= 32);
  static constexpr int kBits = std::numeric_limits<Word>::digits;
  static constexpr uint64_t kWords = uint64_t{1} << kBits;

 public:
  // The largest bound a word of this width serves.
  static constexpr uint64_t kMaxBound = kWords;

  // `bound` from 1 to kMaxBound.
  explicit constexpr UniformIndex(uint64_t bound) noexcept
      : bound_(bound), threshold_(static_cast<uint64_t>(kWords % bound)) {}

  // The index `word` stands for, in 0 to bound - 1; false when the word is
  // rejected and another must be drawn.
  constexpr bool Map(Word word, uint32_t& index) const noexcept {
    const uint64_t product = uint64_t{word} * bound_;
    if ((product & (kWords - 1)) < threshold_) return false;
    index = static_cast<uint32_t>(product >> kBits);
    return true;
  }

 private:
  uint64_t bound_;
  uint64_t threshold_;
};

}  // namespace tarn
