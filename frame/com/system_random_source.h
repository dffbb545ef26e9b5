// Random numbers from the operating system's cryptographic generator, for
// strings that may serve as passwords or tokens. Draws are buffered: one call
// to the generator serves many numbers.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>

#include "frame/random_source.h"

namespace tarn::com {

class SystemRandomSource final : public RandomSource {
 public:
  double NextUniform() override;

 private:
  std::array<uint64_t, 64> buffer_{};
  size_t next_ = buffer_.size();
};

}  // namespace tarn::com
