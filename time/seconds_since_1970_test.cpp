#include "time/seconds_since_1970.h"

#include <gtest/gtest.h>

#include "tests/native/error_of.h"

namespace tarn {
namespace {

using testing::ErrorOf;

class SetClock final : public LocalClock {
 public:
  LocalDateTime now{1970, 1, 1, 0, 0, 0};
  LocalDateTime Now() const override { return now; }
};

std::string Describe(const LocalDateTime& t) {
  return std::to_string(t.year) + "-" + std::to_string(t.month) + "-" + std::to_string(t.day) + " " +
         std::to_string(t.hour) + ":" + std::to_string(t.minute) + ":" + std::to_string(t.second);
}

TEST(SecFrom1970, CountsLocalWallClockSeconds) {
  const struct {
    LocalDateTime now;
    int32_t seconds;
  } rows[] = {
      {{1970, 1, 1, 0, 0, 0}, 0},
      {{1970, 1, 1, 0, 0, 1}, 1},
      {{1970, 1, 2, 0, 0, 0}, 86400},
      {{1970, 12, 31, 23, 59, 59}, 365 * 86400 - 1},
      {{1972, 3, 1, 0, 0, 0}, (365 + 365 + 31 + 29) * 86400},
      {{2000, 1, 1, 0, 0, 0}, 946684800},
      {{2038, 1, 19, 3, 14, 7}, 2147483647},
      {{1969, 12, 31, 23, 59, 59}, -1},
      {{1969, 1, 1, 0, 0, 0}, -365 * 86400},
      {{1901, 12, 13, 20, 45, 52}, -2147483647 - 1},
  };
  SetClock clock;
  for (const auto& row : rows) {
    clock.now = row.now;
    int32_t seconds = 0;
    EXPECT_EQ(ErrorOf([&] { seconds = SecFrom1970(clock); }), 0) << Describe(row.now);
    EXPECT_EQ(seconds, row.seconds) << Describe(row.now);
  }
}

TEST(SecFrom1970, OverflowsOneSecondPastTheLongRange) {
  SetClock clock;
  const LocalDateTime beyond[] = {
      {2038, 1, 19, 3, 14, 8},     {2038, 1, 20, 0, 0, 0},     {2100, 1, 1, 0, 0, 0},
      {30827, 12, 31, 23, 59, 59}, {1901, 12, 13, 20, 45, 51}, {1601, 1, 1, 0, 0, 0},
  };
  for (const auto& now : beyond) {
    clock.now = now;
    EXPECT_EQ(ErrorOf([&] { SecFrom1970(clock); }), 6) << Describe(now);
  }
}

// The 2038 boundary second by second: the count goes up by one each second
// until it no longer fits.
TEST(SecFrom1970, SecondBySecondUpTo2038) {
  SetClock clock;
  int32_t previous = 0;
  for (int32_t second = 0; second <= 7; ++second) {
    clock.now = {2038, 1, 19, 3, 14, second};
    const int32_t now = SecFrom1970(clock);
    if (second > 0) {
      EXPECT_EQ(now, previous + 1) << "second " << second;
    }
    previous = now;
  }
  EXPECT_EQ(previous, 2147483647);
  clock.now.second = 8;
  EXPECT_EQ(ErrorOf([&] { SecFrom1970(clock); }), 6);
}

// Daylight saving moves the local clock, and the count follows the clock.
TEST(SecFrom1970, FollowsTheLocalClockAcrossDaylightSavingChanges) {
  SetClock clock;
  clock.now = {2024, 3, 31, 1, 59, 59};  // the last second before clocks go forward
  const int32_t before = SecFrom1970(clock);
  clock.now = {2024, 3, 31, 3, 0, 0};  // one second later in real time
  EXPECT_EQ(SecFrom1970(clock) - before, 3600 + 1);
  clock.now = {2024, 10, 27, 2, 59, 59};  // the last second before clocks go back
  const int32_t autumn = SecFrom1970(clock);
  clock.now = {2024, 10, 27, 2, 0, 0};
  EXPECT_EQ(SecFrom1970(clock) - autumn, -3600 + 1);
}

}  // namespace
}  // namespace tarn
