#include "time/time_utility.h"

#include "frame/com/call_frame.h"

namespace tarn {

using com::NotAvailableYet;
using com::RunMember;

HRESULT TimeUtility::UltimoMese(eMesiAnno, short, short* result) {
  return RunMember(this, result, [] { return NotAvailableYet<short>(u"UltimoMese"); });
}

HRESULT TimeUtility::isLeapYear(short, VARIANT_BOOL* result) {
  return RunMember(this, result, [] { return NotAvailableYet<VARIANT_BOOL>(u"isLeapYear"); });
}

HRESULT TimeUtility::SecFrom1970(LONG* result) {
  return RunMember(this, result, [] { return NotAvailableYet<LONG>(u"SecFrom1970"); });
}

}  // namespace tarn
