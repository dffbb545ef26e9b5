// Removes leading and trailing spaces: U+0020 only, tabs and other white space
// stay.
#pragma once

#include <string_view>

namespace tarn {

constexpr std::u16string_view TrimSpaces(std::u16string_view text) noexcept {
  const size_t first = text.find_first_not_of(u' ');
  if (first == std::u16string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(u' ') - first + 1);
}

}  // namespace tarn
