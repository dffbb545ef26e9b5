#include "strings/word_case_spacing.h"

#include <gtest/gtest.h>

#include <random>

#include "frame/checked_math.h"
#include "strings/text_rules.h"
#include "tests/native/icu_text_services.h"
#include "tests/native/test_text.h"

namespace tarn {
namespace {

using testing::Narrow;
using testing::TestTextServices;

// The result, or the error number as text, so that one comparison covers both.
template <typename Call>
std::u16string Outcome(Call&& call) {
  try {
    return call();
  } catch (const AutomationError& e) {
    const std::string number = "error " + std::to_string(e.number());
    return std::u16string(number.begin(), number.end());
  }
}

// The three members exactly as their steps read, with their Integer position
// kept in an int16_t through ToInteger (error 6 when a value does not fit) and
// the text rebuilt at every step.

std::u16string FirstUCaseStepByStep(std::u16string_view ss) {
  const TextServices& ts = TestTextServices();
  const int16_t n = ToInteger(LengthOf(ss));
  std::u16string r;
  for (int16_t i = 1; i <= n; i = ToInteger(i + 1)) {
    const char16_t ch = Mid(ss, i, 1)[0];
    if (i == 1) {
      if (ch != u' ') r = std::u16string(1, UpperCaseOf(ts, ch));
    } else if (Mid(ss, i - 1, 1) == u" ") {
      if (ch != u' ') r += UpperCaseOf(ts, ch);
    } else {
      r += LowerCaseOf(ts, ch);
    }
  }
  if (r.empty()) return u"";
  if (Right(r, 1) == u" ") r = Left(r, LengthOf(r) - 1);
  return r;
}

std::u16string RemoveSpacesStepByStep(std::u16string_view ss) {
  if (ss.empty()) return u"";
  std::u16string s(ss);
  int16_t p = 1;
  for (;;) {
    const int32_t found = FindOccurrence(TestTextServices(), s, u" ", p);
    if (found == 0) return s;
    p = ToInteger(found);
    s = std::u16string(Left(s, p - 1)) + std::u16string(Mid(s, ToInteger(p + 1), LengthOf(s)));
    if (p > 1) p = ToInteger(p - 1);
  }
}

std::u16string OnlyOneSpaceStepByStep(std::u16string_view ss) {
  if (ss.empty()) return u"";
  std::u16string s(ss);
  int16_t p = 1;
  for (;;) {
    const int32_t found = FindOccurrence(TestTextServices(), s, u"  ", p);
    if (found == 0) break;
    p = ToInteger(found);
    while (Mid(s, ToInteger(p + 1), 1) == u" ") {
      s = std::u16string(Left(s, p)) + std::u16string(Right(s, LengthOf(s) - p - 1));
    }
  }
  if (Right(s, 1) == u" ") s = Left(s, LengthOf(s) - 1);
  if (s.empty()) return u"";
  if (Left(s, 1) == u" ") return std::u16string(Mid(s, 2, LengthOf(s)));
  return s;
}

std::u16string FirstUCaseFast(std::u16string_view ss) { return FirstUCase(TestTextServices(), ss); }

struct Row {
  std::u16string_view input;
  std::u16string_view expected;
};

const std::u16string kLoneHalves{0xD801, u' ', 0xDC28};

TEST(FirstUCase, Table) {
  const Row rows[] = {
      {u"  hello   WORLD  ", u"Hello World"},
      {u"o'NEIL mcDONALD", u"O'neil Mcdonald"},  // only a space starts a word
      {u"a\tb", u"A\tb"},
      {u"", u""},
      {u"   ", u""},
      {u"x", u"X"},
      {u"\u00e0\u00c9 \u00e8\u00c9-\u00e8", u"\u00c0\u00e9 \u00c8\u00e9-\u00e8"},
      // Halves of a surrogate pair have no case on their own: U+10428 stays small.
      {u"\U00010428x \U00010400Y", u"\U00010428x \U00010400y"},
      {kLoneHalves, kLoneHalves},  // two initials that together would make U+10428
  };
  for (const Row& row : rows) {
    EXPECT_EQ(FirstUCaseFast(row.input), row.expected) << Narrow(row.input);
    EXPECT_EQ(FirstUCaseStepByStep(row.input), row.expected) << "model: " << Narrow(row.input);
  }
}

TEST(RemoveSpaces, Table) {
  const Row rows[] = {
      {u" a b  c ", u"abc"},
      {u"a\tb \u00a0c", u"a\tb\u00a0c"},  // tabs and no-break spaces stay
      {u"", u""},
      {u"    ", u""},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(RemoveSpaces(row.input), row.expected) << Narrow(row.input);
    EXPECT_EQ(RemoveSpacesStepByStep(row.input), row.expected) << "model: " << Narrow(row.input);
  }
}

TEST(OnlyOneSpace, Table) {
  const Row rows[] = {
      {u"  a   b  ", u"a b"}, {u"a b c", u"a b c"}, {u"", u""},
      {u"   ", u""},          {u" ", u""},          {u"a\t\tb", u"a\t\tb"},
      {u" a", u"a"},          {u"a ", u"a"},        {u"a  b c   d", u"a b c d"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(OnlyOneSpace(row.input), row.expected) << Narrow(row.input);
    EXPECT_EQ(OnlyOneSpaceStepByStep(row.input), row.expected) << "model: " << Narrow(row.input);
  }
}

std::u16string Repeat(char16_t c, size_t n) { return std::u16string(n, c); }

// Where the Integer overflows: rows built around position 32,767, checked
// against the literal models too.
TEST(IntegerLimits, Table) {
  struct LimitRow {
    const char* name;
    std::u16string (*member)(std::u16string_view);
    std::u16string (*model)(std::u16string_view);
    std::u16string input;
    bool overflows;
  };
  const LimitRow rows[] = {
      {"FirstUCase 32,766", FirstUCaseFast, FirstUCaseStepByStep, Repeat(u'x', 32766), false},
      {"FirstUCase 32,767", FirstUCaseFast, FirstUCaseStepByStep, Repeat(u'x', 32767), true},
      {"FirstUCase 32,768", FirstUCaseFast, FirstUCaseStepByStep, Repeat(u' ', 32768), true},
      {"RemoveSpaces at 32,766", RemoveSpaces, RemoveSpacesStepByStep, Repeat(u'x', 32765) + u" ", false},
      {"RemoveSpaces at 32,767", RemoveSpaces, RemoveSpacesStepByStep, Repeat(u'x', 32766) + u" x", true},
      {"RemoveSpaces at 32,768", RemoveSpaces, RemoveSpacesStepByStep, Repeat(u'x', 32767) + u" ", true},
      {"RemoveSpaces shifted to 32,766", RemoveSpaces, RemoveSpacesStepByStep,
       u"  " + Repeat(u'x', 32765) + u" " + Repeat(u'x', 9), false},
      {"RemoveSpaces shifted to 32,767", RemoveSpaces, RemoveSpacesStepByStep, u"  " + Repeat(u'x', 32766) + u" ",
       true},
      {"RemoveSpaces long text, early spaces", RemoveSpaces, RemoveSpacesStepByStep, u" a b " + Repeat(u'x', 50000),
       false},
      {"RemoveSpaces at 32,901 shifted to 32,601", RemoveSpaces, RemoveSpacesStepByStep,
       Repeat(u' ', 300) + Repeat(u'x', 32600) + u" ", false},
      {"OnlyOneSpace run at 32,766", OnlyOneSpace, OnlyOneSpaceStepByStep, Repeat(u'x', 32765) + u"  x", false},
      {"OnlyOneSpace run at 32,767", OnlyOneSpace, OnlyOneSpaceStepByStep, Repeat(u'x', 32766) + u"  ", true},
      {"OnlyOneSpace run at 40,001", OnlyOneSpace, OnlyOneSpaceStepByStep, Repeat(u'x', 40000) + u"   x", true},
      {"OnlyOneSpace single space at 32,767", OnlyOneSpace, OnlyOneSpaceStepByStep, Repeat(u'x', 32766) + u" x", false},
      {"OnlyOneSpace run shifted to 32,766", OnlyOneSpace, OnlyOneSpaceStepByStep, u"   " + Repeat(u'x', 32764) + u"  ",
       false},
      {"OnlyOneSpace run shifted to 32,767", OnlyOneSpace, OnlyOneSpaceStepByStep,
       u"x    " + Repeat(u'x', 32764) + u"  x", true},
      {"OnlyOneSpace long text, early runs", OnlyOneSpace, OnlyOneSpaceStepByStep,
       u"  a    b" + Repeat(u'x', 50000) + u" y", false},
  };
  for (const LimitRow& row : rows) {
    const std::u16string fast = Outcome([&] { return row.member(row.input); });
    EXPECT_EQ(fast == u"error 6", row.overflows) << row.name;
    EXPECT_EQ(fast, Outcome([&] { return row.model(row.input); })) << row.name;
  }
}

// Texts over a few characters, spaces frequent and in runs.
std::u16string RandomText(std::mt19937& rng, size_t length, unsigned space_percent) {
  // Halves of U+10400 and U+10428, a capital and a small letter, alone or paired.
  static const std::u16string kOthers = u"aZ\t\u00e8\u00c9'" + std::u16string{0xD801, 0xDC00, 0xDC28};
  std::u16string s;
  while (s.size() < length) {
    if (rng() % 100 < space_percent) {
      s.append(1 + rng() % 4, u' ');
    } else {
      s += kOthers[rng() % kOthers.size()];
    }
  }
  s.resize(length);
  return s;
}

void ExpectAgreement(std::u16string_view input, const std::string& label) {
  ASSERT_EQ(Outcome([&] { return FirstUCaseFast(input); }), Outcome([&] { return FirstUCaseStepByStep(input); }))
      << "FirstUCase, " << label << ": " << Narrow(input);
  ASSERT_EQ(Outcome([&] { return RemoveSpaces(input); }), Outcome([&] { return RemoveSpacesStepByStep(input); }))
      << "RemoveSpaces, " << label << ": " << Narrow(input);
  ASSERT_EQ(Outcome([&] { return OnlyOneSpace(input); }), Outcome([&] { return OnlyOneSpaceStepByStep(input); }))
      << "OnlyOneSpace, " << label << ": " << Narrow(input);
}

TEST(WordCaseSpacing, AgreesWithStepByStepOnShortTexts) {
  std::mt19937 rng(21);
  for (int round = 0; round < 5000; ++round) {
    ExpectAgreement(RandomText(rng, rng() % 30, static_cast<unsigned>(10 + rng() % 60)),
                    "round " + std::to_string(round));
  }
}

TEST(WordCaseSpacing, AgreesWithStepByStepOnLongerTexts) {
  // Long enough for the block kernels; ASCII-only texts take FirstUCase's
  // fastest path, the others its unit-by-unit one.
  std::mt19937 rng(23);
  for (int round = 0; round < 300; ++round) {
    const size_t length = 50 + rng() % 700;
    std::u16string text;
    if (round % 2 == 0) {
      while (text.size() < length) {
        const unsigned pick = static_cast<unsigned>(rng() % 100);
        text += pick < 20 ? u' ' : static_cast<char16_t>(u'!' + pick % 94);
      }
    } else {
      text = RandomText(rng, length, static_cast<unsigned>(5 + rng() % 40));
    }
    ExpectAgreement(text, "round " + std::to_string(round));
  }
}

TEST(WordCaseSpacing, AgreesWithStepByStepAroundTheIntegerLimit) {
  // Lengths around 32,767 with a few hundred spaces at most, so that the
  // removals of the literal models stay affordable; the spaces removed before
  // a position move it across the limit or not.
  std::mt19937 rng(22);
  for (int round = 0; round < 24; ++round) {
    const size_t length = 32600 + rng() % 400;
    std::u16string text = RandomText(rng, length, 0);
    const size_t spaces = rng() % 300;
    for (size_t k = 0; k < spaces; ++k) {
      const size_t at = k < spaces / 2 ? rng() % 400 : length - 1 - rng() % 400;  // both ends matter
      text[at] = u' ';
    }
    ExpectAgreement(text, "round " + std::to_string(round));
  }
}

}  // namespace
}  // namespace tarn
