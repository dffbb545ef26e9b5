// Unbiased indices below a bound from uniform random words, by multiplying
// and rejecting (Lemire, "Fast random integer generation in an interval",
// 2019): the word times the bound, in twice the word's width, has the index
// in its high half; the few words whose low half falls below 2^w mod bound
// are rejected, so that every index is reached by exactly floor(2^w / bound)
// words. Rejection is rare: fewer than bound in 2^w words.
#pragma once

#include <cstdint>
#include <limits>
#include <type_traits>

namespace tarn {

template <typename Word>
class UniformIndex {
  static_assert(std::numeric_limits<Word>::is_integer && !std::numeric_limits<Word>::is_signed &&
                std::numeric_limits<Word>::digits <= 32);
  static constexpr int kBits = std::numeric_limits<Word>::digits;
  static constexpr uint64_t kWords = uint64_t{1} << kBits;
  // Wide enough for a word times a bound: 32 bits for words of up to 16.
  using Product = std::conditional_t<(kBits <= 16), uint32_t, uint64_t>;

 public:
  // The largest bound a word of this width serves.
  static constexpr uint64_t kMaxBound = kWords;

  // `bound` from 1 to kMaxBound.
  explicit constexpr UniformIndex(uint64_t bound) noexcept
      : bound_(static_cast<Product>(bound)), threshold_(static_cast<Product>(kWords % bound)) {}

  // The index `word` stands for, in 0 to bound - 1, is stored in `index`
  // whether or not the word is taken, so that a loop over many words needs
  // no branch; false when the word is rejected and another must be drawn.
  constexpr bool Map(Word word, uint32_t& index) const noexcept {
    const Product product = static_cast<Product>(Product{word} * bound_);
    index = static_cast<uint32_t>(product >> kBits);
    return static_cast<Product>(product & (kWords - 1)) >= threshold_;
  }

 private:
  Product bound_;
  Product threshold_;
};

}  // namespace tarn
