#include "strings/occurrence_search.h"

#include <string>

#include "frame/automation_error.h"
#include "frame/checked_math.h"
#include "strings/occurrence_finder.h"
#include "strings/text_rules.h"

namespace tarn {

int32_t CountStringInString(const TextServices& services, std::u16string_view source, std::u16string_view match,
                            int16_t exact) {
  // The count works on the UTF-16 text itself rather than on ANSI bytes, so
  // that characters the code page cannot tell apart still count as different.
  if (source.empty() || match.empty()) RaiseStandardError(kErrSubscript);
  std::u16string upper_source;
  std::u16string upper_match;
  if (exact == 0) {
    upper_source = services.ToUpper(source);
    upper_match = services.ToUpper(match);
    source = upper_source;
    match = upper_match;
  }
  int32_t count = 0;
  OccurrenceFinder(match).ForEach(source, 0, [&count](size_t) {
    ++count;
    return true;
  });
  return count;
}

int32_t InStrEx(const TextServices& services, int32_t start, std::u16string_view source, std::u16string_view match,
                int32_t method) {
  if (start > 0) return FindOccurrence(services, source, match, start, method);

  const int32_t length = LengthOf(source);
  const int32_t back = CheckedNeg(start);  // -2147483648 has no positive Long: error 6
  const int32_t limit = length - back + 1;
  if (method != kBinaryCompare && method != kTextCompare) RaiseStandardError(kErrInvalidCall);
  if (length == 0 || limit < 1) return 0;

  // Rightmost occurrence at or before the limit, the same one that stepping
  // through the occurrences one position at a time would find last.
  int32_t last = 0;
  if (match.empty()) {
    last = limit <= length + 1 ? limit : length + 1;
  } else {
    const ComparableTexts texts = PrepareForMethod(services, source, match, method);
    OccurrenceFinder(texts.sought).ForEach(texts.text, 0, [&last, limit](size_t pos) {
      if (static_cast<int64_t>(pos) + 1 > limit) return false;
      last = static_cast<int32_t>(pos + 1);
      return true;
    });
  }
  return last == 0 ? 0 : length - last + 1;
}

}  // namespace tarn
