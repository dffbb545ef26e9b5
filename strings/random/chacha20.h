// The ChaCha20 stream (20 rounds, 256-bit key, 96-bit nonce, 32-bit block
// counter), used to stretch one draw of the operating system's cryptographic
// generator into as many random bits as a long random string needs: the
// system generator is slow per byte on some platforms, the stream runs at
// several hundred megabytes a second and is as unpredictable as its key.
#pragma once

#include <array>
#include <cstdint>

namespace tarn {

class ChaCha20 {
 public:
  using Key = std::array<uint32_t, 8>;
  using Nonce = std::array<uint32_t, 3>;
  using Block = std::array<uint32_t, 16>;
  // Four consecutive blocks, word after word.
  using FourBlocks = std::array<uint32_t, 64>;

  ChaCha20(const Key& key, const Nonce& nonce, uint32_t counter = 0);

  // The next 64-byte block of the stream, as sixteen little-endian words; the
  // block counter then moves on by one.
  Block NextBlock();
  // The next four blocks at once, as NextBlock four times would give them;
  // they are computed side by side in vector registers where the target has
  // them, at a fraction of the cost of four single blocks.
  FourBlocks NextFourBlocks();

 private:
  Block state_;
};

}  // namespace tarn
