#include "frame/random_source.h"

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

}  // namespace tarn
