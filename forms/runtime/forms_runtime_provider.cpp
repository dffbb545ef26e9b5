#include "forms/runtime/forms_runtime_provider.h"

#include "forms/runtime/host_forms_runtime.h"
#include "forms/runtime/window_forms_runtime.h"

namespace tarn::com {

std::unique_ptr<FormsRuntime> CurrentFormsRuntime() {
  if (auto published = PublishedFormsRuntime()) return published;
  return WindowFormsRuntime();
}

}  // namespace tarn::com
