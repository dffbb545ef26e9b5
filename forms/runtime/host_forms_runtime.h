// The forms runtime of a host that has its own: the host registers its screen
// object (an Automation object with ActiveControl and ActiveForm) in the
// process's Global Interface Table and puts the cookie, in decimal, in its
// own environment variable TARNLIB_SCREEN; the library then reads every
// member of the screen, its forms and controls late-bound. The environment is
// the process's own, so another process's screen is never picked up, and the
// table hands the object out correctly in any apartment. Looked up afresh on
// every call; removing the variable hands the library back to the window
// system.
#pragma once

#include <memory>

#include "forms/runtime/forms_runtime.h"

namespace tarn::com {

// Name of the environment variable that carries the cookie.
inline constexpr wchar_t kScreenCookieVariable[] = L"TARNLIB_SCREEN";

// The runtime of this process's published screen object, or null when none
// is published (or the cookie names nothing in the table).
std::unique_ptr<FormsRuntime> PublishedFormsRuntime();

}  // namespace tarn::com
