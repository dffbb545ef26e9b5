#include "strings/space_compaction.h"

#include <array>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define TARN_X86_KERNELS 1
#endif

namespace tarn {
namespace {

uint64_t SpaceMaskPlain(const char16_t* p, size_t count) noexcept {
  uint64_t mask = 0;
  for (size_t i = 0; i < count; ++i) mask |= uint64_t{p[i] == u' '} << i;
  return mask;
}

// The units kept from a block of 64 whose spaces are `spaces`; `carry` is 1
// when the unit before the block is a space (or the block starts the text).
inline uint64_t KeptUnits(uint64_t spaces, uint64_t carry, SpaceRule rule) noexcept {
  if (rule == SpaceRule::kDropAll) return ~spaces;
  return ~(spaces & ((spaces << 1) | carry));
}

// The units that begin a word: not a space, after a space or first.
inline uint64_t Initials(uint64_t spaces, uint64_t carry) noexcept { return ~spaces & ((spaces << 1) | carry); }

inline char16_t Capital(char16_t unit) noexcept {
  return static_cast<char16_t>(unit >= u'a' && unit <= u'z' ? unit ^ 0x20 : unit);
}

// Units from `block` to `block + count`: every unit is stored, and the write
// position moves only past kept ones.
inline size_t CompactUnits(const char16_t* in, size_t block, size_t count, char16_t* out, size_t written, uint64_t kept,
                           uint64_t initials) noexcept {
  for (size_t i = 0; i < count; ++i) {
    const char16_t unit = in[block + i];
    out[written] = ((initials >> i) & 1) ? Capital(unit) : unit;
    written += (kept >> i) & 1;
  }
  return written;
}

size_t CompactPlain(const char16_t* in, size_t n, char16_t* out, SpaceRule rule, bool capitalize) noexcept {
  size_t written = 0;
  uint64_t carry = 1;
  for (size_t block = 0; block < n; block += 64) {
    const size_t count = n - block < 64 ? n - block : 64;
    const uint64_t spaces = SpaceMaskPlain(in + block, count);
    const uint64_t kept = KeptUnits(spaces, carry, rule);
    const uint64_t initials = capitalize ? Initials(spaces, carry) : 0;
    carry = (spaces >> (count - 1)) & 1;
    written = CompactUnits(in, block, count, out, written, kept, initials);
  }
  return written;
}

#if defined(TARN_X86_KERNELS)
__attribute__((target("sse2"))) uint64_t SpaceMaskSse2(const char16_t* p, size_t count) noexcept {
  if (count < 64) return SpaceMaskPlain(p, count);
  const __m128i space = _mm_set1_epi16(u' ');
  uint64_t mask = 0;
  for (int i = 0; i < 64; i += 16) {
    const __m128i a = _mm_cmpeq_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i)), space);
    const __m128i b = _mm_cmpeq_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 8)), space);
    mask |= uint64_t{static_cast<uint32_t>(_mm_movemask_epi8(_mm_packs_epi16(a, b)))} << i;
  }
  return mask;
}

// For each set of kept units among 8, the byte shuffle that packs them to the
// front.
struct ShuffleTable {
  alignas(16) uint8_t bytes[256][16];
  uint8_t counts[256];  // how many units each set keeps
  constexpr ShuffleTable() : bytes{}, counts{} {
    for (unsigned kept = 0; kept < 256; ++kept) {
      unsigned to = 0;
      for (unsigned unit = 0; unit < 8; ++unit) {
        if (((kept >> unit) & 1) == 0) continue;
        bytes[kept][2 * to] = static_cast<uint8_t>(2 * unit);
        bytes[kept][2 * to + 1] = static_cast<uint8_t>(2 * unit + 1);
        ++to;
      }
      counts[kept] = static_cast<uint8_t>(to);
      for (; to < 8; ++to) bytes[kept][2 * to] = bytes[kept][2 * to + 1] = 0x80;
    }
  }
};
constexpr ShuffleTable kShuffles;

