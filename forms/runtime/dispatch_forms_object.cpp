#include "forms/runtime/dispatch_forms_object.h"

#include "forms/runtime/late_bound.h"

namespace tarn::com {

std::unique_ptr<FormsObject> FormsObjectOf(const VARIANT& value) {
  Microsoft::WRL::ComPtr<IDispatch> object;
  object.Attach(ObjectOf(value));
  if (!object) return nullptr;
  return std::make_unique<DispatchFormsObject>(object.Get());
}

std::u16string DispatchFormsObject::ReadString(std::u16string_view name) {
  return StringOf(*GetProperty(object_.Get(), name).get());
}

int32_t DispatchFormsObject::ReadLong(std::u16string_view name) {
  return LongOf(*GetProperty(object_.Get(), name).get());
}

FormValue DispatchFormsObject::ReadValue(std::u16string_view name) {
  return FormValueOf(*GetProperty(object_.Get(), name).get());
}

std::unique_ptr<FormsObject> DispatchFormsObject::ReadObject(std::u16string_view name) {
  return FormsObjectOf(*GetProperty(object_.Get(), name).get());
}

void DispatchFormsObject::Write(std::u16string_view name, const FormValue& value) {
  LetProperty(object_.Get(), name, *VariantOf(value).get());
}

std::unique_ptr<FormsObject> DispatchFormsObject::Item(int16_t position) {
  return FormsObjectOf(*GetDefaultItem(object_.Get(), position).get());
}

}  // namespace tarn::com
