#include "strings/random/random_source.h"

#include <algorithm>
#include <cmath>

#include "frame/automation_error.h"

namespace tarn {

void RandomSource::NextIndices(uint32_t bound, uint32_t* out, size_t count) {
  const double entries = bound;
  for (size_t i = 0; i < count; ++i) {
    const double index = std::floor(NextUniform() * entries);
    // A number outside [0, 1) would index past the bound.
    if (!(index >= 0 && index < entries)) RaiseStandardError(kErrSubscript);
    out[i] = static_cast<uint32_t>(index);
  }
}

void RandomSource::NextCharacters(std::u16string_view table, char16_t* out, size_t count) {
  const auto entries = static_cast<uint32_t>(table.size());
  constexpr size_t kChunk = 2048;
  uint32_t indices[kChunk];
  for (size_t done = 0; done < count;) {
    const size_t n = std::min(kChunk, count - done);
    NextIndices(entries, indices, n);
    for (size_t i = 0; i < n; ++i) {
      // A faulty source cannot index past the table.
      if (indices[i] >= entries) RaiseStandardError(kErrSubscript);
      out[done + i] = table[indices[i]];
    }
    done += n;
  }
}

}  // namespace tarn
