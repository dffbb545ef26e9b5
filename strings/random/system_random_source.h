// Random numbers for strings that may serve as passwords or tokens: a key
// drawn from the operating system's cryptographic generator, stretched by the
// ChaCha20 stream. One call to the system generator serves a whole string,
// however long, so a long string is drawn at the stream's speed rather than
// the system generator's.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>

#include "strings/random/chacha20.h"
#include "strings/random/random_source.h"

namespace tarn::com {

class SystemRandomSource final : public RandomSource {
 public:
  double NextUniform() override;

 private:
  std::optional<ChaCha20> stream_;
  ChaCha20::Block block_{};
  size_t next_ = 8;  // 64-bit numbers taken from block_
};

}  // namespace tarn::com
