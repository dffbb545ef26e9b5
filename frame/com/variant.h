// Owning VARIANT: initialised on construction, cleared on destruction.
#pragma once

#include <windows.h>

#include <new>

#include "frame/automation_error.h"

namespace tarn::com {

class Variant {
 public:
  Variant() noexcept { VariantInit(&value_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  Variant(Variant&& other) noexcept : value_(other.value_) { VariantInit(&other.value_); }
  ~Variant() { VariantClear(&value_); }

  // A copy of `source`, by-reference values dereferenced. A by-reference form
  // with a NULL pointer (also one level down, behind a Variant reference) is
  // refused with error 5 rather than followed.
  static Variant CopyOf(const VARIANT& source) {
    if (HasNullReference(source)) RaiseStandardError(kErrInvalidCall);
    Variant v;
    const HRESULT hr = VariantCopyInd(&v.value_, const_cast<VARIANT*>(&source));
    if (hr == E_OUTOFMEMORY) throw std::bad_alloc();
    if (FAILED(hr)) v.value_.vt = VT_EMPTY;
    return v;
  }

  VARIANT* get() noexcept { return &value_; }
  const VARIANT* get() const noexcept { return &value_; }
  VARIANT* operator->() noexcept { return &value_; }
  // Hands ownership to the caller; this object is Empty afterwards.
  VARIANT release() noexcept {
    VARIANT out = value_;
    VariantInit(&value_);
    return out;
  }

 private:
  static bool HasNullReference(const VARIANT& v) noexcept {
    if (!(V_VT(&v) & VT_BYREF)) return false;
    if (!V_BYREF(&v)) return true;
    if (V_VT(&v) != (VT_BYREF | VT_VARIANT)) return false;
    const VARIANT& inner = *V_VARIANTREF(&v);
    return (V_VT(&inner) & VT_BYREF) && !V_BYREF(&inner);
  }

  VARIANT value_;
};

}  // namespace tarn::com
