// Failure-message helpers shared by the native tests of the string members.
#pragma once

#include <string>
#include <string_view>

namespace tarn::testing {

// A UTF-16 text as ASCII for a failure message: other units as '?', long texts
// cut short with their length.
inline std::string Narrow(std::u16string_view text) {
  std::string out;
  for (const char16_t c : text.substr(0, 60)) out += c < 0x80 ? static_cast<char>(c) : '?';
  if (text.size() > 60) out += "... (" + std::to_string(text.size()) + " units)";
  return out;
}

}  // namespace tarn::testing
