// A Variant holding a String.
#pragma once

#include <string_view>

#include "frame/com/bstr.h"
#include "frame/com/variant.h"

namespace tarn::com {

inline Variant StringVariant(std::u16string_view text) {
  Bstr value(text);
  Variant out;
  V_VT(out.get()) = VT_BSTR;
  V_BSTR(out.get()) = value.release();
  return out;
}

}  // namespace tarn::com
