#include "frame/array_replacement.h"

#include "frame/automation_error.h"

namespace tarn {

ArrayElements ReplacementElements(const CallerArray& array) {
  if (!array.exists) return ArrayElements::kStrings;
  // A fixed array is refused before its type is looked at, as the runtime's
  // own ReDim of a fixed array is.
  if (!array.resizable) RaiseStandardError(kErrArrayLocked);
  if (array.elements == ArrayElements::kOther) RaiseStandardError(kErrTypeMismatch);
  return array.elements;
}

}  // namespace tarn
