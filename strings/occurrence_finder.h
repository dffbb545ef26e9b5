// Finds every occurrence of a pattern in a text by exact comparison of UTF-16
// code units, in linear time.
//
// The common case scans for positions where both the pattern's first and its
// last code unit match (64 positions per step, with SSE2 or AVX2 chosen at run
// time from what the processor offers) and checks each such candidate with one
// comparison. Texts that make that quadratic (long runs of the two
// units, self-overlapping patterns) are caught by a work budget: once candidate
// checks have cost more than a fixed multiple of the text scanned, the rest is
// matched with Knuth-Morris-Pratt, which never looks at a text unit twice.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace tarn {

// The first block of (at most) 64 positions from `p` on that holds a position
// q <= last with q[0] == first and q[gap] == second: returns the block's start
// b and sets bit i of `mask` for each such position b + i; returns last + 1
// when there is none. Reads units up to last[gap].
const char16_t* FindUnitPairBlock(const char16_t* p, const char16_t* last, char16_t first, size_t gap, char16_t second,
                                  uint64_t* mask) noexcept;

// Position of the first unit equal to c in [p, end), or end.
inline const char16_t* FindCodeUnit(const char16_t* p, const char16_t* end, char16_t c) noexcept {
  if (p >= end) return end;
  uint64_t mask = 0;
  const char16_t* block = FindUnitPairBlock(p, end - 1, c, 0, c, &mask);
  return block < end ? block + __builtin_ctzll(mask) : end;
}

// The scanning kernels one by one, for tests that hold them against each
// other; `Available` says whether this processor can run one.
enum class ScanKernel { kPlain, kSse2, kAvx2 };
bool Available(ScanKernel kernel) noexcept;
const char16_t* FindUnitPairBlockWith(ScanKernel kernel, const char16_t* p, const char16_t* last, char16_t first,
                                      size_t gap, char16_t second, uint64_t* mask) noexcept;

class OccurrenceFinder {
 public:
  // The pattern must not be empty; the finder keeps a view of it.
  explicit OccurrenceFinder(std::u16string_view pattern) : pattern_(pattern) {}

  // Calls visit(pos) with the 0-based position of every occurrence at or after
  // `from`, in ascending order and overlapping ones included, until visit
  // returns false or the text ends.
  template <typename Visit>
  void ForEach(std::u16string_view text, size_t from, Visit&& visit) const;

  // 0-based position of the first occurrence at or after `from`, or npos.
  size_t FindFrom(std::u16string_view text, size_t from) const {
    size_t found = std::u16string_view::npos;
    ForEach(text, from, [&found](size_t pos) {
      found = pos;
      return false;
    });
    return found;
  }

 private:
  template <typename Visit>
  void MatchWithFailureTable(std::u16string_view text, size_t from, Visit& visit) const;

  std::u16string_view pattern_;
  mutable std::vector<uint32_t> failure_;
};

template <typename Visit>
void OccurrenceFinder::ForEach(std::u16string_view text, size_t from, Visit&& visit) const {
  const size_t m = pattern_.size();
  if (m == 0 || from > text.size() || text.size() - from < m) return;
  const char16_t* const begin = text.data();
  const char16_t* const last = begin + (text.size() - m);  // last possible start
  const char16_t first = pattern_[0];
  const size_t gap = m - 1;
  const char16_t final_unit = pattern_[gap];
  const char16_t* const rest = pattern_.data() + 1;
  const size_t rest_len = m - 1;

  // Candidate checks may cost this much beyond the text scanned before the
  // matcher switches to the failure table.
  size_t budget = 4 * m + 64;
  for (const char16_t* p = begin + from; p <= last; p += 64) {
    uint64_t mask = 0;
    p = FindUnitPairBlock(p, last, first, gap, final_unit, &mask);
    if (p > last) return;
    for (; mask != 0; mask &= mask - 1) {
      const char16_t* const candidate = p + __builtin_ctzll(mask);
      size_t i = 0;
      while (i < rest_len && candidate[1 + i] == rest[i]) ++i;
      if (i == rest_len && !visit(static_cast<size_t>(candidate - begin))) return;
      if (i + 1 > budget) {
        MatchWithFailureTable(text, static_cast<size_t>(candidate - begin) + 1, visit);
        return;
      }
      budget -= i + 1;
      budget += 4;  // every step forward earns a little budget back
    }
  }
}

template <typename Visit>
void OccurrenceFinder::MatchWithFailureTable(std::u16string_view text, size_t from, Visit& visit) const {
  const size_t m = pattern_.size();
  if (failure_.empty()) {
    // failure_[i]: length of the longest proper border of pattern_[0..i].
    failure_.assign(m, 0);
    uint32_t k = 0;
    for (size_t i = 1; i < m; ++i) {
      while (k > 0 && pattern_[i] != pattern_[k]) k = failure_[k - 1];
      if (pattern_[i] == pattern_[k]) ++k;
      failure_[i] = k;
    }
  }
  size_t matched = 0;
  for (size_t i = from; i < text.size(); ++i) {
    while (matched > 0 && text[i] != pattern_[matched]) matched = failure_[matched - 1];
    if (text[i] == pattern_[matched]) ++matched;
    if (matched == m) {
      if (!visit(i + 1 - m)) return;
      matched = failure_[m - 1];
    }
  }
}

}  // namespace tarn
