// A RandomSource over the ChaCha20 stream of one key: as unpredictable as the
// key, which the DLL draws from the operating system's cryptographic
// generator. Numbers take 64 bits of the stream each; indices below a bound
// take 8 bits each for bounds up to 128, 16 bits up to 1024 and 32 bits
// above, mapped without bias (UniformIndex), so a random string of the
// default 62 characters costs about an eighth of a number per character.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "strings/random/chacha20.h"
#include "strings/random/random_source.h"

namespace tarn {

class ChaChaRandomSource final : public RandomSource {
 public:
  // Bounds up to this take 8-bit words; fewer than half are rejected, and
  // such a bound takes fewer bits per index than 16-bit words would.
  static constexpr uint32_t kMaxByteBound = 128;
  // Bounds up to this take 16-bit words; at most 1024 in 65,536 are rejected.
  static constexpr uint32_t kMaxShortBound = 1024;

  ChaChaRandomSource(const ChaCha20::Key& key, const ChaCha20::Nonce& nonce) : stream_(key, nonce) {}

  double NextUniform() override;
  void NextIndices(uint32_t bound, uint32_t* out, size_t count) override;
  void NextCharacters(std::u16string_view table, char16_t* out, size_t count) override;

 private:
  // The next four blocks of the stream, as bytes.
  void Refill();
  // `count` indices below `bound`, from words of the stream of Word's width
  // (DrawAny: of the width the bound takes), each handed to store(i, index).
  template <typename Word, typename Store>
  void Draw(uint32_t bound, size_t count, Store store);
  template <typename Store>
  void DrawAny(uint32_t bound, size_t count, Store store);

  ChaCha20 stream_;
  std::array<uint8_t, 4 * std::tuple_size_v<ChaCha20::FourBlocks>> bytes_{};
  size_t next_byte_ = bytes_.size();  // bytes taken
};

}  // namespace tarn
