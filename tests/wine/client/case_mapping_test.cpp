// The library's fast case mapping against the system's own LCMapStringW, unit
// by unit over all of UTF-16 and on random mixed texts, in this process; and
// the DLL's case-insensitive members against a count and search made here on
// texts LCMapStringW upper-cased.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "frame/win32/win_text_services.h"
#include "strings/case_mapping.h"
#include "tests/wine/client/client_support.h"

namespace tarn::client {
namespace {

std::u16string SystemMapping(LetterCase to, std::u16string_view text) {
  std::u16string out(text.size(), u'\0');
  if (text.empty()) return out;
  const DWORD how = to == LetterCase::kUpper ? LCMAP_UPPERCASE : LCMAP_LOWERCASE;
  const int n = static_cast<int>(text.size());
  EXPECT_EQ(LCMapStringW(LOCALE_USER_DEFAULT, how, reinterpret_cast<LPCWSTR>(text.data()), n,
                         reinterpret_cast<LPWSTR>(out.data()), n),
            n);
  return out;
}

std::u16string Fast(LetterCase to, std::u16string_view text) {
  return MapCase(com::SystemTextServices(), to, text);
}

TEST(CaseMappingAgainstSystem, EveryCodeUnitAloneAndAllInOneText) {
  std::u16string all(0x10000, u'\0');
  for (unsigned u = 0; u < 0x10000; ++u) all[u] = static_cast<char16_t>(u);
  for (const LetterCase to : {LetterCase::kUpper, LetterCase::kLower}) {
    for (unsigned u = 0; u < 0x10000; ++u) {
      const std::u16string unit(1, static_cast<char16_t>(u));
      ASSERT_EQ(Fast(to, unit), SystemMapping(to, unit))
          << "U+" << std::hex << u << (to == LetterCase::kUpper ? " upper" : " lower");
    }
    EXPECT_EQ(Fast(to, all), SystemMapping(to, all));
  }
}

// ASCII stretches with Latin-1, Greek, Cyrillic, the Turkish i's, the sharp s,
// supplementary letters and lone surrogate halves among them.
std::u16string MixedText(std::mt19937& rng, size_t length) {
  static const std::u16string kAlphabet = u"aZqM \t1\u00b5\u00df\u00e0\u00c9\u00ff\u00d7\u0130\u0131\u03a3\u03c3"
                                          u"\u0416\u0436\u1e9e\u01c5\U00010428\U00010400" +
                                          std::u16string{0xD801, 0xDC28, 0xDC00};
  std::u16string s;
  while (s.size() < length) {
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

TEST(CaseMappingAgainstSystem, RandomMixedTexts) {
  std::mt19937 rng(161);
  for (int round = 0; round < 2000; ++round) {
    const std::u16string text = MixedText(rng, rng() % 300);
    for (const LetterCase to : {LetterCase::kUpper, LetterCase::kLower}) {
      ASSERT_EQ(Fast(to, text), SystemMapping(to, text)) << "round " << round;
    }
  }
}

// Positions of `pattern` in `text`, both upper-cased by the system.
std::vector<size_t> SystemPositions(std::u16string_view text, std::u16string_view pattern) {
  const std::u16string t = SystemMapping(LetterCase::kUpper, text);
  const std::u16string p = SystemMapping(LetterCase::kUpper, pattern);
  std::vector<size_t> positions;
  for (size_t at = 0; at + p.size() <= t.size(); ++at) {
    if (t.compare(at, p.size(), p) == 0) positions.push_back(at);
  }
  return positions;
}

TEST(CaseInsensitiveMembersAgainstSystem, CountAndSearchThroughTheDll) {
  const auto object = NewStringFunction();
  ASSERT_TRUE(object);
  std::mt19937 rng(166);
  for (int round = 0; round < 60; ++round) {
    // Long enough to be searched in several pieces.
    const std::u16string text = MixedText(rng, 1 + rng() % 30000);
    const std::u16string pattern = text.substr(rng() % text.size(), 1 + rng() % 3);
    const std::vector<size_t> expected = SystemPositions(text, pattern);
    const Bstr source(text);
    const Bstr match(pattern);
    LONG count = -1;
    ASSERT_EQ(object->CountStringInString(source.get(), match.get(), VARIANT_FALSE, &count), S_OK);
    EXPECT_EQ(count, static_cast<LONG>(expected.size())) << "round " << round;
    LONG first = -1;
    ASSERT_EQ(object->InStrEx(1, source.get(), match.get(), tlTextCompare, &first), S_OK);
    EXPECT_EQ(first, expected.empty() ? 0 : static_cast<LONG>(expected.front() + 1)) << "round " << round;
    LONG from_end = -1;
    ASSERT_EQ(object->InStrEx(-1, source.get(), match.get(), tlTextCompare, &from_end), S_OK);
    EXPECT_EQ(from_end, expected.empty() ? 0 : static_cast<LONG>(text.size() - expected.back())) << "round " << round;
  }
}

TEST(CaseInsensitiveMembersAgainstSystem, FirstUCaseOfEveryCodeUnit) {
  // Each unit as a word of its own ("u" upper-cased) and after an "x" ("xu",
  // the unit lower-cased); halves of surrogate pairs stay as they are.
  const auto object = NewStringFunction();
  ASSERT_TRUE(object);
  const auto is_surrogate = [](char16_t u) { return u >= 0xD800 && u <= 0xDFFF; };
  for (const bool initial : {true, false}) {
    const size_t per_word = initial ? 2 : 3;
    std::u16string input;
    std::u16string expected;
    const auto flush = [&] {
      const Bstr in(input);
      BSTR out = nullptr;
      ASSERT_EQ(object->FirstUCase(in.get(), &out), S_OK);
      const std::u16string result(reinterpret_cast<const char16_t*>(out), SysStringLen(out));
      SysFreeString(out);
      if (!expected.empty() && expected.back() == u' ') expected.pop_back();
      EXPECT_EQ(result, expected) << (initial ? "initials" : "after x") << ", up to U+" << std::hex
                                         << static_cast<unsigned>(input.empty() ? 0 : input[input.size() - 2]);
      input.clear();
      expected.clear();
    };
    for (unsigned u = 0; u < 0x10000; ++u) {
      const char16_t unit = static_cast<char16_t>(u);
      if (unit == u' ') continue;
      const std::u16string alone(1, unit);
      const char16_t mapped =
          is_surrogate(unit) ? unit : SystemMapping(initial ? LetterCase::kUpper : LetterCase::kLower, alone)[0];
      if (initial) {
        input += unit;
        expected += mapped;
      } else {
        input += u'x';
        input += unit;
        expected += u'X';
        expected += mapped;
      }
      input += u' ';
      expected += u' ';
      if (input.size() + per_word > 32766) flush();
    }
    flush();
  }
}

}  // namespace
}  // namespace tarn::client
