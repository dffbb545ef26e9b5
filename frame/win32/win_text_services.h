// The text services of the running Windows system: the user's locale for case
// mapping and comparison, the system ANSI code page for conversion.
#pragma once

#include "frame/text_services.h"

namespace tarn::com {

const TextServices& SystemTextServices() noexcept;

}  // namespace tarn::com
