// The fixed character sets the string class hands out.
#pragma once

#include <string_view>

namespace tarn {

inline constexpr std::u16string_view kUpperChars = u"ABCDEFGHIJKLMNOPQRSTUVWXYZ";
inline constexpr std::u16string_view kLowerChars = u"abcdefghijklmnopqrstuvwxyz";
inline constexpr std::u16string_view kDigits = u"0123456789";
inline constexpr std::u16string_view kSpaces = u" \t";

}  // namespace tarn
