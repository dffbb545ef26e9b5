// The process's table of operating-system entry points, bound through
// LoadLibraryA and GetProcAddress.
#pragma once

#include "frame/entry_points.h"

namespace tarn::com {

EntryPointTable& SystemEntryPoints();

}  // namespace tarn::com
