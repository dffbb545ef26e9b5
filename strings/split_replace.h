// Splitting and replacing members of the string class: ParseString and
// ReplaceString. Both match exactly (binary comparison) and run in one pass
// over the text, whatever the separator or the number of occurrences.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "frame/automation_error.h"

namespace tarn {

// What ParseString leaves in the caller's array, and the error it raises after
// filling it.
struct ParseOutcome {
  // Without error: the pieces of `source` between the occurrences of `match`,
  // in order, empty ones included: one more piece than there are occurrences
  // (array bounds 0 to the number of occurrences). With an error: the pieces
  // stored before the failing occurrence followed by one empty element, which
  // is exactly what the caller's array holds when the member fails.
  std::vector<std::u16string> pieces;
  // Error 5 when an occurrence of `match` begins inside the one before it (a
  // separator that overlaps itself, as "::" in ":::"). The caller stores
  // `pieces` into its array first and raises this error afterwards.
  std::optional<AutomationError> error;
};

// Splits `source` at every occurrence of `match`, searching again one position
// after the start of each occurrence found. An empty `source` gives one empty
// piece; an empty `match` gives an empty piece, one piece per character and an
// empty last piece (the empty string is found at every position up to
// length + 1).
[[nodiscard]] ParseOutcome ParseString(std::u16string_view source, std::u16string_view match);

// Replaces the occurrences of `search` in `data` by `replace` in one
// left-to-right pass: each search resumes just after the text inserted, so
// nothing that the replacements form is replaced again. An empty `search`
// leaves `data` unchanged. A result longer than a Long can count fails with
// error 7 (out of memory) before anything is built.
std::u16string ReplaceString(std::u16string_view data, std::u16string_view search, std::u16string_view replace);

// The same replacement written into storage that the caller provides, so that
// the result can be built in its final place (a BSTR) without a second copy.
// `allocate` is called once, with the length of the result in code units,
// after the length checks and before anything is written; it returns a buffer
// of that many units, which this function then fills completely. The errors
// are those of ReplaceString, raised before `allocate` is called.
void ReplaceStringInto(std::u16string_view data, std::u16string_view search, std::u16string_view replace,
                       const std::function<char16_t*(size_t length)>& allocate);

}  // namespace tarn
