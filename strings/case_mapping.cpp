#include "strings/case_mapping.h"

#include <array>
#include <cstdint>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define TARN_X86_KERNELS 1
#endif

namespace tarn {
namespace {

// The table covers U+0000 to U+00FF. ASCII letters and the Latin-1 letters
// U+00C0 to U+00FE (less the signs U+00D7 and U+00F7) pair up 0x20 apart in
// every case table; the other units of U+0080 to U+00FF (the micro sign, the
// ordinal indicators, the sharp s, y with diaeresis whose capital lies outside
// Latin-1) are left to the platform.
constexpr bool IsCaseInvariantSign(unsigned u) { return u == 0xD7 || u == 0xF7; }

constexpr std::array<char16_t, 256> MakeTable(LetterCase to) {
  std::array<char16_t, 256> table{};
  for (unsigned u = 0; u < 256; ++u) {
    char16_t mapped = kNotInTable;
    const bool small = (u >= 'a' && u <= 'z') || (u >= 0xE0 && u <= 0xFE && !IsCaseInvariantSign(u));
    const bool capital = (u >= 'A' && u <= 'Z') || (u >= 0xC0 && u <= 0xDE && !IsCaseInvariantSign(u));
    if (u < 0x80 || IsCaseInvariantSign(u)) mapped = static_cast<char16_t>(u);
    if (small) mapped = static_cast<char16_t>(to == LetterCase::kUpper ? u - 0x20 : u);
    if (capital) mapped = static_cast<char16_t>(to == LetterCase::kLower ? u + 0x20 : u);
    table[u] = mapped;
  }
  return table;
}

inline char16_t Lookup(const std::array<char16_t, 256>& table, char16_t unit) noexcept {
  return unit < 0x100 ? table[unit] : kNotInTable;
}

// Maps units one by one from `i` on until `stop`, running to the end of any
// platform run that starts before `stop`. Returns where it stopped.
size_t MapSlowly(const TextServices& services, LetterCase to, const std::array<char16_t, 256>& table,
                 std::u16string_view text, size_t i, size_t stop, char16_t* out, bool* used_platform) {
  while (i < stop) {
    const char16_t mapped = Lookup(table, text[i]);
    if (mapped != kNotInTable) {
      out[i++] = mapped;
      continue;
    }
    size_t j = i + 1;
    while (j < text.size() && Lookup(table, text[j]) == kNotInTable) ++j;
    const std::u16string_view run = text.substr(i, j - i);
    const std::u16string done = to == LetterCase::kUpper ? services.ToUpper(run) : services.ToLower(run);
    std::memcpy(out + i, done.data(), run.size() * sizeof(char16_t));
    *used_platform = true;
    i = j;
  }
  return i;
}

using AsciiKernel = size_t (*)(const char16_t* in, size_t n, char16_t* out, char16_t first, char16_t last);

// Maps ASCII letters in [first, last] by flipping bit 0x20, from the start of
// `in` while every unit is ASCII; answers how many units it did (a multiple of
// the block size, or all of them).
size_t AsciiPlain(const char16_t* in, size_t n, char16_t* out, char16_t first, char16_t last) noexcept {
  size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    char16_t block[8];
    unsigned high = 0;
    for (int k = 0; k < 8; ++k) {
      const char16_t u = in[i + k];
      high |= u;
      block[k] = static_cast<char16_t>(u ^ ((u >= first && u <= last) ? 0x20 : 0));
    }
    if (high >= 0x80) break;
    std::memcpy(out + i, block, sizeof block);
  }
  return i;
}

#if defined(TARN_X86_KERNELS)
__attribute__((target("sse2"))) size_t AsciiSse2(const char16_t* in, size_t n, char16_t* out, char16_t first,
                                                 char16_t last) noexcept {
  const __m128i high_bits = _mm_set1_epi16(static_cast<short>(0xFF80));
  const __m128i below = _mm_set1_epi16(static_cast<short>(first - 1));
  const __m128i above = _mm_set1_epi16(static_cast<short>(last + 1));
  const __m128i flip = _mm_set1_epi16(0x20);
  const __m128i zero = _mm_setzero_si128();
  size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
    if (_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(v, high_bits), zero)) != 0xFFFF) break;
    // ASCII units are positive as signed 16-bit values.
    const __m128i letter = _mm_and_si128(_mm_cmpgt_epi16(v, below), _mm_cmplt_epi16(v, above));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_xor_si128(v, _mm_and_si128(letter, flip)));
  }
  return i;
}

