#include "frame/com/forms_runtime_provider.h"

#include "frame/com/host_forms_runtime.h"
#include "frame/com/window_forms_runtime.h"

namespace tarn::com {

std::unique_ptr<FormsRuntime> CurrentFormsRuntime() {
  if (auto published = PublishedFormsRuntime()) return published;
  return WindowFormsRuntime();
}

}  // namespace tarn::com
