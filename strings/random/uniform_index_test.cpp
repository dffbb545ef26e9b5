#include "strings/random/uniform_index.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace tarn {
namespace {

// Every word of the width once: each index must be reached by exactly
// floor(2^w / bound) words and the rest rejected, for no index to be favoured.
template <typename Word>
void ExpectEveryIndexEquallyOften(uint64_t bound) {
  constexpr uint64_t kWords = uint64_t{1} << std::numeric_limits<Word>::digits;
  const UniformIndex<Word> map(bound);
  std::vector<uint64_t> hits(bound);
  uint64_t rejected = 0;
  for (uint64_t w = 0; w < kWords; ++w) {
    uint32_t index = 0;
    if (map.Map(static_cast<Word>(w), index)) {
      ASSERT_LT(index, bound) << "word " << w << ", bound " << bound;
      ++hits[index];
    } else {
      ++rejected;
    }
  }
  for (uint64_t k = 0; k < bound; ++k) ASSERT_EQ(hits[k], kWords / bound) << "index " << k << ", bound " << bound;
  EXPECT_EQ(rejected, kWords % bound) << "bound " << bound;
}

TEST(UniformIndex, EveryByteBoundReachesEachIndexEquallyOften) {
  for (uint64_t bound = 1; bound <= 256; ++bound) ExpectEveryIndexEquallyOften<uint8_t>(bound);
}

TEST(UniformIndex, SixteenBitWordsReachEachIndexEquallyOften) {
  for (const uint64_t bound : {1, 2, 3, 7, 62, 100, 641, 1000, 1024, 1025, 4097, 40000, 65535, 65536}) {
    ExpectEveryIndexEquallyOften<uint16_t>(bound);
  }
}

TEST(UniformIndex, ThirtyTwoBitWordsCoverTheWholeRange) {
  // Too many words to try each: the ends of the range and the rejection edge.
  constexpr uint64_t kBound = 3'000'000'019;  // 2^32 mod bound = 1,294,967,277
  const UniformIndex<uint32_t> map(kBound);
  uint32_t index = 0;
  EXPECT_FALSE(map.Map(0, index));
  ASSERT_TRUE(map.Map(0xFFFFFFFFu, index));
  EXPECT_EQ(index, kBound - 1);
  ASSERT_TRUE(map.Map(2, index));  // 2 * bound has a low half above the threshold
  EXPECT_EQ(index, 1u);
  const UniformIndex<uint32_t> whole(uint64_t{1} << 32);
  ASSERT_TRUE(whole.Map(123456789u, index));
  EXPECT_EQ(index, 123456789u);
}

}  // namespace
}  // namespace tarn
