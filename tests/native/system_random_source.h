// The operating system's cryptographic generator (getrandom) as a RandomSource,
// for native tests and benchmarks. Random bytes are fetched in blocks.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "strings/random/random_source.h"

namespace tarn::testing {

class SystemRandomSource final : public RandomSource {
 public:
  double NextUniform() override;

 private:
  std::array<uint64_t, 64> block_{};
  size_t next_ = block_.size();
};

}  // namespace tarn::testing
