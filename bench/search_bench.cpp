// Throughput of the search rule and CountStringInString on 16 MB of text,
// printed beside memchr over the same buffer. Figures, not pass or fail.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "strings/occurrence_finder.h"
#include "strings/occurrence_search.h"
#include "strings/text_rules.h"
#include "tests/native/icu_text_services.h"

namespace {

template <typename F>
double BestSeconds(F&& run) {
  double best = 1e9;
  for (int i = 0; i < 5; ++i) {
    const auto t0 = std::chrono::steady_clock::now();
    run();
    const std::chrono::duration<double> d = std::chrono::steady_clock::now() - t0;
    best = std::min(best, d.count());
  }
  return best;
}

volatile int64_t sink;

}  // namespace

int main() {
  constexpr size_t kBytes = 16u << 20;
  constexpr size_t kUnits = kBytes / 2;
  std::mt19937 rng(1);
  std::u16string text(kUnits, u'x');
  for (auto& c : text) c = static_cast<char16_t>(u'a' + static_cast<int>(rng() % 26));
  const std::u16string needle = u"qzqz#";                                      // never occurs: "#" is not in the text
  for (size_t i = 0; i + 5 < kUnits; i += 1000) text.replace(i, 5, u"qzqzr");  // near misses every 1000 units

  const auto& ts = tarn::testing::TestTextServices();
  const std::string bytes(kBytes, 'a');
  const double memchr_s = BestSeconds([&] { sink = memchr(bytes.data(), 'b', bytes.size()) != nullptr; });
  const double find_s = BestSeconds([&] { sink = tarn::FindOccurrence(ts, text, needle, 1); });
  const double count_s = BestSeconds([&] { sink = tarn::CountStringInString(ts, text, u"qzqz", -1); });
  const double count_i_s = BestSeconds([&] { sink = tarn::CountStringInString(ts, text, u"qzqz", 0); });
  const double back_s = BestSeconds([&] { sink = tarn::InStrEx(ts, -1, text, u"qzqz", 0); });
  // What counting without case cost when both texts were upper-cased whole by
  // the platform first, then counted exactly.
  const double copies_s = BestSeconds([&] {
    const std::u16string upper_text = ts.ToUpper(text);
    const std::u16string upper_match = ts.ToUpper(u"qzqz");
    sink = tarn::CountStringInString(ts, upper_text, upper_match, -1);
  });

  const double mb = static_cast<double>(kBytes) / 1e6;
  std::printf("Native %zu-bit build (pointer size %zu)\n", sizeof(void*) * 8, sizeof(void*));
  std::printf("16 MB of UTF-16 text (%zu characters)\n", kUnits);
  std::printf("%-40s %10.0f MB/s\n", "memchr (same bytes)", mb / memchr_s);
  std::printf("%-40s %10.0f MB/s   %.2f of memchr\n", "search rule, not found", mb / find_s, memchr_s / find_s);
  // Each scanning kernel on its own: first and last unit of the needle.
  const struct {
    tarn::ScanKernel kernel;
    const char* name;
  } kernels[] = {{tarn::ScanKernel::kPlain, "scan kernel plain"},
                 {tarn::ScanKernel::kSse2, "scan kernel SSE2"},
                 {tarn::ScanKernel::kAvx2, "scan kernel AVX2"}};
  const char16_t* const last = text.data() + text.size() - needle.size();
  for (const auto& k : kernels) {
    if (!tarn::Available(k.kernel)) {
      std::printf("%-40s %15s\n", k.name, "not available");
      continue;
    }
    const double s = BestSeconds([&] {
      uint64_t mask = 0;
      sink = tarn::FindUnitPairBlockWith(k.kernel, text.data(), last, needle.front(), needle.size() - 1, needle.back(),
                                         &mask) -
             text.data();
    });
    std::printf("%-40s %10.0f MB/s\n", k.name, mb / s);
  }
  std::printf("%-40s %10.0f MB/s\n", "CountStringInString exact", mb / count_s);
  std::printf("%-40s %10.0f MB/s   %.2f of exact\n", "CountStringInString case-insensitive", mb / count_i_s,
              count_s / count_i_s);
  std::printf("%-40s %10.0f MB/s   %.1f times slower than case-insensitive\n",
              "  the same through whole upper-cased copies", mb / copies_s, copies_s / count_i_s);
  std::printf("%-40s %10.0f MB/s\n", "InStrEx from the end", mb / back_s);

  // A degenerate input that a first-unit scan handles in quadratic time.
  const std::u16string runs(kUnits, u'a');
  const std::u16string run_needle = std::u16string(1000, u'a') + u"b";
  const double degenerate_s = BestSeconds([&] { sink = tarn::FindOccurrence(ts, runs, run_needle, 1); });
  std::printf("%-40s %10.0f MB/s\n", "search rule, 1000 x 'a' + 'b' in all 'a'", mb / degenerate_s);
  return 0;
}
