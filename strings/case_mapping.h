// Case mapping of whole texts at memory speed, with results identical to the
// platform's own mapping (TextServices::ToUpper and ToLower).
//
// The platform's mapping is one code unit for one and looks at no neighbours
// except the two halves of a surrogate pair, which it maps as one character.
// Code units whose mapping every platform and locale agrees on (the simple,
// non-linguistic mapping of ASCII and of the Latin-1 letters) are mapped from a
// table, eight or sixteen at a time; every maximal run of other units is handed
// to the platform in one call. A run is bounded by table units, which are never
// surrogates, so no pair is ever split.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "frame/text_services.h"

namespace tarn {

enum class LetterCase { kUpper, kLower };

// The table's mapping of `unit`, or kNotInTable when the platform decides.
inline constexpr char16_t kNotInTable = 0xFFFF;
extern const std::array<char16_t, 256> kUpperCaseTable;
extern const std::array<char16_t, 256> kLowerCaseTable;
inline char16_t TableCaseOf(LetterCase to, char16_t unit) noexcept {
  if (unit >= 0x100) return kNotInTable;
  return to == LetterCase::kUpper ? kUpperCaseTable[unit] : kLowerCaseTable[unit];
}

// What a mapping met: only ASCII, only units of the table, or some units the
// platform mapped.
enum class MappedUnits { kAsciiOnly, kTableOnly, kSomeByPlatform };

// Writes the mapping of `text` to `out` (text.size() units; `out` may be
// text.data() itself). `text` must not begin or end between the halves of a
// surrogate pair.
MappedUnits MapCaseInto(const TextServices& services, LetterCase to, std::u16string_view text, char16_t* out);

// The same as services.ToUpper(text) or services.ToLower(text).
std::u16string MapCase(const TextServices& services, LetterCase to, std::u16string_view text);

// The end of a piece of `text` that starts at `from` and is at most `length`
// units long, moved back by one where it would split a surrogate pair, so
// that pieces can be mapped one by one.
size_t PieceEnd(std::u16string_view text, size_t from, size_t length) noexcept;

}  // namespace tarn
