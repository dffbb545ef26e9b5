#include "strings/character_validation.h"

#include <algorithm>
#include <bitset>
#include <limits>

#include "frame/automation_error.h"
#include "strings/text_rules.h"

namespace tarn {

bool IsCustomString(std::u16string_view testo, std::u16string_view good_chars) {
  // One bit per code unit: each character of the text is looked up once
  // instead of searched for in the set.
  std::bitset<65536> allowed;
  for (const char16_t unit : good_chars) allowed.set(unit);
  for (const char16_t unit : testo) {
    if (!allowed.test(unit)) return false;
  }
  return true;
}

size_t RandomStringLength(int32_t length, std::u16string_view using_this_chars) {
  if (using_this_chars.empty()) {
    throw AutomationError(kErrEmptyRandomCharacters, std::u16string(kEmptyRandomCharactersText),
                          std::u16string(kModuleSource));
  }
  // The draw loop runs to Length - 1, which does not fit a Long for the lowest Long.
  if (length == std::numeric_limits<int32_t>::min()) RaiseStandardError(kErrOverflow);
  return length <= 0 ? 0 : static_cast<size_t>(length);
}

void DrawRandomCharacters(RandomSource& random, std::u16string_view using_this_chars, char16_t* out, size_t count) {
  const auto entries = static_cast<uint32_t>(LengthOf(using_this_chars));
  // Indices are drawn a chunk at a time, so that a source maps its bits in
  // one tight loop instead of one call per character.
  constexpr size_t kChunk = 2048;
  uint32_t indices[kChunk];
  for (size_t done = 0; done < count;) {
    const size_t n = std::min(kChunk, count - done);
    random.NextIndices(entries, indices, n);
    for (size_t i = 0; i < n; ++i) {
      // A faulty source cannot index past the character table.
      if (indices[i] >= entries) RaiseStandardError(kErrSubscript);
      out[done + i] = using_this_chars[indices[i]];
    }
    done += n;
  }
}

std::u16string GetRndString(RandomSource& random, int32_t length, std::u16string_view using_this_chars) {
  const size_t count = RandomStringLength(length, using_this_chars);
  std::u16string result(count, u'\0');
  DrawRandomCharacters(random, using_this_chars, result.data(), count);
  return result;
}

}  // namespace tarn
