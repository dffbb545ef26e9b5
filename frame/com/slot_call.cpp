#include "frame/com/slot_call.h"

#include <cstdint>
#include <cstring>

namespace tarn::com {
namespace {

using Word = uintptr_t;

// The word a Variant hands to a slot of its own type: the reference itself for
// a by-reference value, else the low bytes of its value.
Word WordOf(const VARIANTARG* arg) noexcept {
  Word word = 0;
  std::memcpy(&word, &V_UI1(arg), sizeof(word));
  return word;
}

}  // namespace

bool IsWordArgument(VARTYPE type) noexcept {
  if (type & (VT_BYREF | VT_ARRAY)) return true;
  switch (type) {
    case VT_I1:
    case VT_UI1:
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_ERROR:
    case VT_BSTR:
    case VT_DISPATCH:
    case VT_UNKNOWN:
      return true;
    default:
      return false;  // floating point, 64-bit integers, currency, dates, Variants by value
  }
}

HRESULT CallWordSlot(void* self, UINT offset, UINT count, VARIANTARG* const* args) noexcept {
  void* const* vtable = *static_cast<void* const* const*>(self);
  void* const slot = vtable[offset / sizeof(void*)];
  Word w[kMostWordArguments] = {};
  for (UINT i = 0; i < count && i < kMostWordArguments; ++i) w[i] = WordOf(args[i]);
  switch (count) {
    case 0:
      return reinterpret_cast<HRESULT(STDMETHODCALLTYPE*)(void*)>(slot)(self);
    case 1:
      return reinterpret_cast<HRESULT(STDMETHODCALLTYPE*)(void*, Word)>(slot)(self, w[0]);
    case 2:
      return reinterpret_cast<HRESULT(STDMETHODCALLTYPE*)(void*, Word, Word)>(slot)(self, w[0], w[1]);
    case 3:
      return reinterpret_cast<HRESULT(STDMETHODCALLTYPE*)(void*, Word, Word, Word)>(slot)(self, w[0], w[1], w[2]);
    case 4:
      return reinterpret_cast<HRESULT(STDMETHODCALLTYPE*)(void*, Word, Word, Word, Word)>(slot)(self, w[0], w[1], w[2],
                                                                                                w[3]);
    case 5:
      return reinterpret_cast<HRESULT(STDMETHODCALLTYPE*)(void*, Word, Word, Word, Word, Word)>(slot)(self, w[0], w[1],
                                                                                                      w[2], w[3], w[4]);
    case 6:
      return reinterpret_cast<HRESULT(STDMETHODCALLTYPE*)(void*, Word, Word, Word, Word, Word, Word)>(slot)(
          self, w[0], w[1], w[2], w[3], w[4], w[5]);
    case 7:
      return reinterpret_cast<HRESULT(STDMETHODCALLTYPE*)(void*, Word, Word, Word, Word, Word, Word, Word)>(slot)(
          self, w[0], w[1], w[2], w[3], w[4], w[5], w[6]);
    case 8:
      return reinterpret_cast<HRESULT(STDMETHODCALLTYPE*)(void*, Word, Word, Word, Word, Word, Word, Word, Word)>(slot)(
          self, w[0], w[1], w[2], w[3], w[4], w[5], w[6], w[7]);
    default:
      return E_INVALIDARG;
  }
}

}  // namespace tarn::com
