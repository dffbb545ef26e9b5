// The fast case mapping and the piecewise case-insensitive search against the
// platform's own mapping (here ICU's), unit by unit over all of UTF-16 and on
// random mixed texts; the spacing kernels against each other.
#include "strings/case_mapping.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "strings/case_insensitive_search.h"
#include "strings/occurrence_search.h"
#include "strings/space_compaction.h"
#include "tests/native/icu_text_services.h"
#include "tests/native/test_text.h"

namespace tarn {
namespace {

using testing::Narrow;
using testing::TestTextServices;

std::u16string Platform(LetterCase to, std::u16string_view text) {
  return to == LetterCase::kUpper ? TestTextServices().ToUpper(text) : TestTextServices().ToLower(text);
}

TEST(CaseMapping, EveryCodeUnitAloneAndAllInOneText) {
  std::u16string all(0x10000, u'\0');
  for (unsigned u = 0; u < 0x10000; ++u) all[u] = static_cast<char16_t>(u);
  for (const LetterCase to : {LetterCase::kUpper, LetterCase::kLower}) {
    for (unsigned u = 0; u < 0x10000; ++u) {
      const std::u16string unit(1, static_cast<char16_t>(u));
      ASSERT_EQ(MapCase(TestTextServices(), to, unit), Platform(to, unit))
          << "U+" << std::hex << u << (to == LetterCase::kUpper ? " upper" : " lower");
    }
    // In order, the lone and paired surrogates meet their neighbours.
    EXPECT_EQ(MapCase(TestTextServices(), to, all), Platform(to, all));
  }
}

// Texts of ASCII, Latin-1, Greek, Cyrillic, the Turkish i's, the sharp s and
// its capital, supplementary letters in pairs and lone surrogate halves.
std::u16string MixedText(std::mt19937& rng, size_t length) {
  static const std::u16string kAlphabet =
      u"aZqM \t1\u00b5\u00df\u00e0\u00c9\u00ff\u00d7\u00f7\u0130\u0131\u03a3\u03c3"
      u"\u0416\u0436\u1e9e\u01c5\U00010428\U00010400" +
      std::u16string{0xD801, 0xDC28, 0xDC00};
  std::u16string s;
  while (s.size() < length) {
    // Mostly long ASCII stretches, so that the block kernels run too.
    if (rng() % 4 != 0) {
      const size_t run = 1 + rng() % 40;
      for (size_t k = 0; k < run; ++k) s += static_cast<char16_t>(0x20 + rng() % 0x5F);
    } else {
      s += kAlphabet[rng() % kAlphabet.size()];
    }
  }
  s.resize(length);
  return s;
}

TEST(CaseMapping, RandomMixedTexts) {
  std::mt19937 rng(161);
  for (int round = 0; round < 3000; ++round) {
    const std::u16string text = MixedText(rng, rng() % 300);
    for (const LetterCase to : {LetterCase::kUpper, LetterCase::kLower}) {
      ASSERT_EQ(MapCase(TestTextServices(), to, text), Platform(to, text)) << Narrow(text);
    }
  }
}

TEST(CaseMapping, MappedInPlace) {
  std::mt19937 rng(162);
  const std::u16string text = MixedText(rng, 5000);
  std::u16string buffer = text;
  MapCaseInto(TestTextServices(), LetterCase::kUpper, buffer, buffer.data());
  EXPECT_EQ(buffer, Platform(LetterCase::kUpper, text));
}

// Every occurrence in the upper-cased text, the plain way.
std::vector<size_t> ReferencePositions(std::u16string_view text, std::u16string_view pattern, size_t from) {
  const std::u16string upper_text = Platform(LetterCase::kUpper, text);
  const std::u16string upper_pattern = Platform(LetterCase::kUpper, pattern);
  std::vector<size_t> positions;
  for (size_t p = from; p + upper_pattern.size() <= upper_text.size(); ++p) {
    if (upper_text.compare(p, upper_pattern.size(), upper_pattern) == 0) positions.push_back(p);
  }
  return positions;
}

std::vector<size_t> PiecewisePositions(std::u16string_view text, std::u16string_view pattern, size_t from) {
  std::vector<size_t> positions;
  const std::u16string upper_pattern = MapCase(TestTextServices(), LetterCase::kUpper, pattern);
  ForEachUpperCasedOccurrence(TestTextServices(), text, upper_pattern, from, [&](size_t pos) {
    positions.push_back(pos);
    return true;
  });
  return positions;
}

TEST(CaseInsensitiveSearch, AgreesWithSearchInUpperCasedTextAcrossPieces) {
  std::mt19937 rng(163);
  // A small alphabet that makes occurrences frequent and overlapping.
  const std::u16string alphabet = u"aAbB\u00e0\u00c0\u0436\u0416";
  for (int round = 0; round < 40; ++round) {
    std::u16string text;
    const size_t length = 1 + rng() % 40000;
    while (text.size() < length) text += alphabet[rng() % alphabet.size()];
    // Patterns short and long; long ones make the pieces grow with them.
    const size_t m = round % 4 == 3 ? 2000 + rng() % 9000 : 1 + rng() % 4;
    const size_t at = rng() % text.size();
    const std::u16string pattern(text, at, m);
    const size_t from = rng() % 3 == 0 ? rng() % text.size() : 0;
    EXPECT_EQ(PiecewisePositions(text, pattern, from), ReferencePositions(text, pattern, from))
        << "round " << round << ", length " << text.size() << ", pattern " << pattern.size();
  }
}

TEST(CaseInsensitiveSearch, SurrogatePairOnAPieceBoundaryMapsAsOneCharacter) {
  // U+10428 upper-cases to U+10400 only as a pair; put pairs across every
  // possible first-piece boundary.
  for (size_t shift = 8185; shift < 8200; ++shift) {
    std::u16string text(shift, u'x');
    for (int k = 0; k < 4; ++k) text += u"\U00010428";
    text += std::u16string(9000, u'y');
    const std::u16string pattern = u"\U00010400";
    EXPECT_EQ(PiecewisePositions(text, pattern, 0), ReferencePositions(text, pattern, 0)) << shift;
  }
}

TEST(CaseInsensitiveSearch, MembersCountAndFindWithoutCase) {
  const TextServices& ts = TestTextServices();
  std::mt19937 rng(164);
  for (int round = 0; round < 200; ++round) {
    const std::u16string text = MixedText(rng, 1 + rng() % 20000);
    const std::u16string pattern = text.substr(rng() % text.size(), 1 + rng() % 3);
    const std::vector<size_t> expected = ReferencePositions(text, pattern, 0);
    EXPECT_EQ(CountStringInString(ts, text, pattern, 0), static_cast<int32_t>(expected.size())) << Narrow(pattern);
    const int32_t first = expected.empty() ? 0 : static_cast<int32_t>(expected.front() + 1);
    EXPECT_EQ(FindOccurrence(ts, text, pattern, 1, kTextCompare), first) << Narrow(pattern);
    const int32_t from_end = expected.empty() ? 0 : static_cast<int32_t>(text.size() - expected.back());
    EXPECT_EQ(InStrEx(ts, -1, text, pattern, kTextCompare), from_end) << Narrow(pattern);
  }
}

TEST(SpaceCompaction, KernelsAgree) {
  if (!Available(CompactionKernel::kSsse3)) GTEST_SKIP() << "no SSSE3 on this processor";
  std::mt19937 rng(165);
  for (int round = 0; round < 2000; ++round) {
    std::u16string text;
    const size_t length = rng() % 400;
    const unsigned spaces = static_cast<unsigned>(rng() % 100);
    while (text.size() < length) {
      const unsigned pick = static_cast<unsigned>(rng() % 100);
      text += pick < spaces ? u' ' : (pick % 3 == 0 ? static_cast<char16_t>(0x8000 + pick) : u"aZz{`\u00e0"[pick % 6]);
    }
    for (const SpaceRule rule : {SpaceRule::kDropAll, SpaceRule::kKeepOneInside}) {
      for (const bool capitalize : {false, true}) {
        std::u16string plain(length + 8, u'\0');
        std::u16string fast(length + 8, u'\0');
        plain.resize(CompactSpacesWith(CompactionKernel::kPlain, text.data(), length, plain.data(), rule, capitalize));
        fast.resize(CompactSpacesWith(CompactionKernel::kSsse3, text.data(), length, fast.data(), rule, capitalize));
        ASSERT_EQ(fast, plain) << Narrow(text) << " rule " << static_cast<int>(rule) << " capitalize " << capitalize;
        if (rule == SpaceRule::kDropAll && !capitalize) {
          std::u16string without = text;
          std::erase(without, u' ');
          ASSERT_EQ(plain, without) << Narrow(text);
        }
        // In place, as FirstUCase compacts its own buffer.
        std::u16string in_place = text + std::u16string(8, u'\0');
        in_place.resize(
            CompactSpacesWith(CompactionKernel::kSsse3, in_place.data(), length, in_place.data(), rule, capitalize));
        ASSERT_EQ(in_place, plain) << Narrow(text);
      }
    }
  }
}

}  // namespace
}  // namespace tarn
