#include "strings/character_validation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <random>
#include <vector>

#include "frame/automation_error.h"
#include "strings/random/chacha_random_source.h"
#include "strings/character_sets.h"
#include "strings/text_rules.h"
#include "tests/native/icu_text_services.h"
#include "tests/native/system_random_source.h"
#include "tests/native/test_text.h"

namespace tarn {
namespace {

using testing::Narrow;

// IsCustomString as its steps read: search the set for each character in turn.
bool IsCustomStringStepByStep(std::u16string_view testo, std::u16string_view good_chars) {
  for (int32_t i = 1; i <= LengthOf(testo); ++i) {
    if (FindOccurrence(testing::TestTextServices(), good_chars, Mid(testo, i, 1), 1) == 0) return false;
  }
  return true;
}

TEST(IsCustomString, Table) {
  struct Row {
    std::u16string_view testo;
    std::u16string_view good_chars;
    bool expected;
  };
  const Row rows[] = {
      {u"12a", kDigits, false},
      {u"1234", kDigits, true},
      {u"", u"", true},
      {u"", kDigits, true},
      {u"a", u"", false},
      {u"abc", u"ABC", false},  // case-sensitive
      {u"\u00e8\u00e8a", u"a\u00e8", true},
      {u"\U0001F600", u"\U0001F600", true},
      {u"\U0001F600", u"\U0001F601", false},  // same high half, other low half
      {u"\uffff\u0000", std::u16string_view(u"\u0000\uffff", 2), true},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(IsCustomString(row.testo, row.good_chars), row.expected)
        << Narrow(row.testo) << " against " << Narrow(row.good_chars);
  }
}

TEST(IsCustomString, AgreesWithStepByStepOnGeneratedTexts) {
  std::mt19937 rng(31);
  auto make = [&](size_t max_length) {
    std::u16string s(rng() % (max_length + 1), u' ');
    for (char16_t& c : s) c = u"abcA\u00e8"[rng() % 5];
    return s;
  };
  for (int round = 0; round < 5000; ++round) {
    const std::u16string testo = make(12);
    const std::u16string good = make(4);
    ASSERT_EQ(IsCustomString(testo, good), IsCustomStringStepByStep(testo, good))
        << "round " << round << ": " << Narrow(testo) << " against " << Narrow(good);
  }
}

// Yields the numbers it is given, in turn, and counts the draws.
class ChosenNumbers final : public RandomSource {
 public:
  explicit ChosenNumbers(std::vector<double> numbers) : numbers_(std::move(numbers)) {}
  double NextUniform() override { return numbers_.at(draws_++ % numbers_.size()); }
  size_t draws() const { return draws_; }

