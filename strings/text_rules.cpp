#include "strings/text_rules.h"

#include <limits>

#include "frame/automation_error.h"
#include "strings/case_insensitive_search.h"

namespace tarn {

int32_t LengthOf(std::u16string_view text) {
  // A BSTR cannot hold more code units than a Long counts.
  if (text.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max())) RaiseStandardError(kErrOverflow);
  return static_cast<int32_t>(text.size());
}

int32_t FindOccurrence(const TextServices& services, std::u16string_view text, std::u16string_view sought,
                       int32_t start, int32_t method) {
  if (start < 1) RaiseStandardError(kErrInvalidCall);
  if (method != kBinaryCompare && method != kTextCompare) RaiseStandardError(kErrInvalidCall);
  const int32_t length = LengthOf(text);
  if (length == 0) return 0;
  if (sought.empty()) return start <= length + 1 ? start : 0;
  if (start > length) return 0;
  int32_t found = 0;
  ForEachOccurrence(services, text, sought, method, static_cast<size_t>(start - 1), [&found](size_t pos) {
    found = static_cast<int32_t>(pos + 1);
    return false;
  });
  return found;
}

std::u16string_view Mid(std::u16string_view text, int32_t position, int32_t count) {
  if (position < 1 || count < 0) RaiseStandardError(kErrInvalidCall);
  const size_t from = static_cast<size_t>(position) - 1;
  if (from >= text.size()) return {};
  return text.substr(from, static_cast<size_t>(count));
}

std::u16string_view Left(std::u16string_view text, int32_t count) {
  if (count < 0) RaiseStandardError(kErrInvalidCall);
  return text.substr(0, static_cast<size_t>(count));
}

std::u16string_view Right(std::u16string_view text, int32_t count) {
  if (count < 0) RaiseStandardError(kErrInvalidCall);
  const size_t n = static_cast<size_t>(count);
  return n >= text.size() ? text : text.substr(text.size() - n);
}

char16_t UpperCaseOf(const TextServices& services, char16_t unit) {
  return services.ToUpper(std::u16string_view(&unit, 1))[0];
}

char16_t LowerCaseOf(const TextServices& services, char16_t unit) {
  return services.ToLower(std::u16string_view(&unit, 1))[0];
}

}  // namespace tarn
