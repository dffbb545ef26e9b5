// The block kernels of the word case and spacing members: where the spaces
// (U+0020) of a text are, 64 units at a time, and the copy of the units a rule
// keeps, packed together. SIMD versions are chosen at run time from what the
// processor offers; the plain versions give the same results.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tarn {

// Bit i set where p[i] is a space, for i < count (count <= 64).
uint64_t SpaceMask(const char16_t* p, size_t count) noexcept;

// Which spaces a compaction drops.
enum class SpaceRule {
  kDropAll,       // every space
  kKeepOneInside  // every space that follows a space or starts the text
};

// Copies the units of in[0, n) that `rule` keeps to `out`, in order, and
// answers how many it wrote; with `capitalize`, the small ASCII letters a to z
// that begin a word (the first unit, and each unit after a space, that is not
// a space) are written as capitals. `out` may be `in` itself; otherwise the
// ranges must not overlap. Up to 8 units past the result may be written
// (scratch): `out` must have room for n + 8 units.
size_t CompactSpaces(const char16_t* in, size_t n, char16_t* out, SpaceRule rule, bool capitalize = false) noexcept;

// The kernels one by one, for tests that hold them against each other.
enum class CompactionKernel { kPlain, kSsse3 };
bool Available(CompactionKernel kernel) noexcept;
size_t CompactSpacesWith(CompactionKernel kernel, const char16_t* in, size_t n, char16_t* out, SpaceRule rule,
                         bool capitalize = false) noexcept;

}  // namespace tarn
