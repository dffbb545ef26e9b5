// Owning BSTR, and conversions between BSTR and the core's UTF-16 strings.
#pragma once

#include <windows.h>

#include <new>
#include <string_view>
#include <utility>

#include "frame/checked_math.h"

namespace tarn::com {

// A null BSTR reads as the empty string.
inline std::u16string_view ViewOf(BSTR s) noexcept {
  if (!s) return {};
  return {reinterpret_cast<const char16_t*>(s), SysStringLen(s)};
}

class Bstr {
 public:
  Bstr() noexcept = default;
  explicit Bstr(std::u16string_view text) {
    if (text.size() > 0x7FFFFFFFu / 2) RaiseStandardError(kErrOutOfMemory);
    value_ = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size()));
    if (!value_) throw std::bad_alloc();
  }
  // A String of `length` characters for the caller to fill. The largest
  // String the platform can hold is 0x3FFFFFFF characters; a longer one, or
  // one there is no memory for, raises error 7 before anything is done.
  static Bstr WithLength(size_t length) {
    if (length > 0x7FFFFFFFu / 2) RaiseStandardError(kErrOutOfMemory);
    Bstr text;
    text.value_ = SysAllocStringLen(nullptr, static_cast<UINT>(length));
    if (!text.value_) RaiseStandardError(kErrOutOfMemory);
    return text;
  }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  Bstr(Bstr&& other) noexcept : value_(std::exchange(other.value_, nullptr)) {}
  Bstr& operator=(Bstr&& other) noexcept {
    if (this != &other) {
      SysFreeString(value_);
      value_ = std::exchange(other.value_, nullptr);
    }
    return *this;
  }
  ~Bstr() { SysFreeString(value_); }

  BSTR get() const noexcept { return value_; }
  std::u16string_view view() const noexcept { return ViewOf(value_); }
  // Hands ownership to the caller.
  BSTR release() noexcept { return std::exchange(value_, nullptr); }
  BSTR* put() noexcept {
    SysFreeString(value_);
    value_ = nullptr;
    return &value_;
  }

 private:
  BSTR value_ = nullptr;
};

}  // namespace tarn::com
