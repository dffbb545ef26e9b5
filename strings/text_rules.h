// The text rules every member of the string class builds on: the search rule,
// the extraction rules and the case mapping. Positions are 1-based and count
// UTF-16 code units; lengths and positions are Longs.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "frame/text_services.h"

namespace tarn {

// Comparison methods of the search rule.
enum CompareMethod : int32_t {
  kBinaryCompare = 0,  // code units compared exactly
  kTextCompare = 1,    // case-insensitive under the user's locale
};

// Length of a string as a Long.
int32_t LengthOf(std::u16string_view text);

// The search rule: the lowest position p >= start (start >= 1) at which `sought`
// occurs in `text` under `method`, or 0. An empty text yields 0. An empty
// sought string is found at `start` itself for every start up to length + 1,
// as the runtime's own InStr does, and not beyond. A method other than binary
// or text fails with error 5.
int32_t FindOccurrence(const TextServices& services, std::u16string_view text, std::u16string_view sought,
                       int32_t start, int32_t method = kBinaryCompare);

// Extraction rules. A position below 1 or a negative count fails with error 5.
std::u16string_view Mid(std::u16string_view text, int32_t position, int32_t count);
std::u16string_view Left(std::u16string_view text, int32_t count);
std::u16string_view Right(std::u16string_view text, int32_t count);

// Case mapping of a single code unit, for callers that build results unit by unit.
char16_t UpperCaseOf(const TextServices& services, char16_t unit);
char16_t LowerCaseOf(const TextServices& services, char16_t unit);

}  // namespace tarn
