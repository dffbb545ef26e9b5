#include "time/calendar.h"

#include <gtest/gtest.h>

#include <limits>

#include "time/seconds_since_1970.h"

namespace tarn {
namespace {

constexpr auto kGregorian = [](int16_t year) { return IsLeapYear(year); };

TEST(IsLeapYear, GregorianRuleWithoutLowerLimit) {
  const struct {
    int16_t year;
    bool leap;
  } rows[] = {
      {2000, true},   {1900, false}, {2024, true},    {2023, false}, {1600, true}, {2100, false},
      {0, true},      {-4, true},    {-400, true},    {-100, false}, {-1, false},  {-32768, true},
      {32767, false}, {32764, true}, {-32700, false}, {4, true},     {1, false},
  };
  for (const auto& row : rows) EXPECT_EQ(IsLeapYear(row.year), row.leap) << "year " << row.year;
}

TEST(IsLeapYear, NegativeYearsBehaveLikeTheirAbsoluteValues) {
  for (int year = -32767; year < 0; ++year) {
    EXPECT_EQ(IsLeapYear(static_cast<int16_t>(year)), IsLeapYear(static_cast<int16_t>(-year))) << "year " << year;
  }
}

TEST(DaysInMonth, FebruaryFollowsTheLeapTestAndTheRestAreFixed) {
  const struct {
    int32_t month;
    int16_t year;
    int16_t days;
  } rows[] = {
      {2, 2000, 29},
      {2, 1900, 28},
      {2, 2024, 29},
      {2, 2023, 28},
      {1, 2023, 31},
      {3, 2023, 31},
      {4, 2023, 30},
      {5, 2023, 31},
      {6, 2023, 30},
      {7, 2023, 31},
      {8, 2023, 31},
      {9, 2023, 30},
      {10, 2023, 31},
      {11, 2023, 30},
      {12, 2023, 31},
      {0, 2024, 31},
      {13, 2024, 31},
      {-1, 2024, 31},
      {std::numeric_limits<int32_t>::min(), 0, 31},
      {std::numeric_limits<int32_t>::max(), 0, 31},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(DaysInMonth(row.month, row.year, kGregorian), row.days) << "month " << row.month << " year " << row.year;
  }
}

TEST(DaysInMonth, EveryIntegerYearHas365Or366Days) {
  for (int y = std::numeric_limits<int16_t>::min(); y <= std::numeric_limits<int16_t>::max(); ++y) {
    const auto year = static_cast<int16_t>(y);
    int days = 0;
    for (int32_t month = 1; month <= 12; ++month) days += DaysInMonth(month, year, kGregorian);
    ASSERT_EQ(days, IsLeapYear(year) ? 366 : 365) << "year " << y;
  }
}

TEST(DaysInMonth, AsksTheLeapTestOnlyForFebruaryAndPassesTheYear) {
  int asked = 0;
  int16_t asked_year = 0;
  const auto counting = [&](int16_t year) {
    ++asked;
    asked_year = year;
    return true;
  };
  for (int32_t month = -2; month <= 14; ++month) {
    if (month != 2) DaysInMonth(month, 1999, counting);
  }
  EXPECT_EQ(asked, 0);
  EXPECT_EQ(DaysInMonth(2, 1999, counting), 29);  // the caller's answer counts, not the rule's
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(asked_year, 1999);
}

// The day count against a walk through the calendar one day at a time, with
// the month lengths above, from 1 January 1800 to the end of 2100.
TEST(DaysFrom1970, AgreesWithAWalkThroughTheCalendar) {
  int64_t expected = DaysFrom1970(1800, 1, 1);
  for (int year = 1800; year <= 2100; ++year) {
    for (int32_t month = 1; month <= 12; ++month) {
      const int16_t days = DaysInMonth(month, static_cast<int16_t>(year), kGregorian);
      for (int32_t day = 1; day <= days; ++day) {
        ASSERT_EQ(DaysFrom1970(year, month, day), expected) << year << "-" << month << "-" << day;
        ++expected;
      }
    }
  }
  EXPECT_EQ(DaysFrom1970(1970, 1, 1), 0);
  EXPECT_EQ(DaysFrom1970(1800, 1, 1), -62091);
}

}  // namespace
}  // namespace tarn
