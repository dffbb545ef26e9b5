// A RandomSource over the ChaCha20 stream of one key: as unpredictable as the
// key, which the DLL draws from the operating system's cryptographic
// generator. Numbers take 64 bits of the stream each; indices below a bound
// take 16 bits each for bounds up to 1024 and 32 bits above, mapped without
// bias (UniformIndex), so a long random string costs a quarter of a number per
// character.
#pragma once

#include <cstddef>
#include <cstdint>

#include "frame/chacha20.h"
#include "frame/random_source.h"

namespace tarn {

class ChaChaRandomSource final : public RandomSource {
 public:
  // Bounds up to this take 16-bit words; at most 1024 in 65,536 are rejected.
  static constexpr uint32_t kMaxShortBound = 1024;

  ChaChaRandomSource(const ChaCha20::Key& key, const ChaCha20::Nonce& nonce) : stream_(key, nonce) {}

  double NextUniform() override;
  void NextIndices(uint32_t bound, uint32_t* out, size_t count) override;

 private:
  // The next 16 or 32 bits of the stream.
  uint16_t NextShortWord();
  uint32_t NextWord();

  ChaCha20 stream_;
  ChaCha20::Block block_{};
  size_t next_byte_ = sizeof(ChaCha20::Block);  // bytes of block_ taken
};

}  // namespace tarn
