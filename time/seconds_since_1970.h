// Seconds from 1 January 1970, 00:00:00 to a local wall-clock moment, counting
// every calendar day as 86 400 seconds. No time-zone or daylight-saving
// correction is applied: both ends are local wall-clock values.
#pragma once

#include <cstdint>

#include "time/local_clock.h"

namespace tarn {

// Days from 1 January 1970 to the given proleptic Gregorian date (negative
// before it).
int64_t DaysFrom1970(int64_t year, int32_t month, int32_t day) noexcept;

// The count for `moment`, as a 64-bit number.
int64_t SecondsFrom1970(const LocalDateTime& moment) noexcept;

// The count for the clock's present moment as a Long: from 19 January 2038,
// 03:14:08 on (and before 13 December 1901, 20:45:52) it does not fit, and the
// standard overflow error 6 is raised.
int32_t SecFrom1970(const LocalClock& clock);

}  // namespace tarn
