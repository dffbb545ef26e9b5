#include "tests/native/system_random_source.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tarn {
namespace {

TEST(UniformFromBits, UsesTheTop53BitsAndStaysBelowOne) {
  struct Row {
    uint64_t bits;
    double expected;
  };
  const Row rows[] = {
      {0, 0.0},
      {~uint64_t{0}, 0x1.fffffffffffffp-1},  // the largest double below 1
      {uint64_t{1} << 63, 0.5},
      {uint64_t{1} << 11, 0x1.0p-53},  // the lowest bit used
      {(uint64_t{1} << 11) - 1, 0.0},  // the 11 bits below it are dropped
  };
  for (const Row& row : rows) EXPECT_EQ(UniformFromBits(row.bits), row.expected) << std::hex << row.bits;
}

TEST(SystemRandomSource, YieldsMultiplesOf2ToTheMinus53WithEveryBitVarying) {
  // Each of the 53 bits must be seen set and clear: a source that is stuck or
  // fills fewer bits fails; a fair one fails with chance about 53 * 2^-9999.
  testing::SystemRandomSource random;
  uint64_t seen_set = 0;
  uint64_t seen_clear = 0;
  for (int i = 0; i < 10000; ++i) {
    const double r = random.NextUniform();
    ASSERT_GE(r, 0.0);
    ASSERT_LT(r, 1.0);
    const double scaled = std::ldexp(r, 53);
    ASSERT_EQ(scaled, std::floor(scaled)) << r;
    const auto bits = static_cast<uint64_t>(scaled);
    seen_set |= bits;
    seen_clear |= ~bits;
  }
  const uint64_t all = (uint64_t{1} << 53) - 1;
  EXPECT_EQ(seen_set & all, all);
  EXPECT_EQ(seen_clear & all, all);
}

}  // namespace
}  // namespace tarn
