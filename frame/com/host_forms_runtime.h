// The forms runtime of a host that has its own: the host publishes its screen
// object (an Automation object with ActiveControl and ActiveForm) in the
// Running Object Table under an item moniker named "TarnLib.Screen." followed
// by the host's process id in decimal, and the library reads every member of
// it and of its forms and controls late-bound. Looked up afresh on every call.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "frame/forms_runtime.h"

namespace tarn::com {

// The item name under which the process `process_id` publishes its screen.
std::wstring ScreenItemName(DWORD process_id);

// The runtime of this process's published screen object, or null when none
// is published.
std::unique_ptr<FormsRuntime> PublishedFormsRuntime();

}  // namespace tarn::com
