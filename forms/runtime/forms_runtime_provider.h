// The client's forms runtime for the current call: the screen object the host
// published, when there is one, else the one built from the window system.
#pragma once

#include <memory>

#include "forms/runtime/forms_runtime.h"

namespace tarn::com {

std::unique_ptr<FormsRuntime> CurrentFormsRuntime();

}  // namespace tarn::com
