// The number of the AutomationError a call raises, 0 when it raises none.
#pragma once

#include <cstdint>
#include <string>

#include "frame/automation_error.h"

namespace tarn::testing {

template <typename Call>
int32_t ErrorOf(Call&& call, std::u16string* description = nullptr) {
  try {
    call();
  } catch (const AutomationError& e) {
    if (description) *description = e.description();
    return e.number();
  }
  return 0;
}

}  // namespace tarn::testing
