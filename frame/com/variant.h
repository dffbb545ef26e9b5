// Owning VARIANT: initialised on construction, cleared on destruction.
#pragma once

#include <windows.h>

#include <new>

namespace tarn::com {

class Variant {
 public:
  Variant() noexcept { VariantInit(&value_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  Variant(Variant&& other) noexcept : value_(other.value_) { VariantInit(&other.value_); }
  ~Variant() { VariantClear(&value_); }

  // A copy of `source`, by-reference values dereferenced.
  static Variant CopyOf(const VARIANT& source) {
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
  VARIANT value_;
};

}  // namespace tarn::com
