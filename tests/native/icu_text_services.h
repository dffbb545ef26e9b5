// Text services for native tests, built on ICU: simple (one code point for
// one) case mapping, a case-insensitive root-locale collator, Windows-1252 as
// the ANSI code page.
#pragma once

#include "frame/text_services.h"

namespace tarn::testing {

class IcuTextServices final : public TextServices {
 public:
  std::u16string ToUpper(std::u16string_view text) const override;
  std::u16string ToLower(std::u16string_view text) const override;
  int CompareText(std::u16string_view a, std::u16string_view b) const override;
  std::string SortKey(std::u16string_view text) const override;
  std::string ToAnsi(std::u16string_view text) const override;
  std::u16string FromAnsi(std::string_view bytes) const override;
};

// One shared instance for tests.
const TextServices& TestTextServices();

}  // namespace tarn::testing
