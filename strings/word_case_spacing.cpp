#include "strings/word_case_spacing.h"

#include <vector>

#include "frame/automation_error.h"
#include "strings/case_mapping.h"
#include "strings/space_compaction.h"

namespace tarn {
namespace {

bool IsSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDFFF; }

// Throws error 6 for a 1-based position the members' Integer cannot hold or
// step past.
void CheckIntegerPosition(size_t position) {
  if (position >= static_cast<size_t>(kFirstOverflowingPosition)) RaiseStandardError(kErrOverflow);
}

// The longest text whose spaces cannot reach the Integer's limit: a position
// is never past the text's length.
constexpr size_t kShortText = static_cast<size_t>(kFirstOverflowingPosition) - 1;

// The members' Integer for RemoveSpaces: they remove the spaces from left to
// right and hold the position of each, in the text as it stands then. Those
// positions never decrease, so the last space decides.
void CheckRemovedSpaces(std::u16string_view ss, size_t spaces) {
  if (ss.size() <= kShortText || spaces == 0) return;
  const size_t last = ss.rfind(u' ');
  CheckIntegerPosition(last + 1 - (spaces - 1));
}

// And for OnlyOneSpace: runs of two or more spaces are collapsed from left to
// right, and the member holds where each begins in the text as it stands then.
void CheckCollapsedRuns(std::u16string_view ss) {
  if (ss.size() <= kShortText) return;
  size_t removed = 0;
  for (size_t i = 0; i < ss.size();) {
    if (ss[i] != u' ') {
      ++i;
      continue;
    }
    size_t end = i + 1;
    while (end < ss.size() && ss[end] == u' ') ++end;
    if (end - i >= 2) {
      CheckIntegerPosition(i + 1 - removed);
      removed += end - i - 1;
    }
    i = end;
  }
}

// A result of at most `n` units written by a compaction (which needs 8 units
// of scratch beyond it).
std::u16string Compacted(std::u16string_view ss, SpaceRule rule) {
  std::u16string result(ss.size() + 8, u'\0');
  size_t length = CompactSpaces(ss.data(), ss.size(), result.data(), rule);
  if (rule == SpaceRule::kKeepOneInside && length > 0 && result[length - 1] == u' ') --length;
  result.resize(length);
  return result;
}

}  // namespace

std::u16string FirstUCase(const TextServices& services, std::u16string_view ss) {
  // The length is held in an Integer and the loop counter steps one past it.
  CheckIntegerPosition(ss.size());

  // The member maps each character on its own. The platform's mapping keeps
  // every character's length and does not look at its neighbours, so mapping
  // a whole text at once gives at each position what mapping that unit alone
  // gives; except for the halves of a surrogate pair, which alone have no case
  // and stay as they are. So the text is lower-cased in one pass, the initials
  // (the first unit and each one after a space) are upper-cased in place, and
  // the spaces are then collapsed as OnlyOneSpace does.
  const size_t n = ss.size();
  std::u16string result(n + 8, u'\0');
  char16_t* const r = result.data();
  const MappedUnits mapped = MapCaseInto(services, LetterCase::kLower, ss, r);
  if (mapped == MappedUnits::kAsciiOnly) {
    // The initials' capitals are those of their small letters: the
    // compaction writes them.
    size_t length = CompactSpaces(r, n, r, SpaceRule::kKeepOneInside, true);
    if (length > 0 && r[length - 1] == u' ') --length;
    result.resize(length);
    return result;
  }
  if (mapped == MappedUnits::kSomeByPlatform) {
    for (size_t i = 0; i < n; ++i) {
      if (IsSurrogate(ss[i])) r[i] = ss[i];
    }
  }
  std::u16string pending;  // initials only the platform maps, in order
  std::vector<size_t> pending_at;
  uint64_t carry = 1;  // the first unit starts a word like one after a space
  for (size_t block = 0; block < n; block += 64) {
    const size_t count = n - block < 64 ? n - block : 64;
    const uint64_t spaces = SpaceMask(ss.data() + block, count);
    uint64_t initials = ~spaces & ((spaces << 1) | carry);
    if (count < 64) initials &= (uint64_t{1} << count) - 1;
    carry = (spaces >> (count - 1)) & 1;
    for (; initials != 0; initials &= initials - 1) {
      const size_t i = block + static_cast<size_t>(__builtin_ctzll(initials));
      const char16_t upper = TableCaseOf(LetterCase::kUpper, ss[i]);
      if (upper != kNotInTable) {
        r[i] = upper;
      } else if (IsSurrogate(ss[i])) {
        r[i] = ss[i];
      } else {
        pending.push_back(ss[i]);
        pending_at.push_back(i);
      }
    }
  }
  if (!pending.empty()) {
    // None of them is a surrogate: mapped together, each maps as on its own.
    const std::u16string upper = services.ToUpper(pending);
    for (size_t k = 0; k < pending_at.size(); ++k) r[pending_at[k]] = upper[k];
  }
  size_t length = CompactSpaces(r, n, r, SpaceRule::kKeepOneInside);
  if (length > 0 && r[length - 1] == u' ') --length;
  result.resize(length);
  return result;
}

std::u16string RemoveSpaces(std::u16string_view ss) {
  std::u16string result = Compacted(ss, SpaceRule::kDropAll);
  CheckRemovedSpaces(ss, ss.size() - result.size());
  return result;
}

std::u16string OnlyOneSpace(std::u16string_view ss) {
  CheckCollapsedRuns(ss);
  return Compacted(ss, SpaceRule::kKeepOneInside);
}

}  // namespace tarn