__attribute__((target("avx2"))) size_t AsciiAvx2(const char16_t* in, size_t n, char16_t* out, char16_t first,
                                                 char16_t last) noexcept {
  const __m256i high_bits = _mm256_set1_epi16(static_cast<short>(0xFF80));
  const __m256i below = _mm256_set1_epi16(static_cast<short>(first - 1));
  const __m256i above = _mm256_set1_epi16(static_cast<short>(last + 1));
  const __m256i flip = _mm256_set1_epi16(0x20);
  size_t i = 0;
  for (; i + 16 <= n; i += 16) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + i));
    if (!_mm256_testz_si256(v, high_bits)) break;
    const __m256i letter = _mm256_and_si256(_mm256_cmpgt_epi16(v, below), _mm256_cmpgt_epi16(above, v));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), _mm256_xor_si256(v, _mm256_and_si256(letter, flip)));
  }
  return i + AsciiSse2(in + i, n - i, out + i, first, last);
}
#endif

AsciiKernel ChooseAsciiKernel() noexcept {
#if defined(TARN_X86_KERNELS)
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx2")) return AsciiAvx2;
  if (__builtin_cpu_supports("sse2")) return AsciiSse2;
#endif
  return AsciiPlain;
}

const AsciiKernel g_ascii = ChooseAsciiKernel();

}  // namespace

constinit const std::array<char16_t, 256> kUpperCaseTable = MakeTable(LetterCase::kUpper);
constinit const std::array<char16_t, 256> kLowerCaseTable = MakeTable(LetterCase::kLower);

MappedUnits MapCaseInto(const TextServices& services, LetterCase to, std::u16string_view text, char16_t* out) {
  const auto& table = to == LetterCase::kUpper ? kUpperCaseTable : kLowerCaseTable;
  const char16_t first = to == LetterCase::kUpper ? u'a' : u'A';
  const char16_t last = to == LetterCase::kUpper ? u'z' : u'Z';
  bool used_platform = false;
  bool ascii = true;
  const size_t n = text.size();
  size_t i = 0;
  while (i < n) {
    // ASCII blocks at full speed; a block holding anything else, and the
    // tail, unit by unit.
    i += g_ascii(text.data() + i, n - i, out + i, first, last);
    if (i == n) break;
    const size_t stop = i + 16 < n ? i + 16 : n;
    for (size_t k = i; k < stop; ++k) ascii = ascii && text[k] < 0x80;
    i = MapSlowly(services, to, table, text, i, stop, out, &used_platform);
  }
  if (used_platform) return MappedUnits::kSomeByPlatform;
  return ascii ? MappedUnits::kAsciiOnly : MappedUnits::kTableOnly;
}

std::u16string MapCase(const TextServices& services, LetterCase to, std::u16string_view text) {
  std::u16string out(text.size(), u'\0');
  MapCaseInto(services, to, text, out.data());
  return out;
}

size_t PieceEnd(std::u16string_view text, size_t from, size_t length) noexcept {
  size_t end = text.size() - from > length ? from + length : text.size();
  const auto high = [](char16_t u) { return u >= 0xD800 && u <= 0xDBFF; };
  const auto low = [](char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; };
  if (end < text.size() && end > from + 1 && high(text[end - 1]) && low(text[end])) --end;
  return end;
}

}  // namespace tarn
