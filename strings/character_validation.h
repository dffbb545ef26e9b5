// Members of the string class that work with a set of allowed characters, given
// as a string of UTF-16 code units: IsCustomString tests a text against the set,
// GetRndString draws a random text from it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "strings/random/random_source.h"

namespace tarn {

// The library's own error for GetRndString with an empty set: the object-error
// base 0x80040000 plus 3001, source "TarnLib.dll".
inline constexpr int32_t kErrEmptyRandomCharacters = static_cast<int32_t>(0x80040BB9u);
inline constexpr std::u16string_view kEmptyRandomCharactersText =
    u"UsingThisChars in GetRndString can't be an empty string";

// True when every character of `testo` occurs in `good_chars` (exact,
// case-sensitive); true for an empty `testo`, false for a non-empty `testo`
// against an empty `good_chars`.
bool IsCustomString(std::u16string_view testo, std::u16string_view good_chars);

// `length` characters, each the entry floor(r * L) of `using_this_chars` (L its
// length) for the next number r that `random` yields: one draw per character,
// every entry equally likely, so a character given twice turns up twice as
// often. Empty for a length of 0 or below.
// Fails, in this order: with kErrEmptyRandomCharacters for an empty
// `using_this_chars`, whatever `length` is; with error 6 for a length of
// -2,147,483,648; with error 9 if `random` yields a number outside [0, 1).
std::u16string GetRndString(RandomSource& random, int32_t length, std::u16string_view using_this_chars);

// The two steps of GetRndString, for a caller that keeps the result in memory
// of its own: the checks (the errors above except 9) and the number of
// characters to draw, then the draws into `out`.
size_t RandomStringLength(int32_t length, std::u16string_view using_this_chars);
void DrawRandomCharacters(RandomSource& random, std::u16string_view using_this_chars, char16_t* out, size_t count);

}  // namespace tarn
