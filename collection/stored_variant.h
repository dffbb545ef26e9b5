// An Automation value as the collection stores it: an owning VARIANT whose
// copy is VariantCopy (an object becomes another reference to the same
// object, a String or an array a deep copy). Made from a client's argument,
// by-reference values are dereferenced first.
#pragma once

#include <windows.h>

#include "frame/com/variant.h"

namespace tarn::collection {

// Raises the error of a failed Variant operation as the client sees it: the
// standard numbers for type mismatch, overflow and the rest; the client
// object's own error when the conversion ran its code.
[[noreturn]] void RaiseVariantFailure(HRESULT hr);

class StoredVariant {
 public:
  StoredVariant() noexcept { VariantInit(&value_); }
  explicit StoredVariant(const VARIANT& source) {
    VariantInit(&value_);
    const HRESULT hr = VariantCopyInd(&value_, const_cast<VARIANT*>(&source));
    if (FAILED(hr)) RaiseVariantFailure(hr);
  }
  StoredVariant(const StoredVariant& other) {
    VariantInit(&value_);
    const HRESULT hr = VariantCopy(&value_, const_cast<VARIANT*>(&other.value_));
    if (FAILED(hr)) RaiseVariantFailure(hr);
  }
  StoredVariant(StoredVariant&& other) noexcept : value_(other.value_) { VariantInit(&other.value_); }
  StoredVariant& operator=(const StoredVariant& other) {
    if (this != &other) *this = StoredVariant(other);
    return *this;
  }
  StoredVariant& operator=(StoredVariant&& other) noexcept {
    if (this != &other) {
      VariantClear(&value_);
      value_ = other.value_;
      VariantInit(&other.value_);
    }
    return *this;
  }
  ~StoredVariant() { VariantClear(&value_); }

  const VARIANT& get() const noexcept { return value_; }
  // Hands the value over; this one is Empty afterwards.
  com::Variant Take() noexcept {
    com::Variant out;
    *out.get() = value_;
    VariantInit(&value_);
    return out;
  }

 private:
  VARIANT value_;
};

}  // namespace tarn::collection
