#include "strings/occurrence_search.h"

#include <gtest/gtest.h>

#include <limits>
#include <random>

#include "frame/automation_error.h"
#include "strings/occurrence_finder.h"
#include "strings/text_rules.h"
#include "tests/native/error_of.h"
#include "tests/native/icu_text_services.h"

namespace tarn {
namespace {

using testing::TestTextServices;

using testing::ErrorOf;

struct CountRow {
  std::u16string_view source;
  std::u16string_view match;
  int16_t exact;
  int32_t expected;
};

TEST(CountStringInString, Table) {
  const CountRow rows[] = {
      {u"aaaa", u"aa", -1, 3},     // overlapping occurrences count
      {u"Abc abc", u"ABC", 0, 2},  // Exact False upper-cases both
      {u"Abc abc", u"ABC", -1, 0},
      {u"Abc abc", u"ABC", 1, 0},  // only 0 selects case-insensitive
      {u"ab", u"abc", -1, 0},      // runs past the end
      {u"abcabc", u"c", -1, 2},
      // Characters the ANSI code page cannot tell apart (both would be '?').
      {u"\u0100\u0101\u0100", u"\u0101", -1, 1},
      // Double-byte text counts in full.
      {u"\u65e5\u672c\u65e5\u672c\u65e5", u"\u65e5", -1, 3},
      {u"stra\u00dfe STRASSE", u"\u00df", 0, 1},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(CountStringInString(TestTextServices(), row.source, row.match, row.exact), row.expected)
        << "row with expected " << row.expected << " exact " << row.exact;
  }
}

TEST(CountStringInString, EmptySourceOrMatchIsSubscriptError) {
  EXPECT_EQ(ErrorOf([] { CountStringInString(TestTextServices(), u"", u"a", -1); }), 9);
  EXPECT_EQ(ErrorOf([] { CountStringInString(TestTextServices(), u"a", u"", -1); }), 9);
  EXPECT_EQ(ErrorOf([] { CountStringInString(TestTextServices(), u"", u"", 0); }), 9);
}

struct InStrExRow {
  int32_t start;
  std::u16string_view source;
  std::u16string_view match;
  int32_t method;
  int32_t expected;
};

TEST(InStrEx, Table) {
  const InStrExRow rows[] = {
      {3, u"abcabc", u"bc", 0, 5},  {-1, u"abcabc", u"bc", 0, 2}, {-3, u"abcabc", u"bc", 0, 5},
      {-6, u"abcabc", u"bc", 0, 0}, {0, u"abcabc", u"bc", 0, 2},  {-1, u"", u"bc", 0, 0},
      {-1, u"abcabc", u"x", 0, 0},  {-2, u"aaaa", u"aa", 0, 2},   {1, u"abcabc", u"BC", 1, 2},
      {1, u"abcabc", u"BC", 0, 0},  {-1, u"abcabc", u"BC", 1, 2}, {-1, u"abc", u"", 0, 1},
      {0, u"abc", u"", 0, 0},       {-100, u"abc", u"a", 0, 0},   {-3, u"abc", u"a", 0, 3},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(InStrEx(TestTextServices(), row.start, row.source, row.match, row.method), row.expected)
        << "start " << row.start << " expected " << row.expected;
  }
}

TEST(InStrEx, Errors) {
  EXPECT_EQ(ErrorOf([] { InStrEx(TestTextServices(), std::numeric_limits<int32_t>::min(), u"abc", u"b", 0); }), 6);
  EXPECT_EQ(ErrorOf([] { InStrEx(TestTextServices(), -1, u"abc", u"b", 2); }), 5);
  EXPECT_EQ(ErrorOf([] { InStrEx(TestTextServices(), 1, u"abc", u"b", 2); }), 5);
  EXPECT_EQ(InStrEx(TestTextServices(), std::numeric_limits<int32_t>::min() + 1, u"abc", u"b", 0), 0);
}

// InStrEx for a start of zero or below, step by step: find the first
// occurrence, then keep searching one position after each one found.
int32_t InStrExBackwardStepByStep(int32_t start, std::u16string_view source, std::u16string_view match) {
  const int32_t length = static_cast<int32_t>(source.size());
  const int32_t limit = length + start + 1;
  int32_t last = 0;
  int32_t found = FindOccurrence(TestTextServices(), source, match, 1);
  while (found >= 1 && found <= limit) {
    last = found;
    found = FindOccurrence(TestTextServices(), source, match, found + 1);
  }
  return last == 0 ? 0 : length - last + 1;
}

// CountStringInString position by position, character by character.
int32_t CountStepByStep(std::u16string_view a, std::u16string_view b) {
  int32_t count = 0;
  for (size_t j = 0; j < a.size(); ++j) {
    if (a[j] != b[0]) continue;
    bool match = true;
    for (size_t i = 1; i < b.size() && match; ++i) match = j + i < a.size() && a[j + i] == b[i];
    if (match) ++count;
  }
  return count;
}

TEST(OccurrenceSearch, AgreesWithStepByStepOnGeneratedTexts) {
  std::mt19937 rng(7);
  auto make = [&](size_t n) {
    std::u16string s(n, u'a');
    for (auto& c : s) c = u"abAB"[rng() % 4];
    return s;
  };
  for (int round = 0; round < 4000; ++round) {
    const std::u16string source = make(rng() % 60);
    const std::u16string match = make(rng() % 5);
    const int32_t start = -static_cast<int32_t>(rng() % 64);
    ASSERT_EQ(InStrEx(TestTextServices(), start, source, match, 0), InStrExBackwardStepByStep(start, source, match))
        << "round " << round;
    if (!source.empty() && !match.empty()) {
      ASSERT_EQ(CountStringInString(TestTextServices(), source, match, -1), CountStepByStep(source, match))
          << "round " << round;
    }
  }
}

}  // namespace
}  // namespace tarn