__attribute__((target("ssse3"))) size_t CompactSsse3(const char16_t* in, size_t n, char16_t* out, SpaceRule rule,
                                                     bool capitalize) noexcept {
  const __m128i lane_bits = _mm_setr_epi16(1, 2, 4, 8, 16, 32, 64, 128);
  const __m128i below = _mm_set1_epi16(u'a' - 1);
  const __m128i above = _mm_set1_epi16(u'z' + 1);
  const __m128i flip = _mm_set1_epi16(0x20);
  size_t written = 0;
  uint64_t carry = 1;
  size_t block = 0;
  for (; n - block >= 64; block += 64) {
    const uint64_t spaces = SpaceMaskSse2(in + block, 64);
    const uint64_t kept = KeptUnits(spaces, carry, rule);
    const uint64_t initials = capitalize ? Initials(spaces, carry) : 0;
    carry = spaces >> 63;
    if (initials != 0) {
      for (int group = 0; group < 8; ++group) {
        const unsigned bits = static_cast<unsigned>(initials >> (8 * group)) & 0xFF;
        const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + block + 8 * group));
        const __m128i lanes =
            _mm_cmpeq_epi16(_mm_and_si128(_mm_set1_epi16(static_cast<short>(bits)), lane_bits), lane_bits);
        // Signed compares: a unit from 0x8000 on is below 'a' and not flipped.
        const __m128i letters = _mm_and_si128(_mm_cmpgt_epi16(units, below), _mm_cmplt_epi16(units, above));
        const __m128i capitals = _mm_xor_si128(units, _mm_and_si128(_mm_and_si128(lanes, letters), flip));
        const unsigned keep = static_cast<unsigned>(kept >> (8 * group)) & 0xFF;
        const __m128i shuffle = _mm_load_si128(reinterpret_cast<const __m128i*>(kShuffles.bytes[keep]));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + written), _mm_shuffle_epi8(capitals, shuffle));
        written += kShuffles.counts[keep];
      }
      continue;
    }
    if (kept == ~uint64_t{0}) {
      std::memmove(out + written, in + block, 64 * sizeof(char16_t));
      written += 64;
      continue;
    }
    // Each group of 8 is loaded before its packed form is stored, and the
    // store ends at or before the group's own end: safe in place.
    for (int group = 0; group < 8; ++group) {
      const unsigned bits = static_cast<unsigned>(kept >> (8 * group)) & 0xFF;
      const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + block + 8 * group));
      const __m128i shuffle = _mm_load_si128(reinterpret_cast<const __m128i*>(kShuffles.bytes[bits]));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + written), _mm_shuffle_epi8(units, shuffle));
      written += kShuffles.counts[bits];
    }
  }
  if (block == n) return written;
  // The tail, with the carry of the last block.
  const size_t count = n - block;
  const uint64_t spaces = SpaceMaskPlain(in + block, count);
  return CompactUnits(in, block, count, out, written, KeptUnits(spaces, carry, rule),
                      capitalize ? Initials(spaces, carry) : 0);
}
#endif

using MaskKernel = uint64_t (*)(const char16_t*, size_t) noexcept;
using CompactKernel = size_t (*)(const char16_t*, size_t, char16_t*, SpaceRule, bool) noexcept;

CompactKernel KernelOf(CompactionKernel kernel) noexcept {
#if defined(TARN_X86_KERNELS)
  if (kernel == CompactionKernel::kSsse3) return CompactSsse3;
#endif
  (void)kernel;
  return CompactPlain;
}

MaskKernel ChooseMask() noexcept {
#if defined(TARN_X86_KERNELS)
  __builtin_cpu_init();
  if (__builtin_cpu_supports("sse2")) return SpaceMaskSse2;
#endif
  return SpaceMaskPlain;
}

const MaskKernel g_mask = ChooseMask();
const CompactKernel g_compact =
    KernelOf(Available(CompactionKernel::kSsse3) ? CompactionKernel::kSsse3 : CompactionKernel::kPlain);

}  // namespace

bool Available(CompactionKernel kernel) noexcept {
#if defined(TARN_X86_KERNELS)
  __builtin_cpu_init();
  return kernel == CompactionKernel::kPlain || __builtin_cpu_supports("ssse3");
#else
  return kernel == CompactionKernel::kPlain;
#endif
}

uint64_t SpaceMask(const char16_t* p, size_t count) noexcept { return g_mask(p, count); }

size_t CompactSpaces(const char16_t* in, size_t n, char16_t* out, SpaceRule rule, bool capitalize) noexcept {
  return g_compact(in, n, out, rule, capitalize);
}

size_t CompactSpacesWith(CompactionKernel kernel, const char16_t* in, size_t n, char16_t* out, SpaceRule rule,
                         bool capitalize) noexcept {
  return Available(kernel) ? KernelOf(kernel)(in, n, out, rule, capitalize) : 0;
}

}  // namespace tarn
