#include "strings/random/chacha_random_source.h"

#include "strings/random/uniform_index.h"

namespace tarn {
namespace {

// The word of `size` bytes at `bytes`, least significant byte first.
template <typename Word>
Word WordAt(const uint8_t* bytes) noexcept {
  Word word = 0;
  for (size_t k = 0; k < sizeof(Word); ++k) word = static_cast<Word>(word | static_cast<Word>(bytes[k]) << (8 * k));
  return word;
}

}  // namespace

void ChaChaRandomSource::Refill() {
  const ChaCha20::FourBlocks words = stream_.NextFourBlocks();
  for (size_t k = 0; k < words.size(); ++k) {
    for (size_t b = 0; b < 4; ++b) bytes_[4 * k + b] = static_cast<uint8_t>(words[k] >> (8 * b));
  }
  next_byte_ = 0;
}

template <typename Word, typename Store>
void ChaChaRandomSource::Draw(uint32_t bound, size_t count, Store store) {
  const UniformIndex<Word> map(bound);
  for (size_t i = 0; i < count;) {
    // A word starts at a multiple of its size: a part left over is skipped.
    next_byte_ = (next_byte_ + sizeof(Word) - 1) / sizeof(Word) * sizeof(Word);
    if (next_byte_ == bytes_.size()) Refill();
    // The hot loop of a long random string: words straight from the buffer,
    // stored without a branch while every word of it can become an index (a
    // rejected word's index is in range, and the next word overwrites it).
    size_t next = next_byte_;
    if (count - i >= (bytes_.size() - next) / sizeof(Word)) {
      for (; next < bytes_.size(); next += sizeof(Word)) {
        uint32_t index;
        const bool taken = map.Map(WordAt<Word>(bytes_.data() + next), index);
        store(i, index);
        i += taken;
      }
    } else {
      for (; next < bytes_.size() && i < count; next += sizeof(Word)) {
        uint32_t index;
        if (map.Map(WordAt<Word>(bytes_.data() + next), index)) store(i++, index);
      }
    }
    next_byte_ = next;
  }
}

template <typename Store>
void ChaChaRandomSource::DrawAny(uint32_t bound, size_t count, Store store) {
  if (bound <= kMaxByteBound) {
    Draw<uint8_t>(bound, count, store);
  } else if (bound <= kMaxShortBound) {
    Draw<uint16_t>(bound, count, store);
  } else {
    Draw<uint32_t>(bound, count, store);
  }
}

double ChaChaRandomSource::NextUniform() {
  next_byte_ = (next_byte_ + 7) / 8 * 8;
  if (next_byte_ == bytes_.size()) Refill();
  const auto bits = WordAt<uint64_t>(bytes_.data() + next_byte_);
  next_byte_ += 8;
  return UniformFromBits(bits);
}

void ChaChaRandomSource::NextIndices(uint32_t bound, uint32_t* out, size_t count) {
  DrawAny(bound, count, [out](size_t i, uint32_t index) { out[i] = index; });
}

void ChaChaRandomSource::NextCharacters(std::u16string_view table, char16_t* out, size_t count) {
  const char16_t* entries = table.data();
  DrawAny(static_cast<uint32_t>(table.size()), count,
          [out, entries](size_t i, uint32_t index) { out[i] = entries[index]; });
}

}  // namespace tarn
