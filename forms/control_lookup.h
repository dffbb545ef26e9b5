// FindControlIndex: the 0-based position of a named control, optionally a
// given element of a control array, among the controls of the active form.
// The form is read through the forms runtime in forms/runtime/: its interface
// in forms_runtime.h, the DLL's providers beside it (forms_runtime_provider.cpp
// chooses), the native tests' fake in tests/native/fake_forms.h.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "forms/runtime/forms_runtime.h"
#include "frame/text_services.h"

namespace tarn {

// The first position whose control's Name equals `S` ignoring case (both
// lower-cased) and, when `index` is given, whose Index equals it as Variants;
// -1 when none does. The active form is taken once; its Controls collection is
// asked for again at every access. Errors of the runtime pass unchanged (91
// when there is no active form); a Count whose last position does not fit an
// Integer raises error 6.
int16_t FindControlIndex(const TextServices& services, FormsRuntime& runtime, std::u16string_view S,
                         const std::optional<FormValue>& index);

}  // namespace tarn
