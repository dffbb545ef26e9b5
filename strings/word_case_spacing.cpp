#include "strings/word_case_spacing.h"

#include "frame/automation_error.h"
#include "strings/occurrence_finder.h"
#include "strings/text_rules.h"

namespace tarn {
namespace {

bool IsSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDFFF; }

// Throws error 6 for a 1-based position the members' Integer cannot hold or
// step past.
void CheckIntegerPosition(size_t position) {
  if (position >= static_cast<size_t>(kFirstOverflowingPosition)) RaiseStandardError(kErrOverflow);
}

}  // namespace

std::u16string FirstUCase(const TextServices& services, std::u16string_view ss) {
  // The length is held in an Integer and the loop counter steps one past it.
  CheckIntegerPosition(ss.size());

  // The member maps each character on its own. The platform's mapping keeps
  // every character's length and does not look at its neighbours, so mapping
  // a whole text at once gives at each position what mapping that unit alone
  // gives; except for the halves of a surrogate pair, which alone have no case
  // and stay as they are. So the text is lower-cased in one call and compacted
  // in place, and the initials are upper-cased together in a second call.
  std::u16string result = services.ToLower(ss);
  std::u16string initials;
  size_t length = 0;
  bool after_space = true;  // the first character starts a word like one after a space
  for (size_t i = 0; i < ss.size(); ++i) {
    const char16_t unit = ss[i];
    if (unit == u' ') {
      if (!after_space) result[length++] = u' ';
      after_space = true;
      continue;
    }
    if (after_space) initials.push_back(unit);
    result[length++] = IsSurrogate(unit) ? unit : result[i];  // length <= i: not yet overwritten
    after_space = false;
  }
  if (length > 0 && result[length - 1] == u' ') --length;
  result.resize(length);

  // Words are now separated by single spaces: an initial stands first and
  // after each space.
  const std::u16string upper = services.ToUpper(initials);
  size_t word = 0;
  for (size_t i = 0; i < length; ++i) {
    if (i == 0 || result[i - 1] == u' ') {
      result[i] = IsSurrogate(initials[word]) ? initials[word] : upper[word];
      ++word;
    }
  }
  return result;
}

std::u16string RemoveSpaces(std::u16string_view ss) {
  std::u16string result;
  result.reserve(ss.size());
  const char16_t* const begin = ss.data();
  const char16_t* const end = begin + ss.size();
  size_t removed = 0;
  for (const char16_t* p = begin;;) {
    const char16_t* const space = FindCodeUnit(p, end, u' ');
    result.append(p, space);
    if (space == end) break;
    // The member removes the spaces from left to right and holds the position
    // of each, in the text as it stands then, in its Integer.
    CheckIntegerPosition(static_cast<size_t>(space - begin) + 1 - removed);
    ++removed;
    p = space + 1;
  }
  return result;
}

std::u16string OnlyOneSpace(std::u16string_view ss) {
  std::u16string result;
  result.reserve(ss.size());
  const char16_t* const begin = ss.data();
  const char16_t* const end = begin + ss.size();
  size_t removed = 0;          // spaces that collapsing has removed so far
  bool space_pending = false;  // a run of spaces after a word, written only if another word follows
  for (const char16_t* p = begin; p < end;) {
    const char16_t* const space = FindCodeUnit(p, end, u' ');
    if (space != p) {
      if (space_pending) result.push_back(u' ');
      result.append(p, space);
    }
    if (space == end) break;
    const char16_t* run_end = space + 1;
    while (run_end < end && *run_end == u' ') ++run_end;
    const size_t run = static_cast<size_t>(run_end - space);
    if (run >= 2) {
      // Runs are collapsed from left to right; the member holds where each
      // begins, in the text as it stands then, in its Integer.
      CheckIntegerPosition(static_cast<size_t>(space - begin) + 1 - removed);
      removed += run - 1;
    }
    space_pending = !result.empty();
    p = run_end;
  }
  return result;
}

}  // namespace tarn
