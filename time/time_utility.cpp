#include "time/time_utility.h"

#include "frame/com/call_frame.h"
#include "time/calendar.h"
#include "time/seconds_since_1970.h"
#include "time/system_local_clock.h"

namespace tarn {

using com::RunMember;

HRESULT TimeUtility::UltimoMese(eMesiAnno Mese, short Anno, short* result) {
  return RunMember(this, result, [&] {
    // The leap test goes through the object's own interface.
    return DaysInMonth(static_cast<int32_t>(Mese), Anno, [this](int16_t year) {
      VARIANT_BOOL leap = VARIANT_FALSE;
      const HRESULT hr = Self()->isLeapYear(year, &leap);
      if (FAILED(hr)) com::RaiseFailedCall(hr);
      return leap != VARIANT_FALSE;
    });
  });
}

HRESULT TimeUtility::isLeapYear(short inYear, VARIANT_BOOL* result) {
  return RunMember(this, result, [&] { return IsLeapYear(inYear) ? VARIANT_TRUE : VARIANT_FALSE; });
}

HRESULT TimeUtility::SecFrom1970(LONG* result) {
  return RunMember(this, result, [] { return tarn::SecFrom1970(com::SystemLocalClock()); });
}

}  // namespace tarn
