// The TimeUtility class: days of a month, the leap-year test and seconds since
// 1970 behind the dual interface _TimeUtility. It keeps no state.
#pragma once

#include "TarnLib_h.h"
#include "frame/com/dispatch_object.h"

namespace tarn {

class TimeUtility final : public com::DispatchObject<TimeUtility, _TimeUtility, &CLSID_TimeUtility> {
 public:
  HRESULT STDMETHODCALLTYPE UltimoMese(eMesiAnno Mese, short Anno, short* result) override;
  HRESULT STDMETHODCALLTYPE isLeapYear(short inYear, VARIANT_BOOL* result) override;
  HRESULT STDMETHODCALLTYPE SecFrom1970(LONG* result) override;
};

}  // namespace tarn
