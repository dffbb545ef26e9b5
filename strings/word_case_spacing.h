// Word case and spacing members of the string class: FirstUCase, RemoveSpaces
// and OnlyOneSpace. A space here is U+0020 alone; tabs and other blanks are
// ordinary characters. Each member keeps a position in a 16-bit Integer and so
// fails with error 6 (overflow) at the lengths and positions given below; each
// works in one pass and allocates its result once.
//
// CSql is ReplaceString(text, "'", "''") (strings/split_replace.h).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "frame/text_services.h"

namespace tarn {

// Positions from this one on overflow the Integer of the three members: the
// value itself, or the step one past it, does not fit.
inline constexpr int32_t kFirstOverflowingPosition = 32767;

// Every word with a capital initial and the rest in small letters, words
// separated by one space, no space at the ends. Only a space starts a word: the
// first character that is not a space and each character after a space are
// upper-cased, all others lower-cased. Fails with error 6 for 32,767 characters
// or more.
std::u16string FirstUCase(const TextServices& services, std::u16string_view ss);

// The text without its spaces. Fails with error 6 when a space stands at
// position 32,767 or later once the spaces before it are removed (its position
// less the number of spaces before it); a longer text is fine while its spaces
// all lie before that.
std::u16string RemoveSpaces(std::u16string_view ss);

// The words of the text separated by one space, no space at the ends. Fails with
// error 6 when a run of two or more spaces begins at position 32,767 or later
// once the runs before it are collapsed (its position less the spaces that
// collapsing removed before it).
std::u16string OnlyOneSpace(std::u16string_view ss);

}  // namespace tarn
