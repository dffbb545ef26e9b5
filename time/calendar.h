// Month lengths and the Gregorian leap-year rule, for every value a client can
// pass: months outside 1 to 12 are not rejected, years are any Integer.
#pragma once

#include <cstdint>

namespace tarn {

// The full Gregorian rule without a lower limit of validity. The remainders
// are those of signed division, so a negative year is a leap year exactly
// when its absolute value is (0, -4 and -400 are; -100 is not).
constexpr bool IsLeapYear(int16_t year) noexcept { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

// Days of `month` in `year`: 28 or 29 for February as `is_leap_year(year)`
// answers, 30 for April, June, September and November, 31 for every other
// value, including those outside 1 to 12. The leap test is the caller's, so
// that the class can route it through its own interface.
template <typename LeapTest>
int16_t DaysInMonth(int32_t month, int16_t year, LeapTest&& is_leap_year) {
  switch (month) {
    case 2:
      return is_leap_year(year) ? 29 : 28;
    case 4:
    case 6:
    case 9:
    case 11:
      return 30;
    default:
      return 31;
  }
}

}  // namespace tarn
