#include "strings/split_replace.h"

#include <cstdint>
#include <cstring>
#include <limits>

#include "strings/occurrence_finder.h"
#include "strings/text_rules.h"

namespace tarn {

ParseOutcome ParseString(std::u16string_view source, std::u16string_view match) {
  LengthOf(source);  // error 6 for a text longer than a Long counts
  ParseOutcome outcome;
  std::vector<std::u16string>& pieces = outcome.pieces;
  if (source.empty()) {
    pieces.emplace_back();
    return outcome;
  }
  if (match.empty()) {
    // The empty separator is found at every position from 1 to length + 1:
    // an empty piece before the first, one character between each two, and an
    // empty piece after the last.
    pieces.reserve(source.size() + 2);
    pieces.emplace_back();
    for (const char16_t unit : source) pieces.emplace_back(1, unit);
    pieces.emplace_back();
    return outcome;
  }

  // Every occurrence is visited, overlapping ones included, because each search
  // resumes one position after the start of the separator just found. A piece
  // runs from the end of the previous separator to the start of this one; an
  // occurrence that starts before that end would give a negative length. The
  // separators are found first, so that the pieces are stored in one array of
  // the right size.
  const size_t separator_length = match.size();
  std::vector<uint32_t> separators;
  bool overlapped = false;
  OccurrenceFinder(match).ForEach(source, 0, [&](size_t pos) {
    if (!separators.empty() && pos < separators.back() + separator_length) {
      overlapped = true;
      return false;
    }
    separators.push_back(static_cast<uint32_t>(pos));
    return true;
  });
  pieces.reserve(separators.size() + 1);
  size_t piece_start = 0;
  for (const uint32_t pos : separators) {
    pieces.emplace_back(source.substr(piece_start, pos - piece_start));
    piece_start = pos + separator_length;
  }
  if (overlapped) {
    // The array had already grown by the element the member failed to fill.
    pieces.emplace_back();
    outcome.error = MakeStandardError(kErrInvalidCall);
    return outcome;
  }
  pieces.emplace_back(source.substr(piece_start));
  return outcome;
}

namespace {

// Calls replaced(pos) for every occurrence that the one-pass replacement
// replaces. Each search resumes just after the inserted text, which is the text
// just after the occurrence in the original: the occurrences replaced are the
// non-overlapping ones, taken greedily from the left.
template <typename Replaced>
void ForEachReplaced(const OccurrenceFinder& finder, std::u16string_view data, size_t search_length,
                     Replaced&& replaced) {
  size_t resume = 0;
  finder.ForEach(data, 0, [&](size_t pos) {
    if (pos >= resume) {
      replaced(pos);
      resume = pos + search_length;
    }
    return true;
  });
}

char16_t* CopyUnits(std::u16string_view from, char16_t* to) {
  if (!from.empty()) std::memcpy(to, from.data(), from.size() * sizeof(char16_t));
  return to + from.size();
}

}  // namespace

void ReplaceStringInto(std::u16string_view data, std::u16string_view search, std::u16string_view replace,
                       const std::function<char16_t*(size_t length)>& allocate) {
  // Error 6 for a text longer than a Long counts.
  LengthOf(data);
  LengthOf(search);
  LengthOf(replace);
  // Step by step, an empty search string is found again at every start and the
  // loop never ends; returning the text unchanged is the orderly answer.
  if (data.empty() || search.empty()) {
    CopyUnits(data, allocate(data.size()));
    return;
  }

  // Two scans, one to count and one to copy, rather than a list of positions:
  // the scan is cheap next to the memory a list of one position per
  // occurrence would take on a dense text.
  const OccurrenceFinder finder(search);
  const size_t search_length = search.size();
  size_t count = 0;
  ForEachReplaced(finder, data, search_length, [&count](size_t) { ++count; });

  const int64_t result_length =
      static_cast<int64_t>(data.size()) +
      static_cast<int64_t>(count) * (static_cast<int64_t>(replace.size()) - static_cast<int64_t>(search_length));
  if (result_length > std::numeric_limits<int32_t>::max()) RaiseStandardError(kErrOutOfMemory);

  char16_t* out = allocate(static_cast<size_t>(result_length));
  if (count == 0) {
    CopyUnits(data, out);
    return;
  }
  size_t copied = 0;
  ForEachReplaced(finder, data, search_length, [&](size_t pos) {
    out = CopyUnits(data.substr(copied, pos - copied), out);
    out = CopyUnits(replace, out);
    copied = pos + search_length;
  });
  CopyUnits(data.substr(copied), out);
}

std::u16string ReplaceString(std::u16string_view data, std::u16string_view search, std::u16string_view replace) {
  std::u16string result;
  ReplaceStringInto(data, search, replace, [&result](size_t length) {
    result.resize(length);
    return result.data();
  });
  return result;
}

}  // namespace tarn
