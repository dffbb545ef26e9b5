#include "strings/character_validation.h"

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
  // A set longer than a Long counts fails with overflow, as before any draw.
  static_cast<void>(LengthOf(using_this_chars));
  if (count > 0) random.NextCharacters(using_this_chars, out, count);
}

std::u16string GetRndString(RandomSource& random, int32_t length, std::u16string_view using_this_chars) {
  const size_t count = RandomStringLength(length, using_this_chars);
  std::u16string result(count, u'\0');
  DrawRandomCharacters(random, using_this_chars, result.data(), count);
  return result;
}

}  // namespace tarn
