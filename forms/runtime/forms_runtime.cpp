#include "forms/runtime/forms_runtime.h"

namespace tarn {

bool VariantEquals(const FormValue& a, const FormValue& b) {
  using Kind = FormValue::Kind;
  if (a.kind() == Kind::kOther || b.kind() == Kind::kOther) RaiseStandardError(kErrTypeMismatch);
  if (a.kind() == Kind::kNull || b.kind() == Kind::kNull) return false;
  if (a.kind() == Kind::kEmpty && b.kind() == Kind::kEmpty) return true;
  if (a.kind() == Kind::kString || b.kind() == Kind::kString) {
    if (a.IsNumeric() || b.IsNumeric()) return false;
    // Strings, or a String beside Empty, which reads as "".
    return a.text() == b.text();
  }
  // Numbers, or a number beside Empty, which reads as 0.
  return a.number() == b.number();
}

FormsObject& Require(const std::unique_ptr<FormsObject>& object) {
  if (!object) RaiseStandardError(kErrObjectNotSet);
  return *object;
}

}  // namespace tarn
