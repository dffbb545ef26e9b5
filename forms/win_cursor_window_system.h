// The cursor functions of user32, reached through the table of entry points.
#pragma once

#include "forms/cursor_confinement.h"

namespace tarn::com {

CursorWindowSystem& WindowCursorSystem();

}  // namespace tarn::com
