#include "time/seconds_since_1970.h"

#include "frame/checked_math.h"

namespace tarn {

int64_t DaysFrom1970(int64_t year, int32_t month, int32_t day) noexcept {
  // Days of the proleptic Gregorian calendar counted in 400-year eras that
  // start on 1 March, so that the leap day ends each year.
  const int64_t y = month <= 2 ? year - 1 : year;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t year_of_era = y - era * 400;
  const int64_t month_from_march = month > 2 ? month - 3 : month + 9;
  const int64_t day_of_year = (153 * month_from_march + 2) / 5 + day - 1;
  const int64_t day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  constexpr int64_t kEraOf1970 = 719468;  // days from 1 March of year 0 to 1 January 1970
  return era * 146097 + day_of_era - kEraOf1970;
}

int64_t SecondsFrom1970(const LocalDateTime& moment) noexcept {
  return DaysFrom1970(moment.year, moment.month, moment.day) * 86400 + moment.hour * 3600 + moment.minute * 60 +
         moment.second;
}

int32_t SecFrom1970(const LocalClock& clock) { return ToLong(SecondsFrom1970(clock.Now())); }

}  // namespace tarn
