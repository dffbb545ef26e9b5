#include "frame/checked_math.h"

#include <gtest/gtest.h>

#include <limits>

#include "tests/native/error_of.h"

namespace tarn {
namespace {

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();

using testing::ErrorOf;

TEST(CheckedMath, LongOverflowRaisesSix) {
  EXPECT_EQ(CheckedAdd(kMax - 1, 1), kMax);
  EXPECT_EQ(ErrorOf([] { CheckedAdd(kMax, 1); }), 6);
  EXPECT_EQ(ErrorOf([] { CheckedSub(kMin, 1); }), 6);
  EXPECT_EQ(ErrorOf([] { CheckedNeg(kMin); }), 6);
  EXPECT_EQ(CheckedNeg(kMin + 1), kMax);
  EXPECT_EQ(ErrorOf([] { CheckedMul(65536, 32768); }), 6);
  EXPECT_EQ(CheckedMul(-65536, 32768), kMin);
}

TEST(CheckedMath, IntegerRangeIsSixteenBits) {
  EXPECT_EQ(ToInteger(32767), 32767);
  EXPECT_EQ(ToInteger(-32768), -32768);
  EXPECT_EQ(ErrorOf([] { ToInteger(32768); }), 6);
  EXPECT_EQ(ErrorOf([] { ToInteger(-32769); }), 6);
  EXPECT_EQ(ErrorOf([] { ToLong(int64_t{kMax} + 1); }), 6);
}

TEST(CheckedMath, BoundsRaiseNine) {
  EXPECT_EQ(ErrorOf([] { CheckBounds(0, 0, 3); }), 0);
  EXPECT_EQ(ErrorOf([] { CheckBounds(3, 0, 3); }), 0);
  EXPECT_EQ(ErrorOf([] { CheckBounds(4, 0, 3); }), 9);
  EXPECT_EQ(ErrorOf([] { CheckBounds(-1, 0, 3); }), 9);
  EXPECT_EQ(ErrorOf([] { CheckBounds(1, 1, 0); }), 9);
}

}  // namespace
}  // namespace tarn
