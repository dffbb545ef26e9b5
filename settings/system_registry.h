// The current user's registry through the Unicode registry functions of the
// entry-point table. Reads ask for read access only (KEY_READ), writes and
// value deletions for write access (KEY_WRITE).
#pragma once

#include "settings/registry.h"

namespace tarn::com {

Registry& SystemRegistry() noexcept;

}  // namespace tarn::com
