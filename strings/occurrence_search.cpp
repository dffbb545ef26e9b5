#include "strings/occurrence_search.h"

#include "frame/automation_error.h"
#include "frame/checked_math.h"
#include "strings/case_insensitive_search.h"
#include "strings/occurrence_finder.h"
#include "strings/text_rules.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define TARN_X86_KERNELS 1
#endif

namespace tarn {
namespace {

using BlockScan = const char16_t* (*)(const char16_t*, const char16_t*, char16_t, size_t, char16_t, uint64_t*);

// The block of up to 64 positions from `p` on, as a mask.
uint64_t PlainMask(const char16_t* p, const char16_t* last, char16_t first, size_t gap, char16_t second) noexcept {
  uint64_t mask = 0;
  for (int i = 0; i < 64 && p + i <= last; ++i) {
    if (p[i] == first && p[i + gap] == second) mask |= uint64_t{1} << i;
  }
  return mask;
}

const char16_t* ScanPlain(const char16_t* p, const char16_t* last, char16_t first, size_t gap, char16_t second,
                          uint64_t* mask) noexcept {
  for (; p <= last; p += 64) {
    if ((*mask = PlainMask(p, last, first, gap, second)) != 0) return p;
  }
  return last + 1;
}

#if defined(TARN_X86_KERNELS)
// Both units matched at the 8 positions from `at`, one byte per position.
__attribute__((target("sse2"), always_inline)) inline __m128i PairMask(const char16_t* at, size_t gap, __m128i f,
                                                                       __m128i s) {
  const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
  const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + gap));
  return _mm_and_si128(_mm_cmpeq_epi16(a, f), _mm_cmpeq_epi16(b, s));
}

__attribute__((target("sse2"), always_inline)) inline uint64_t Mask16(const char16_t* at, size_t gap, __m128i f,
                                                                      __m128i s) {
  // Packing the 16-bit results to bytes keeps the positions in order.
  const __m128i both = _mm_packs_epi16(PairMask(at, gap, f, s), PairMask(at + 8, gap, f, s));
  return static_cast<uint32_t>(_mm_movemask_epi8(both));
}

// 64 positions per step, 16 at a time.
__attribute__((target("sse2"))) const char16_t* ScanSse2(const char16_t* p, const char16_t* last, char16_t first,
                                                         size_t gap, char16_t second, uint64_t* mask) noexcept {
  const __m128i f = _mm_set1_epi16(static_cast<short>(first));
  const __m128i s = _mm_set1_epi16(static_cast<short>(second));
  for (; last - p >= 63; p += 64) {
    const uint64_t m = Mask16(p, gap, f, s) | (Mask16(p + 16, gap, f, s) << 16) | (Mask16(p + 32, gap, f, s) << 32) |
                       (Mask16(p + 48, gap, f, s) << 48);
    if (m != 0) {
      *mask = m;
      return p;
    }
  }
  return ScanPlain(p, last, first, gap, second, mask);
}

__attribute__((target("avx2"), always_inline)) inline __m256i PairMask(const char16_t* at, size_t gap, __m256i f,
                                                                       __m256i s) {
  const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
  const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + gap));
  return _mm256_and_si256(_mm256_cmpeq_epi16(a, f), _mm256_cmpeq_epi16(b, s));
}

__attribute__((target("avx2"), always_inline)) inline uint64_t Mask32(const char16_t* at, size_t gap, __m256i f,
                                                                      __m256i s) {
  // Packing works within 128-bit lanes; the permutation puts the four
  // 8-position quarters back in order.
  const __m256i packed = _mm256_packs_epi16(PairMask(at, gap, f, s), PairMask(at + 16, gap, f, s));
  return static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_permute4x64_epi64(packed, 0xD8)));
}

// 64 positions per step, 32 at a time.
__attribute__((target("avx2"))) const char16_t* ScanAvx2(const char16_t* p, const char16_t* last, char16_t first,
                                                         size_t gap, char16_t second, uint64_t* mask) noexcept {
  const __m256i f = _mm256_set1_epi16(static_cast<short>(first));
  const __m256i s = _mm256_set1_epi16(static_cast<short>(second));
  for (; last - p >= 63; p += 64) {
    const uint64_t m = Mask32(p, gap, f, s) | (Mask32(p + 32, gap, f, s) << 32);
    if (m != 0) {
      *mask = m;
      return p;
    }
  }
  return ScanSse2(p, last, first, gap, second, mask);
}
#endif

BlockScan KernelOf(ScanKernel kernel) noexcept {
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

BlockScan ChooseKernel() noexcept {
  if (Available(ScanKernel::kAvx2)) return KernelOf(ScanKernel::kAvx2);
  if (Available(ScanKernel::kSse2)) return KernelOf(ScanKernel::kSse2);
  return ScanPlain;
}

// Chosen once, when the module starts.
const BlockScan g_scan = ChooseKernel();

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

const char16_t* FindUnitPairBlock(const char16_t* p, const char16_t* last, char16_t first, size_t gap, char16_t second,
                                  uint64_t* mask) noexcept {
  return g_scan(p, last, first, gap, second, mask);
}

const char16_t* FindUnitPairBlockWith(ScanKernel kernel, const char16_t* p, const char16_t* last, char16_t first,
                                      size_t gap, char16_t second, uint64_t* mask) noexcept {
  return Available(kernel) ? KernelOf(kernel)(p, last, first, gap, second, mask) : nullptr;
}

int32_t CountStringInString(const TextServices& services, std::u16string_view source, std::u16string_view match,
                            int16_t exact) {
  // The count works on the UTF-16 text itself rather than on ANSI bytes, so
  // that characters the code page cannot tell apart still count as different.
  if (source.empty() || match.empty()) RaiseStandardError(kErrSubscript);
  int32_t count = 0;
  ForEachOccurrence(services, source, match, exact == 0 ? kTextCompare : kBinaryCompare, 0, [&count](size_t) {
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
    ForEachOccurrence(services, source, match, method, 0, [&last, limit](size_t pos) {
      if (static_cast<int64_t>(pos) + 1 > limit) return false;
      last = static_cast<int32_t>(pos + 1);
      return true;
    });
  }
  return last == 0 ? 0 : length - last + 1;
}

}  // namespace tarn
