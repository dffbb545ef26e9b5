// The keystroke queue of the window system: keystrokes are posted to the
// window that has the keyboard focus in the calling thread (or, when no window
// has it, to the thread's active window) and processed by the client's message
// loop after the current event.
#pragma once

#include "forms/runtime/forms_runtime.h"

namespace tarn::com {

KeystrokeQueue& WindowKeystrokes();

}  // namespace tarn::com
