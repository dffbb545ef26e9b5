#include "collection/variant_selector.h"

#include <new>

#include "collection/stored_variant.h"
#include "frame/automation_error.h"
#include "frame/com/bstr.h"
#include "frame/com/call_frame.h"

namespace tarn::collection {
namespace {

const VARIANT* Referenced(const VARIANT* value) noexcept {
  while (V_VT(value) == (VT_BYREF | VT_VARIANT) && V_VARIANTREF(value)) value = V_VARIANTREF(value);
  return value;
}

}  // namespace

void RaiseVariantFailure(HRESULT hr) {
  switch (hr) {
    case E_OUTOFMEMORY:
      throw std::bad_alloc();
    case DISP_E_TYPEMISMATCH:
    case E_NOINTERFACE:  // an object without IDispatch, whose value cannot be read
      RaiseStandardError(kErrTypeMismatch);
    case DISP_E_OVERFLOW:
      RaiseStandardError(kErrOverflow);
    case DISP_E_ARRAYISLOCKED:
      RaiseStandardError(kErrArrayLocked);
    case DISP_E_BADVARTYPE:
      RaiseStandardError(458);
    case E_INVALIDARG:
      RaiseStandardError(kErrInvalidCall);
    default:
      com::RaiseFailedCall(hr);  // always raises
  }
  RaiseStandardError(kErrInternal);
}

VariantSelector::VariantSelector(const VARIANT& value) noexcept : value_(Referenced(&value)) {}

bool VariantSelector::IsKey() const { return V_VT(value_) == VT_BSTR || V_VT(value_) == (VT_BYREF | VT_BSTR); }

std::u16string_view VariantSelector::Key() const {
  if (V_VT(value_) == VT_BSTR) return com::ViewOf(V_BSTR(value_));
  return V_BSTRREF(value_) ? com::ViewOf(*V_BSTRREF(value_)) : std::u16string_view();
}

int32_t VariantSelector::Position() const {
  if (V_VT(value_) == VT_I4) return V_I4(value_);
  com::Variant converted;
  const HRESULT hr = VariantChangeType(converted.get(), const_cast<VARIANT*>(value_), 0, VT_I4);
  if (FAILED(hr)) RaiseVariantFailure(hr);
  return V_I4(converted.get());
}

bool IsMissing(const VARIANT* value) noexcept {
  if (!value) return true;
  value = Referenced(value);
  return V_VT(value) == VT_ERROR && V_ERROR(value) == DISP_E_PARAMNOTFOUND;
}

}  // namespace tarn::collection
