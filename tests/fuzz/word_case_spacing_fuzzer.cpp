// Word case and spacing against their definitions: RemoveSpaces drops every
// U+0020 and nothing else; OnlyOneSpace gives the words separated by single
// spaces; FirstUCase gives the same words and spaces with every letter cased
// as one of its case forms. Texts here are far below the Integer limits, so
// no call may raise.
#include <cstdint>
#include <string>
#include <vector>

#include "strings/text_rules.h"
#include "strings/word_case_spacing.h"
#include "tests/fuzz/fuzz_input.h"
#include "tests/native/icu_text_services.h"

namespace {

using tarn::fuzzing::FuzzInput;
using tarn::fuzzing::Require;

std::vector<std::u16string> WordsOf(std::u16string_view text) {
  std::vector<std::u16string> words;
  std::u16string word;
  for (char16_t c : text) {
    if (c == u' ') {
      if (!word.empty()) words.push_back(word);
      word.clear();
    } else {
      word += c;
    }
  }
  if (!word.empty()) words.push_back(word);
  return words;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in(data, size);
  const tarn::TextServices& services = tarn::testing::TestTextServices();
  const std::u16string text = in.Text(200);

  std::u16string without;
  for (char16_t c : text) {
    if (c != u' ') without += c;
  }
  Require(tarn::RemoveSpaces(text) == without, "RemoveSpaces: the text without its spaces");

  const std::vector<std::u16string> words = WordsOf(text);
  std::u16string single;
  for (const auto& word : words) single += (single.empty() ? u"" : u" ") + word;
  Require(tarn::OnlyOneSpace(text) == single, "OnlyOneSpace: the words separated by one space");

  const std::u16string cased = tarn::FirstUCase(services, text);
  Require(cased.size() == single.size(), "FirstUCase: as long as the words with single spaces");
  const std::vector<std::u16string> cased_words = WordsOf(cased);
  Require(cased_words.size() == words.size(), "FirstUCase: the same number of words");
  for (size_t w = 0; w < words.size(); ++w) {
    Require(cased_words[w].size() == words[w].size(), "FirstUCase: words keep their length");
    for (size_t i = 0; i < words[w].size(); ++i) {
      const char16_t original = words[w][i];
      const char16_t expected = i == 0 ? tarn::UpperCaseOf(services, original) : tarn::LowerCaseOf(services, original);
      Require(cased_words[w][i] == expected, "FirstUCase: capital initial, the rest in small letters");
    }
  }
  return 0;
}
