// A form, control or collection of a forms runtime that is an Automation
// object: every member read and written late-bound through IDispatch.
#pragma once

#include <windows.h>
#include <wrl/client.h>

#include "forms/runtime/forms_runtime.h"

namespace tarn::com {

class DispatchFormsObject final : public FormsObject {
 public:
  // Holds its own reference to `object` (which may be null for Nothing: every
  // use then raises error 91).
  explicit DispatchFormsObject(IDispatch* object) : object_(object) {}

  std::u16string ReadString(std::u16string_view name) override;
  int32_t ReadLong(std::u16string_view name) override;
  FormValue ReadValue(std::u16string_view name) override;
  std::unique_ptr<FormsObject> ReadObject(std::u16string_view name) override;
  void Write(std::u16string_view name, const FormValue& value) override;
  std::unique_ptr<FormsObject> Item(int16_t position) override;

 private:
  Microsoft::WRL::ComPtr<IDispatch> object_;
};

// The object a Variant holds as a FormsObject; null for Nothing.
std::unique_ptr<FormsObject> FormsObjectOf(const VARIANT& value);

}  // namespace tarn::com
