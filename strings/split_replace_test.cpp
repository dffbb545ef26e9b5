#include "strings/split_replace.h"

#include <gtest/gtest.h>

#include <random>

#include "strings/text_rules.h"
#include "tests/native/icu_text_services.h"
#include "tests/native/test_text.h"

namespace tarn {
namespace {

using testing::Narrow;
using testing::TestTextServices;

std::string Describe(const std::vector<std::u16string>& pieces) {
  std::string out;
  for (const auto& p : pieces) {
    out += '[';
    out += Narrow(p);
    out += ']';
  }
  return out;
}

// ParseString exactly as its steps read: search, resize keeping what is
// stored, cut with the extraction rules (which raise error 5 for a negative
// length), search again one position after the start of the separator.
struct Parsed {
  std::vector<std::u16string> pieces;
  int32_t error = 0;
};

Parsed ParseStringStepByStep(std::u16string_view source, std::u16string_view match) {
  const TextServices& ts = TestTextServices();
  const int32_t ls = LengthOf(source);
  const int32_t lm = LengthOf(match);
  Parsed dest;
  try {
    int32_t n = 0;
    int32_t prev = 0;
    int32_t pos = FindOccurrence(ts, source, match, 1);
    while (pos >= 1) {
      dest.pieces.resize(static_cast<size_t>(n) + 1);
      dest.pieces[n] = prev == 0 ? Left(source, pos - 1) : Mid(source, prev + lm, pos - prev - lm);
      prev = pos;
      pos = FindOccurrence(ts, source, match, pos + 1);
      ++n;
    }
    if (n > 0) {
      dest.pieces.resize(static_cast<size_t>(n) + 1);
      dest.pieces[n] = Mid(source, prev + lm, ls - prev - lm + 1);
    } else {
      dest.pieces = {std::u16string(source)};
    }
  } catch (const AutomationError& e) {
    dest.error = e.number();
  }
  return dest;
}

Parsed ParseFast(std::u16string_view source, std::u16string_view match) {
  ParseOutcome outcome = ParseString(source, match);
  return {std::move(outcome.pieces), outcome.error ? outcome.error->number() : 0};
}

TEST(ParseString, Table) {
  struct Row {
    std::u16string_view source;
    std::u16string_view match;
    std::vector<std::u16string> pieces;
    int32_t error;
  };
  const Row rows[] = {
      {u"a,b,,c", u",", {u"a", u"b", u"", u"c"}, 0},
      {u",a,", u",", {u"", u"a", u""}, 0},
      {u"abc", u",", {u"abc"}, 0},
      {u"", u",", {u""}, 0},
      {u"", u"", {u""}, 0},
      {u"a::b", u"::", {u"a", u"b"}, 0},
      {u"aXbxc", u"x", {u"aXb", u"c"}, 0},  // case-sensitive
      {u"ab", u"", {u"", u"a", u"b", u""}, 0},
      {u"abab", u"ab", {u"", u"", u""}, 0},
      {u"\u00e8\u65e5\u00e8", u"\u65e5", {u"\u00e8", u"\u00e8"}, 0},
      // A separator that overlaps itself: the pieces stored so far and one empty element.
      {u"a:::b", u"::", {u"a", u""}, 5},
      {u":::", u"::", {u"", u""}, 5},
      {u"x,y,ababa", u"aba", {u"x,y,", u""}, 5},
      {u"1-2--3---4", u"--", {u"1-2", u"3", u""}, 5},
  };
  for (const Row& row : rows) {
    const Parsed got = ParseFast(row.source, row.match);
    EXPECT_EQ(got.pieces, row.pieces) << Narrow(row.source) << " at " << Narrow(row.match) << ": "
                                      << Describe(got.pieces);
    EXPECT_EQ(got.error, row.error) << Narrow(row.source) << " at " << Narrow(row.match);
  }
}

// ReplaceString exactly as its steps read: rebuild the whole text at each
// occurrence and resume the search just after the inserted text. An empty
// search string returns the text (the loop would not end).
std::u16string ReplaceStringStepByStep(std::u16string_view data, std::u16string_view search,
                                       std::u16string_view replace) {
  if (search.empty() && !data.empty()) return std::u16string(data);
  std::u16string d(data);
  const int32_t lr = LengthOf(replace);
  int32_t start = 1;
  for (;;) {
    const int32_t pos = FindOccurrence(TestTextServices(), d, search, start);
    if (pos == 0) return d;
    d = std::u16string(Left(d, pos - 1)) + std::u16string(replace) +
        std::u16string(Right(d, LengthOf(d) - pos - LengthOf(search) + 1));
    start = pos + lr;
  }
}

TEST(ReplaceString, Table) {
  struct Row {
    std::u16string_view data;
    std::u16string_view search;
    std::u16string_view replace;
    std::u16string_view expected;
  };
  const Row rows[] = {
      {u"aaa", u"a", u"aa", u"aaaaaa"},  // inserted text is not searched
      {u"aaaa", u"aa", u"b", u"bb"},
      {u"aabb", u"ab", u"", u"ab"},  // an occurrence formed by a removal stays
      {u"xaab", u"ab", u"a", u"xaa"},
      {u"", u"", u"x", u""},
      {u"", u"a", u"x", u""},
      {u"Abc", u"a", u"x", u"Abc"},  // case-sensitive
      {u"abc", u"", u"x", u"abc"},   // empty search: unchanged
      {u"abc", u"abc", u"", u""},
      {u"a.b.c", u".", u"::", u"a::b::c"},
      {u"\u00e8\u65e5\u00e8", u"\u00e8", u"\u65e5\u65e5", u"\u65e5\u65e5\u65e5\u65e5\u65e5"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(ReplaceString(row.data, row.search, row.replace), row.expected)
        << Narrow(row.data) << " / " << Narrow(row.search) << " / " << Narrow(row.replace);
  }
}

TEST(ReplaceString, ResultBeyondTheLongRangeIsOutOfMemory) {
  const std::u16string data(1'000'000, u'a');
  const std::u16string replace(2200, u'b');  // 2.2e9 characters
  try {
    (void)ReplaceString(data, u"a", replace);
    FAIL() << "no error raised";
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.number(), kErrOutOfMemory);
  }
}

// Random texts over two or three letters make overlapping and adjacent
// occurrences common.
std::u16string RandomText(std::mt19937& rng, std::u16string_view alphabet, size_t max_length) {
  std::u16string s(rng() % (max_length + 1), u' ');
  for (char16_t& c : s) c = alphabet[rng() % alphabet.size()];
  return s;
}

TEST(ParseString, AgreesWithStepByStepOnGeneratedTexts) {
  std::mt19937 rng(11);
  for (int round = 0; round < 20000; ++round) {
    const std::u16string_view alphabet = round % 2 ? u"ab" : u"a:b";
    const std::u16string source = RandomText(rng, alphabet, 40);
    const std::u16string match = RandomText(rng, alphabet, 4);
    const Parsed fast = ParseFast(source, match);
    const Parsed slow = ParseStringStepByStep(source, match);
    ASSERT_EQ(fast.error, slow.error) << "round " << round << ": " << Narrow(source) << " at " << Narrow(match);
    ASSERT_EQ(fast.pieces, slow.pieces) << "round " << round << ": " << Narrow(source) << " at " << Narrow(match);
  }
}

TEST(ReplaceString, AgreesWithStepByStepOnGeneratedTexts) {
  std::mt19937 rng(12);
  for (int round = 0; round < 20000; ++round) {
    const std::u16string data = RandomText(rng, u"ab", 60);
    const std::u16string search = RandomText(rng, u"ab", 4);
    const std::u16string replace = RandomText(rng, u"abc", 4);
    ASSERT_EQ(ReplaceString(data, search, replace), ReplaceStringStepByStep(data, search, replace))
        << "round " << round << ": " << Narrow(data) << " / " << Narrow(search) << " / " << Narrow(replace);
  }
}

// The caller's storage: asked for once, with the exact length, and filled to
// the last unit without writing past it (a guard unit follows the buffer).
TEST(ReplaceString, IntoCallerStorageAsksOnceForTheExactLength) {
  std::mt19937 rng(13);
  for (int round = 0; round < 5000; ++round) {
    const std::u16string data = RandomText(rng, u"ab", 60);
    const std::u16string search = RandomText(rng, u"ab", 3);
    const std::u16string replace = RandomText(rng, u"abc", 4);
    const std::u16string expected = ReplaceStringStepByStep(data, search, replace);
    std::u16string storage;
    int calls = 0;
    ReplaceStringInto(data, search, replace, [&](size_t length) {
      ++calls;
      storage.assign(length + 1, u'#');
      return storage.data();
    });
    const std::string row = Narrow(data) + " / " + Narrow(search) + " / " + Narrow(replace);
    ASSERT_EQ(calls, 1) << row;
    ASSERT_EQ(storage.size(), expected.size() + 1) << row;
    ASSERT_EQ(storage.substr(0, expected.size()), expected) << row;
    ASSERT_EQ(storage.back(), u'#') << row;
  }
}

TEST(ReplaceString, IntoCallerStorageAsksNothingWhenTheResultIsTooLong) {
  const std::u16string data(1'000'000, u'a');
  const std::u16string replace(2200, u'b');
  int calls = 0;
  try {
    ReplaceStringInto(data, u"a", replace, [&calls](size_t) -> char16_t* {
      ++calls;
      return nullptr;
    });
    FAIL() << "no error raised";
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.number(), kErrOutOfMemory);
  }
  EXPECT_EQ(calls, 0);
}

}  // namespace
}  // namespace tarn
