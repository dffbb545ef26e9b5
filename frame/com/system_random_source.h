// Random numbers from the operating system's cryptographic generator, for
// strings that may serve as passwords or tokens. Draws are buffered: one call
// to the generator serves many numbers.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "frame/random_source.h"

namespace tarn::com {

class SystemRandomSource final : public RandomSource {
 public:
  // `draws`: about how many numbers will be taken; the buffer grows with it
  // (up to 512 KB), so that long texts cost few calls to the generator.
  explicit SystemRandomSource(size_t draws = 64);
  double NextUniform() override;

 private:
  std::vector<uint64_t> buffer_;
  size_t next_;
};

}  // namespace tarn::com
