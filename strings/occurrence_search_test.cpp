#include "strings/occurrence_search.h"

#include <gtest/gtest.h>

#include <limits>
#include <random>
#include <vector>

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

// Every position in [from, last] where both units match, as a kernel reports
// them block by block, and as a plain loop finds them.
std::vector<size_t> PairsByKernel(ScanKernel kernel, const std::u16string& text, size_t from, size_t last, size_t gap,
                                  char16_t first, char16_t second) {
  std::vector<size_t> found;
  const char16_t* const begin = text.data();
  for (const char16_t* p = begin + from; p <= begin + last; p += 64) {
    uint64_t mask = 0;
    const char16_t* block = FindUnitPairBlockWith(kernel, p, begin + last, first, gap, second, &mask);
    if (block > begin + last) break;
    EXPECT_GE(block, p);
    EXPECT_NE(mask, 0u);
    for (; mask != 0; mask &= mask - 1) found.push_back(static_cast<size_t>(block - begin) + __builtin_ctzll(mask));
    p = block;
  }
  return found;
}

std::vector<size_t> PairsByLoop(const std::u16string& text, size_t from, size_t last, size_t gap, char16_t first,
                                char16_t second) {
  std::vector<size_t> found;
  for (size_t i = from; i <= last; ++i) {
    if (text[i] == first && text[i + gap] == second) found.push_back(i);
  }
  return found;
}

// Every scanning kernel the processor can run, at every start and end offset
// around the vector widths with the pair placed at every position, and on
// random texts over a small alphabet where pairs are dense.
TEST(ScanKernels, FindEveryPairAPlainLoopFinds) {
  const ScanKernel kernels[] = {ScanKernel::kPlain, ScanKernel::kSse2, ScanKernel::kAvx2};
  std::mt19937 rng(7);
  for (const ScanKernel kernel : kernels) {
    if (!Available(kernel)) continue;
    const int name = static_cast<int>(kernel);
    for (size_t gap : {0u, 1u, 7u, 8u, 15u, 16u, 33u, 70u}) {
      for (size_t length = 1; length <= 140; ++length) {
        std::u16string text(length + gap, u'a');
        const size_t last = length - 1;
        EXPECT_TRUE(PairsByKernel(kernel, text, 0, last, gap, u'x', u'y').empty())
            << "kernel " << name << " gap " << gap << " length " << length;
        const char16_t y = gap == 0 ? u'x' : u'y';
        for (size_t at = 0; at < length; ++at) {
          text[at] = u'x';
          text[at + gap] = y;
          for (size_t from : {size_t{0}, at / 2, at}) {
            EXPECT_EQ(PairsByKernel(kernel, text, from, last, gap, u'x', y), std::vector<size_t>{at})
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
      const size_t from = rng() % length;
      ASSERT_EQ(PairsByKernel(kernel, text, from, length - 1, gap, u'a', u'b'),
                PairsByLoop(text, from, length - 1, gap, u'a', u'b'))
          << "kernel " << name << " round " << round;
    }
  }
}

}  // namespace
}  // namespace tarn
