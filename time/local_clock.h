// The local wall clock, to the whole second: the DLL reads the system's local
// time, tests set the clock to any moment.
#pragma once

#include <cstdint>

namespace tarn {

// A local wall-clock date and time; month 1 to 12, day 1 to 31.
struct LocalDateTime {
  int32_t year;
  int32_t month;
  int32_t day;
  int32_t hour;
  int32_t minute;
  int32_t second;
};

class LocalClock {
 public:
  virtual ~LocalClock() = default;
  virtual LocalDateTime Now() const = 0;
};

}  // namespace tarn
