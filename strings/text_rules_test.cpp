#include "strings/text_rules.h"

#include <gtest/gtest.h>

#include <random>

#include "frame/automation_error.h"
#include "strings/occurrence_finder.h"
#include "tests/native/error_of.h"
#include "tests/native/icu_text_services.h"

namespace tarn {
namespace {

using testing::TestTextServices;

using testing::ErrorOf;

struct SearchRow {
  std::u16string_view text;
  std::u16string_view sought;
  int32_t start;
  int32_t method;
  int32_t expected;
};

TEST(SearchRule, Table) {
  const SearchRow rows[] = {
      {u"", u"", 1, 0, 0},  // empty text: always 0
      {u"", u"a", 1, 0, 0},
      {u"abc", u"", 1, 0, 1},  // empty sought: the start itself
      {u"abc", u"", 3, 0, 3},
      {u"abc", u"", 4, 0, 4},   // just past the end: found there, as InStr does
      {u"abc", u"", 5, 0, 0},   // further out: not found
      {u"abc", u"c", 4, 0, 0},  // start beyond the end
      {u"abcabc", u"bc", 1, 0, 2},
      {u"abcabc", u"bc", 3, 0, 5},
      {u"abcabc", u"bc", 6, 0, 0},
      {u"aaaa", u"aa", 2, 0, 2},    // overlaps are not excluded
      {u"abcabc", u"BC", 1, 0, 0},  // binary is case-sensitive
      {u"abcabc", u"BC", 1, 1, 2},  // text is not
      {u"xx\u00e8Y", u"\u00c8y", 1, 1, 3},
      {u"abc", u"abcd", 1, 0, 0},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(FindOccurrence(TestTextServices(), row.text, row.sought, row.start, row.method), row.expected)
        << "text '" << std::string(row.text.begin(), row.text.end()) << "' start " << row.start;
  }
}

TEST(SearchRule, OtherMethodsAndStartsBelowOneAreInvalid) {
  EXPECT_EQ(ErrorOf([] { FindOccurrence(TestTextServices(), u"abc", u"b", 1, 2); }), 5);
  EXPECT_EQ(ErrorOf([] { FindOccurrence(TestTextServices(), u"abc", u"b", 1, -1); }), 5);
  EXPECT_EQ(ErrorOf([] { FindOccurrence(TestTextServices(), u"abc", u"b", 0, 0); }), 5);
}

TEST(ExtractionRules, Table) {
  EXPECT_EQ(Mid(u"abcdef", 2, 3), u"bcd");
  EXPECT_EQ(Mid(u"abcdef", 5, 10), u"ef");
  EXPECT_EQ(Mid(u"abcdef", 7, 1), u"");
  EXPECT_EQ(Mid(u"abcdef", 2, 0), u"");
  EXPECT_EQ(Left(u"abc", 2), u"ab");
  EXPECT_EQ(Left(u"abc", 5), u"abc");
  EXPECT_EQ(Right(u"abc", 2), u"bc");
  EXPECT_EQ(Right(u"abc", 9), u"abc");
  EXPECT_EQ(Right(u"abc", 0), u"");
  EXPECT_EQ(ErrorOf([] { Mid(u"abc", 0, 1); }), 5);
  EXPECT_EQ(ErrorOf([] { Mid(u"abc", 1, -1); }), 5);
  EXPECT_EQ(ErrorOf([] { Left(u"abc", -1); }), 5);
  EXPECT_EQ(ErrorOf([] { Right(u"abc", -1); }), 5);
}

// Every occurrence found by a plain scan of each position, for comparison.
std::vector<size_t> AllOccurrencesByScan(std::u16string_view text, std::u16string_view pattern) {
  std::vector<size_t> out;
  for (size_t i = 0; i + pattern.size() <= text.size(); ++i) {
    if (text.substr(i, pattern.size()) == pattern) out.push_back(i);
  }
  return out;
}

TEST(OccurrenceFinder, AgreesWithPlainScanOnGeneratedTexts) {
  std::mt19937 rng(20261208);
  for (int round = 0; round < 3000; ++round) {
    const int alphabet = 1 + static_cast<int>(rng() % 3);
    auto make = [&](size_t n) {
      std::u16string s(n, u'a');
      for (auto& c : s) c = static_cast<char16_t>(u'a' + static_cast<int>(rng() % static_cast<unsigned>(alphabet)));
      return s;
    };
    const std::u16string text = make(rng() % 400);
    const std::u16string pattern = make(1 + rng() % 12);
    std::vector<size_t> found;
    OccurrenceFinder(pattern).ForEach(text, 0, [&found](size_t p) {
      found.push_back(p);
      return true;
    });
    ASSERT_EQ(found, AllOccurrencesByScan(text, pattern)) << "round " << round;
  }
}

TEST(OccurrenceFinder, DegenerateTextsSwitchToTheFailureTableAndStayCorrect) {
  // Long runs of the first unit with a late mismatch: the case that makes a
  // first-unit scan quadratic.
  const std::u16string text = std::u16string(100000, u'a') + u"b" + std::u16string(50, u'a');
  const std::u16string pattern = std::u16string(999, u'a') + u"b";
  EXPECT_EQ(OccurrenceFinder(pattern).FindFrom(text, 0), 100000u - 999u);
  size_t count = 0;
  OccurrenceFinder(std::u16string(1000, u'a')).ForEach(text, 0, [&count](size_t) {
    ++count;
    return true;
  });
  EXPECT_EQ(count, 100000u - 1000u + 1u);
}

}  // namespace
}  // namespace tarn
