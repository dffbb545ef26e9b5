// The platform's text services that the string rules need: locale-aware case
// mapping, case-insensitive comparison and conversion to and from the ANSI
// code page. The DLL binds them to the Win32 functions; native tests bind them
// to ICU.
#pragma once

#include <string>
#include <string_view>

namespace tarn {

class TextServices {
 public:
  virtual ~TextServices() = default;

  // Case mapping under the user's locale. The result has exactly as many code
  // units as the input: positions in the mapped text are positions in the input.
  virtual std::u16string ToUpper(std::u16string_view text) const = 0;
  virtual std::u16string ToLower(std::u16string_view text) const = 0;

  // Compares ignoring letter case under the user's locale: -1, 0 or 1.
  virtual int CompareText(std::u16string_view a, std::u16string_view b) const = 0;

  // The locale's sort key of `text` ignoring letter case, the canonical form
  // behind CompareText: two texts compare equal exactly when their keys are
  // equal, and the keys compared bytewise (as unsigned) order the texts as
  // CompareText does.
  virtual std::string SortKey(std::u16string_view text) const = 0;

  // Conversion to and from the system ANSI code page.
  virtual std::string ToAnsi(std::u16string_view text) const = 0;
  virtual std::u16string FromAnsi(std::string_view bytes) const = 0;
};

}  // namespace tarn
