// The system's local wall clock (GetLocalTime).
#pragma once

#include "time/local_clock.h"

namespace tarn::com {

const LocalClock& SystemLocalClock() noexcept;

}  // namespace tarn::com
