#include "strings/occurrence_search.h"

#include <string>

#include "frame/automation_error.h"
#include "frame/checked_math.h"
#include "strings/occurrence_finder.h"
#include "strings/text_rules.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define TARN_X86_KERNELS 1
#endif

namespace tarn {
namespace {

using PairScan = const char16_t* (*)(const char16_t*, const char16_t*, char16_t, size_t, char16_t);

const char16_t* ScanPlain(const char16_t* p, const char16_t* last, char16_t first, size_t gap,
                          char16_t second) noexcept {
  for (; p <= last; ++p) {
    if (p[0] == first && p[gap] == second) return p;
  }
  return p;
}

#if defined(TARN_X86_KERNELS)
// Mask of the positions in [at, at + 8) where both units match.
__attribute__((target("sse2"), always_inline)) inline __m128i PairMask(const char16_t* at, size_t gap, __m128i f,
                                                                       __m128i s) {
  const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
  const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + gap));
  return _mm_and_si128(_mm_cmpeq_epi16(a, f), _mm_cmpeq_epi16(b, s));
}

// 32 positions per step: four 8-unit blocks at p and four at p + gap.
__attribute__((target("sse2"))) const char16_t* ScanSse2(const char16_t* p, const char16_t* last, char16_t first,
                                                         size_t gap, char16_t second) noexcept {
  const __m128i f = _mm_set1_epi16(static_cast<short>(first));
  const __m128i s = _mm_set1_epi16(static_cast<short>(second));
  while (last - p >= 31) {
    const __m128i e0 = PairMask(p, gap, f, s), e1 = PairMask(p + 8, gap, f, s);
    const __m128i e2 = PairMask(p + 16, gap, f, s), e3 = PairMask(p + 24, gap, f, s);
    if (_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(e0, e1), _mm_or_si128(e2, e3))) != 0) {
      // Two mask bits per unit.
      const uint32_t low =
          static_cast<uint32_t>(_mm_movemask_epi8(e0)) | (static_cast<uint32_t>(_mm_movemask_epi8(e1)) << 16);
      if (low != 0) return p + (__builtin_ctz(low) >> 1);
      const uint32_t high =
          static_cast<uint32_t>(_mm_movemask_epi8(e2)) | (static_cast<uint32_t>(_mm_movemask_epi8(e3)) << 16);
      return p + 16 + (__builtin_ctz(high) >> 1);
    }
    p += 32;
  }
  return ScanPlain(p, last, first, gap, second);
}

// Mask of the positions in [at, at + 16) where both units match.
__attribute__((target("avx2"), always_inline)) inline __m256i PairMask(const char16_t* at, size_t gap, __m256i f,
                                                                       __m256i s) {
  const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
  const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + gap));
  return _mm256_and_si256(_mm256_cmpeq_epi16(a, f), _mm256_cmpeq_epi16(b, s));
}

// 64 positions per step: four 16-unit blocks at p and four at p + gap.
__attribute__((target("avx2"))) const char16_t* ScanAvx2(const char16_t* p, const char16_t* last, char16_t first,
                                                         size_t gap, char16_t second) noexcept {
  const __m256i f = _mm256_set1_epi16(static_cast<short>(first));
  const __m256i s = _mm256_set1_epi16(static_cast<short>(second));
  while (last - p >= 63) {
    const __m256i e0 = PairMask(p, gap, f, s), e1 = PairMask(p + 16, gap, f, s);
    const __m256i e2 = PairMask(p + 32, gap, f, s), e3 = PairMask(p + 48, gap, f, s);
    const __m256i any = _mm256_or_si256(_mm256_or_si256(e0, e1), _mm256_or_si256(e2, e3));
    if (!_mm256_testz_si256(any, any)) {
      const __m256i blocks[] = {e0, e1, e2, e3};
      for (int k = 0; k < 4; ++k) {
        const uint32_t mask = static_cast<uint32_t>(_mm256_movemask_epi8(blocks[k]));
        if (mask != 0) return p + 16 * k + (__builtin_ctz(mask) >> 1);
      }
    }
    p += 64;
  }
  return ScanSse2(p, last, first, gap, second);
}
#endif

PairScan KernelOf(ScanKernel kernel) noexcept {
  switch (kernel) {
#if defined(TARN_X86_KERNELS)
    case ScanKernel::kSse2:
      return ScanSse2;
    case ScanKernel::kAvx2:
      return ScanAvx2;
#endif
    default:
      return ScanPlain;
  }
}

PairScan ChooseKernel() noexcept {
  if (Available(ScanKernel::kAvx2)) return KernelOf(ScanKernel::kAvx2);
  if (Available(ScanKernel::kSse2)) return KernelOf(ScanKernel::kSse2);
  return ScanPlain;
}

// Chosen once, when the module starts.
const PairScan g_scan = ChooseKernel();

}  // namespace

bool Available(ScanKernel kernel) noexcept {
#if defined(TARN_X86_KERNELS)
  __builtin_cpu_init();
  switch (kernel) {
    case ScanKernel::kAvx2:
      return __builtin_cpu_supports("avx2");
    case ScanKernel::kSse2:
      return __builtin_cpu_supports("sse2");
    default:
      return true;
  }
#else
  return kernel == ScanKernel::kPlain;
#endif
}

const char16_t* FindUnitPair(const char16_t* p, const char16_t* last, char16_t first, size_t gap,
                             char16_t second) noexcept {
  return g_scan(p, last, first, gap, second);
}

const char16_t* FindUnitPairWith(ScanKernel kernel, const char16_t* p, const char16_t* last, char16_t first, size_t gap,
                                 char16_t second) noexcept {
  return Available(kernel) ? KernelOf(kernel)(p, last, first, gap, second) : nullptr;
}

int32_t CountStringInString(const TextServices& services, std::u16string_view source, std::u16string_view match,
                            int16_t exact) {
  // The count works on the UTF-16 text itself rather than on ANSI bytes, so
  // that characters the code page cannot tell apart still count as different.
  if (source.empty() || match.empty()) RaiseStandardError(kErrSubscript);
  std::u16string upper_source;
  std::u16string upper_match;
  if (exact == 0) {
    upper_source = services.ToUpper(source);
    upper_match = services.ToUpper(match);
    source = upper_source;
    match = upper_match;
  }
  int32_t count = 0;
  OccurrenceFinder(match).ForEach(source, 0, [&count](size_t) {
    ++count;
    return true;
  });
  return count;
}

int32_t InStrEx(const TextServices& services, int32_t start, std::u16string_view source, std::u16string_view match,
                int32_t method) {
  if (start > 0) return FindOccurrence(services, source, match, start, method);

  const int32_t length = LengthOf(source);
  const int32_t back = CheckedNeg(start);  // -2147483648 has no positive Long: error 6
  const int32_t limit = length - back + 1;
  if (method != kBinaryCompare && method != kTextCompare) RaiseStandardError(kErrInvalidCall);
  if (length == 0 || limit < 1) return 0;

  // Rightmost occurrence at or before the limit, the same one that stepping
  // through the occurrences one position at a time would find last.
  int32_t last = 0;
  if (match.empty()) {
    last = limit <= length + 1 ? limit : length + 1;
  } else {
    const ComparableTexts texts = PrepareForMethod(services, source, match, method);
    OccurrenceFinder(texts.sought).ForEach(texts.text, 0, [&last, limit](size_t pos) {
      if (static_cast<int64_t>(pos) + 1 > limit) return false;
      last = static_cast<int32_t>(pos + 1);
      return true;
    });
  }
  return last == 0 ? 0 : length - last + 1;
}

}  // namespace tarn
