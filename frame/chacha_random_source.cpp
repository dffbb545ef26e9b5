#include "frame/chacha_random_source.h"

#include "frame/uniform_index.h"

namespace tarn {

uint16_t ChaChaRandomSource::NextShortWord() {
  if (next_byte_ + 2 > sizeof(ChaCha20::Block)) {
    block_ = stream_.NextBlock();
    next_byte_ = 0;
  }
  const uint32_t word = block_[next_byte_ / 4];
  const auto half = static_cast<uint16_t>(next_byte_ % 4 ? word >> 16 : word);
  next_byte_ += 2;
  return half;
}

uint32_t ChaChaRandomSource::NextWord() {
  // Words start on a 4-byte boundary: a half word left over is skipped.
  next_byte_ = (next_byte_ + 3) / 4 * 4;
  if (next_byte_ + 4 > sizeof(ChaCha20::Block)) {
    block_ = stream_.NextBlock();
    next_byte_ = 0;
  }
  const uint32_t word = block_[next_byte_ / 4];
  next_byte_ += 4;
  return word;
}

double ChaChaRandomSource::NextUniform() {
  const uint64_t low = NextWord();
  const uint64_t high = NextWord();
  return UniformFromBits(low | high << 32);
}

void ChaChaRandomSource::NextIndices(uint32_t bound, uint32_t* out, size_t count) {
  if (bound <= kMaxShortBound) {
    const UniformIndex<uint16_t> map(bound);
    for (size_t i = 0; i < count; ++i) {
      while (!map.Map(NextShortWord(), out[i])) {
      }
    }
  } else {
    const UniformIndex<uint32_t> map(bound);
    for (size_t i = 0; i < count; ++i) {
      while (!map.Map(NextWord(), out[i])) {
      }
    }
  }
}

}  // namespace tarn
