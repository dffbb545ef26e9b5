// Throughput of ReplaceString and ParseString on 1 to 64 MB of UTF-16 text, and
// of FirstUCase, RemoveSpaces and OnlyOneSpace at 32,766 characters (the
// longest text on which no placement of spaces overflows their Integer),
// printed beside memcpy of the same bytes in the same run. Time per character
// stays flat as the size grows when the members are linear. Figures, not pass
// or fail.
//
// By default freed memory stays in the process, so that the figures measure the
// members rather than the kernel handing out fresh pages for every result
// (expensive in some virtual machines). `--fresh-pages` keeps the allocator's
// defaults, under which blocks above 32 MB come fresh from the kernel each time.
#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "strings/split_replace.h"
#include "strings/word_case_spacing.h"
#include "tests/native/icu_text_services.h"

namespace {

volatile size_t sink;

template <typename F>
double BestSeconds(int repeats, F&& run) {
  double best = 1e9;
  for (int i = 0; i < repeats; ++i) {
    const auto t0 = std::chrono::steady_clock::now();
    run();
    const std::chrono::duration<double> d = std::chrono::steady_clock::now() - t0;
    best = std::min(best, d.count());
  }
  return best;
}

constexpr std::u16string_view kSeparator = u"<%>";

// Small letters with the separator at every `every` characters and nowhere else.
std::u16string TextWithSeparators(size_t units, size_t every, std::mt19937& rng) {
  std::u16string text(units, u'x');
  for (char16_t& c : text) c = static_cast<char16_t>(u'a' + static_cast<int>(rng() % 26));
  for (size_t i = every - kSeparator.size(); i + kSeparator.size() <= units; i += every) {
    text.replace(i, kSeparator.size(), kSeparator);
  }
  return text;
}

// Words of mixed case separated by runs of one to three spaces.
std::u16string TextWithWords(size_t units, std::mt19937& rng) {
  std::u16string text = u"  ";
  while (text.size() < units) {
    const size_t word = 2 + rng() % 9;
    for (size_t i = 0; i < word; ++i) {
      text += static_cast<char16_t>((rng() % 4 ? u'a' : u'A') + static_cast<int>(rng() % 26));
    }
    text.append(1 + (rng() % 8 == 0 ? 1 + rng() % 2 : 0), u' ');
  }
  text.resize(units);
  return text;
}

double Rate(size_t units, double seconds) { return static_cast<double>(units) / seconds / 1e6; }

void LargeTexts() {
  std::printf(
      "ReplaceString (\"<%%>\" -> \"&lt;\") and ParseString (at \"<%%>\"), millions of characters per second\n");
  std::printf("and milliseconds per call; memcpy copies the same bytes into a buffer already written once,\n");
  std::printf("'new string' copies them into a freshly allocated string (what any member returning a text pays).\n\n");
  std::printf("%6s %10s | %9s %9s | %9s %7s %9s %7s | %9s %7s %9s %7s\n", "MB", "characters", "memcpy", "new str",
              "Repl/16", "ms", "Repl/1000", "ms", "Parse/16", "ms", "Parse/1k", "ms");
  std::mt19937 rng(1);
  for (const size_t megabytes : {1, 4, 16, 64}) {
    const size_t units = (megabytes << 20) / sizeof(char16_t);
    const std::u16string dense = TextWithSeparators(units, 16, rng);
    const std::u16string sparse = TextWithSeparators(units, 1000, rng);
    const int repeats = megabytes >= 16 ? 5 : 15;

    std::vector<char16_t> target(units, u'\0');
    const double memcpy_s = BestSeconds(repeats, [&] {
      std::memcpy(target.data(), sparse.data(), units * sizeof(char16_t));
      sink = target[units / 2];
    });
    const double copy_s = BestSeconds(repeats, [&] {
      const std::u16string copy(sparse);
      sink = copy.size();
    });
    double s[4];
    s[0] = BestSeconds(repeats, [&] { sink = tarn::ReplaceString(dense, kSeparator, u"&lt;").size(); });
    s[1] = BestSeconds(repeats, [&] { sink = tarn::ReplaceString(sparse, kSeparator, u"&lt;").size(); });
    s[2] = BestSeconds(repeats, [&] { sink = tarn::ParseString(dense, kSeparator).pieces.size(); });
    s[3] = BestSeconds(repeats, [&] { sink = tarn::ParseString(sparse, kSeparator).pieces.size(); });
    std::printf("%6zu %10zu | %9.0f %9.0f | %9.0f %7.2f %9.0f %7.2f | %9.0f %7.2f %9.0f %7.2f\n", megabytes, units,
                Rate(units, memcpy_s), Rate(units, copy_s), Rate(units, s[0]), s[0] * 1e3, Rate(units, s[1]),
                s[1] * 1e3, Rate(units, s[2]), s[2] * 1e3, Rate(units, s[3]), s[3] * 1e3);
  }
}

void IntegerLimitedMembers() {
  constexpr size_t kUnits = 32766;
  constexpr int kCalls = 2000;
  std::mt19937 rng(2);
  const std::u16string text = TextWithWords(kUnits, rng);
  const tarn::TextServices& services = tarn::testing::TestTextServices();
  std::vector<char16_t> target(kUnits, u'\0');

  struct Figure {
    const char* name;
    double seconds;
  };
  const Figure figures[] = {
      {"memcpy (same bytes)", BestSeconds(5,
                                          [&] {
                                            for (int i = 0; i < kCalls; ++i) {
                                              std::memcpy(target.data(), text.data(), kUnits * sizeof(char16_t));
                                              sink = target[static_cast<size_t>(i) % kUnits];
                                            }
                                          })},
      {"FirstUCase", BestSeconds(5,
                                 [&] {
                                   for (int i = 0; i < kCalls; ++i) sink = tarn::FirstUCase(services, text).size();
                                 })},
      {"ICU ToLower alone, same text", BestSeconds(5,
                                                   [&] {
                                                     for (int i = 0; i < kCalls; ++i) {
                                                       sink = services.ToLower(text).size();
                                                     }
                                                   })},
      {"RemoveSpaces", BestSeconds(5,
                                   [&] {
                                     for (int i = 0; i < kCalls; ++i) sink = tarn::RemoveSpaces(text).size();
                                   })},
      {"OnlyOneSpace", BestSeconds(5,
                                   [&] {
                                     for (int i = 0; i < kCalls; ++i) sink = tarn::OnlyOneSpace(text).size();
                                   })},
  };
  std::printf("\n%zu characters of words and spaces, %d calls per run, best of 5 runs\n", kUnits, kCalls);
  std::printf("%-34s %12s %14s\n", "", "us per call", "M chars/s");
  for (const Figure& f : figures) {
    std::printf("%-34s %12.2f %14.0f\n", f.name, f.seconds / kCalls * 1e6, Rate(kUnits * kCalls, f.seconds));
  }
}

}  // namespace

int main(int argc, char** argv) {
  const bool fresh_pages = argc > 1 && std::string_view(argv[1]) == "--fresh-pages";
  if (!fresh_pages) {
    mallopt(M_MMAP_THRESHOLD, 1 << 30);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
  }
  std::printf("Native %zu-bit build (pointer size %zu)\n", sizeof(void*) * 8, sizeof(void*));
  std::printf("Allocator: %s\n\n", fresh_pages ? "defaults (fresh pages for large blocks)" : "freed memory reused");
  LargeTexts();
  IntegerLimitedMembers();
  return 0;
}
