// Occurrences of an upper-cased pattern in the upper-cased form of a text,
// without upper-casing the whole text first: the text is mapped piece by piece
// into a small buffer that stays in the processor's cache, and each piece is
// searched while it is there. The positions and the count are those of a
// search in services.ToUpper(text).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "frame/automation_error.h"
#include "strings/case_mapping.h"
#include "strings/occurrence_finder.h"
#include "strings/text_rules.h"

namespace tarn {

// Calls visit(pos) with the 0-based position of every occurrence of
// `upper_pattern` (already upper-cased, not empty) in the upper-cased `text`
// at or after `from`, in ascending order, until visit returns false.
template <typename Visit>
void ForEachUpperCasedOccurrence(const TextServices& services, std::u16string_view text,
                                 std::u16string_view upper_pattern, size_t from, Visit&& visit) {
  const size_t m = upper_pattern.size();
  if (m == 0 || from > text.size() || text.size() - from < m) return;
  const OccurrenceFinder finder(upper_pattern);
  // Pieces several times the pattern's length keep the re-read overlap and the
  // finder's per-piece set-up small beside the piece.
  const size_t piece = std::max<size_t>(8192, 4 * m);
  const size_t overlap = m - 1;
  std::u16string buffer(piece + overlap, u'\0');
  // buffer[0, held) is the upper-cased text from position `base` on.
  size_t base = from;
  size_t held = 0;
  for (size_t next = from; next < text.size();) {
    const size_t end = PieceEnd(text, next, piece);
    MapCaseInto(services, LetterCase::kUpper, text.substr(next, end - next), buffer.data() + held);
    held += end - next;
    next = end;
    // Every occurrence found here ends past the units kept from the last
    // piece, so none is counted twice.
    bool go_on = true;
    finder.ForEach(std::u16string_view(buffer.data(), held), 0, [&](size_t pos) {
      go_on = visit(base + pos);
      return go_on;
    });
    if (!go_on) return;
    const size_t keep = std::min(overlap, held);
    std::memmove(buffer.data(), buffer.data() + held - keep, keep * sizeof(char16_t));
    base += held - keep;
    held = keep;
  }
}

// Occurrences of `sought` (not empty) in `text` at or after `from` under a
// comparison method of the search rule (text_rules.h): code units compared
// exactly, or both sides upper-cased. Fails with error 5 for other methods.
template <typename Visit>
void ForEachOccurrence(const TextServices& services, std::u16string_view text, std::u16string_view sought,
                       int32_t method, size_t from, Visit&& visit) {
  switch (method) {
    case kBinaryCompare:
      OccurrenceFinder(sought).ForEach(text, from, visit);
      break;
    case kTextCompare: {
      const std::u16string upper = MapCase(services, LetterCase::kUpper, sought);
      ForEachUpperCasedOccurrence(services, text, upper, from, visit);
      break;
    }
    default:
      RaiseStandardError(kErrInvalidCall);
  }
}

}  // namespace tarn
