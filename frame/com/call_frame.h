// The frame every member call runs in. The object keeps itself alive for the
// call, the result is cleared at once and stored only after the body has
// succeeded (after an error it holds the empty value of its type), errors leave
// as HRESULT plus the thread's error information, and a successful call leaves
// no stale error information behind.
#pragma once

#include <windows.h>

#include <type_traits>
#include <utility>

#include "frame/automation_error.h"
#include "frame/com/bstr.h"
#include "frame/com/variant.h"

namespace tarn::com {

// Sets the thread's error information from the current exception and returns
// the HRESULT for it: an AutomationError as it is, std::bad_alloc as error 7
// (E_OUTOFMEMORY), anything else as internal error 51. Call only in a catch block.
HRESULT ReportCurrentException(REFIID iid) noexcept;

// Sets the thread's error information for `error` and returns its HRESULT.
HRESULT ReportError(const AutomationError& error, REFIID iid) noexcept;

// Keeps an object alive for the duration of a call, even when the caller drops
// its last reference inside it.
template <typename Object>
class SelfReference {
 public:
  explicit SelfReference(Object* self) noexcept : self_(self) { self_->AddRef(); }
  SelfReference(const SelfReference&) = delete;
  SelfReference& operator=(const SelfReference&) = delete;
  ~SelfReference() { self_->Release(); }

 private:
  Object* self_;
};

inline void ClearResult(BSTR* out) noexcept { *out = nullptr; }
inline void ClearResult(VARIANT* out) noexcept { VariantInit(out); }
template <typename T>
requires std::is_arithmetic_v<T>
void ClearResult(T* out) noexcept { *out = T{}; }
template <typename T>
void ClearResult(T** out) noexcept {
  *out = nullptr;
}

inline void StoreResult(BSTR* out, Bstr&& value) noexcept { *out = value.release(); }
inline void StoreResult(VARIANT* out, Variant&& value) noexcept { *out = value.release(); }
template <typename T, typename V>
requires std::is_arithmetic_v<T>
void StoreResult(T* out, V value) noexcept { *out = static_cast<T>(value); }
template <typename T>
void StoreResult(T** out, T* value) noexcept {
  *out = value;  // the body hands over a reference it owns
}

// A member without a result.
template <typename Object, typename Body>
HRESULT RunMember(Object* self, Body&& body) noexcept {
  SelfReference keep(self);
  try {
    std::forward<Body>(body)();
    SetErrorInfo(0, nullptr);
    return S_OK;
  } catch (...) {
    return ReportCurrentException(Object::InterfaceId());
  }
}

// A member whose result goes to `result`.
template <typename Object, typename Result, typename Body>
HRESULT RunMember(Object* self, Result* result, Body&& body) noexcept {
  if (!result) return E_POINTER;
  ClearResult(result);
  SelfReference keep(self);
  try {
    StoreResult(result, std::forward<Body>(body)());
    SetErrorInfo(0, nullptr);
    return S_OK;
  } catch (...) {
    return ReportCurrentException(Object::InterfaceId());
  }
}

}  // namespace tarn::com

namespace tarn::com {

// Raises again the error of a failed call through one of the library's own
// interfaces, with the number, description and source it left behind.
void RaiseFailedCall(HRESULT hr);

}  // namespace tarn::com