 private:
  std::vector<double> numbers_;
  size_t draws_ = 0;
};

constexpr double kLargestBelowOne = 0x1.fffffffffffffp-1;

const std::u16string kDefaultChars =
    std::u16string(kUpperChars) + std::u16string(kLowerChars) + std::u16string(kDigits);

TEST(GetRndString, LengthsAndErrors) {
  constexpr int32_t kLowest = std::numeric_limits<int32_t>::min();
  struct Row {
    int32_t length;
    std::u16string_view chars;
    std::vector<double> numbers;
    int32_t error;
    std::u16string_view expected;
  };
  const Row rows[] = {
      {5, u"", {0.5}, -2147218503, u""},  // an empty set fails first, whatever the length
      {0, u"", {0.5}, -2147218503, u""},
      {kLowest, u"", {0.5}, -2147218503, u""},
      {kLowest, u"ab", {0.5}, kErrOverflow, u""},
      {0, u"ab", {0.5}, 0, u""},
      {-5, u"ab", {0.5}, 0, u""},
      {5, u"x", {0.3, 0.9}, 0, u"xxxxx"},
      {3, kLowerChars, {0.0, kLargestBelowOne, 0.5}, 0, u"azn"},
      {1, kLowerChars, {1.0}, kErrSubscript, u""},  // a faulty source cannot index past the table
      {1, kLowerChars, {-0.25}, kErrSubscript, u""},
      {1, kLowerChars, {std::nan("")}, kErrSubscript, u""},
  };
  for (const Row& row : rows) {
    ChosenNumbers random(row.numbers);
    std::u16string got;
    int32_t error = 0;
    try {
      got = GetRndString(random, row.length, row.chars);
    } catch (const AutomationError& e) {
      error = e.number();
      if (error == -2147218503) {
        EXPECT_EQ(e.source(), u"TarnLib.dll");
        EXPECT_EQ(e.description(), u"UsingThisChars in GetRndString can't be an empty string");
      }
    }
    const std::string name = "length " + std::to_string(row.length) + " over '" + Narrow(row.chars) + "'";
    EXPECT_EQ(error, row.error) << name;
    EXPECT_EQ(got, row.expected) << name;
    // One draw per character, none before the checks pass.
    const size_t draws = row.chars.empty() || row.length <= 0 ? 0 : (error ? 1 : static_cast<size_t>(row.length));
    EXPECT_EQ(random.draws(), draws) << name;
  }
}

TEST(GetRndString, EveryEntryIsReachedOverItsShareOfTheRange) {
  // Entry k of L is drawn for r in [k/L, (k+1)/L). Checked in the middle of
  // each share and at both ends of the range, for small and large tables.
  for (const size_t entries : {size_t{1}, size_t{2}, size_t{3}, size_t{7}, size_t{62}, size_t{1000}, size_t{65537},
                               size_t{1} << 20, (size_t{3} << 20) + 1}) {
    std::u16string table(entries, u'\0');
    for (size_t k = 0; k < entries; ++k) table[k] = static_cast<char16_t>(k % 0xFFFF);
    std::vector<double> numbers{0.0, kLargestBelowOne};
    const size_t step = entries > 5000 ? entries / 4999 : 1;
    std::vector<size_t> expected{0, entries - 1};
    for (size_t k = 0; k < entries; k += step) {
      numbers.push_back((static_cast<double>(k) + 0.5) / static_cast<double>(entries));
      expected.push_back(k);
    }
    ChosenNumbers random(numbers);
    const std::u16string got = GetRndString(random, static_cast<int32_t>(numbers.size()), table);
    for (size_t i = 0; i < numbers.size(); ++i) {
      ASSERT_EQ(got[i], table[expected[i]]) << "table of " << entries << ", r = " << numbers[i];
    }
  }
}

TEST(GetRndString, RepeatedCharactersAreWeighted) {
  // Numbers spread evenly over [0, 1): each entry gets exactly its share.
  std::vector<double> numbers;
  for (int i = 0; i < 3000; ++i) numbers.push_back((i + 0.5) / 3000);
  ChosenNumbers random(numbers);
  std::map<char16_t, int> seen;
  for (const char16_t c : GetRndString(random, 3000, u"abab\u00e8a")) ++seen[c];
  EXPECT_EQ(seen[u'a'], 1500);
  EXPECT_EQ(seen[u'b'], 1000);
  EXPECT_EQ(seen[u'\u00e8'], 500);
  EXPECT_EQ(seen.size(), 3u);
}

// Chi-square of observed counts against equal shares of the table entries.
double ChiSquare(const std::u16string& drawn, std::u16string_view table) {
  std::map<char16_t, double> observed;
  std::map<char16_t, double> expected;
  for (const char16_t c : drawn) ++observed[c];
  for (const char16_t c : table) expected[c] += static_cast<double>(drawn.size()) / static_cast<double>(table.size());
  double chi = 0;
  for (const auto& [c, e] : expected) chi += (observed[c] - e) * (observed[c] - e) / e;
  return chi;
}

TEST(GetRndString, SystemSourceIsUniformOverTheTable) {
  // Bounds far in the tail: a fair source exceeds them with a probability
  // below 1e-20, a biased or stuck one far above them. The system generator
  // draws one number per character; the ChaCha20 stream the DLL uses maps 8
  // bits per character.
  testing::SystemRandomSource system;
  ChaChaRandomSource stream({11, 12, 13, 14, 15, 16, 17, 18}, {19, 20, 21});
  RandomSource* const sources[] = {&system, &stream};
  for (RandomSource* random : sources) {
    const std::u16string drawn = GetRndString(*random, 620'000, kDefaultChars);
    EXPECT_TRUE(IsCustomString(drawn, kDefaultChars));
    EXPECT_LT(ChiSquare(drawn, kDefaultChars), 260.0) << "61 degrees of freedom";
    std::map<char16_t, int> seen;
    for (const char16_t c : drawn) ++seen[c];
    EXPECT_EQ(seen.size(), kDefaultChars.size());

    const std::u16string weighted = GetRndString(*random, 90'000, u"aab");
    EXPECT_LT(ChiSquare(weighted, u"aab"), 90.0) << "1 degree of freedom";
  }
}

}  // namespace
}  // namespace tarn