namespace tarn {
namespace {

// Every scanning kernel the processor can run against the plain one, at every
// start and end offset around the vector widths, with the pair placed at
// every position, and on random texts over a small alphabet.
TEST(ScanKernels, AgreeWithThePlainScan) {
  const ScanKernel kernels[] = {ScanKernel::kSse2, ScanKernel::kAvx2};
  std::mt19937 rng(7);
  for (const ScanKernel kernel : kernels) {
    if (!Available(kernel)) continue;
    const int name = static_cast<int>(kernel);
    for (size_t gap : {0u, 1u, 7u, 8u, 15u, 16u, 33u, 70u}) {
      for (size_t length = 1; length <= 200; ++length) {
        std::u16string text(length + gap, u'a');
        const char16_t* last = text.data() + length - 1;
        // No pair at all, then the pair at each position.
        EXPECT_EQ(FindUnitPairWith(kernel, text.data(), last, u'x', gap, u'y'), last + 1)
            << "kernel " << name << " gap " << gap << " length " << length;
        for (size_t at = 0; at < length; ++at) {
          text[at] = u'x';
          text[at + gap] = gap == 0 ? u'x' : u'y';
          const char16_t y = gap == 0 ? u'x' : u'y';
          for (size_t from : {size_t{0}, at / 2, at}) {
            EXPECT_EQ(FindUnitPairWith(kernel, text.data() + from, last, u'x', gap, y), text.data() + at)
                << "kernel " << name << " gap " << gap << " length " << length << " at " << at << " from " << from;
          }
          text[at] = u'a';
          text[at + gap] = u'a';
        }
      }
    }
    for (int round = 0; round < 300; ++round) {
      const size_t length = 1 + rng() % 400;
      const size_t gap = rng() % 40;
      std::u16string text(length + gap, u'a');
      for (auto& c : text) c = static_cast<char16_t>(u'a' + rng() % 3);
      const char16_t* last = text.data() + length - 1;
      for (const char16_t* p = text.data(); p <= last + 1;) {
        const char16_t* plain = FindUnitPairWith(ScanKernel::kPlain, p, last, u'a', gap, u'b');
        ASSERT_EQ(FindUnitPairWith(kernel, p, last, u'a', gap, u'b'), plain)
            << "kernel " << name << " round " << round << " from " << (p - text.data());
        p = plain + 1;
      }
    }
  }
}

}  // namespace
}  // namespace tarn
