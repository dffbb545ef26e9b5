// Reads a libFuzzer input as a sequence of decisions, numbers and UTF-16
// texts. Text units come mostly from a small alphabet of characters the rules
// treat specially (spaces, quotes, backslashes, letters whose case mapping is
// unusual, NUL, lone surrogates), so that short inputs reach the interesting
// cases; a marker byte takes a raw 16-bit unit instead. An exhausted input
// reads as zeros.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace tarn::fuzzing {

class FuzzInput {
 public:
  FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  bool Exhausted() const { return at_ >= size_; }

  uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }

  uint16_t Unit() { return static_cast<uint16_t>(Byte() | (Byte() << 8)); }

  // A number, mostly small (-8..119), sometimes any 32-bit value.
  int32_t Number() {
    const uint8_t b = Byte();
    if (b < 128) return static_cast<int32_t>(b) - 8;
    if (b < 250) return static_cast<int32_t>(b) - 250;
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value = (value << 8) | Byte();
    return static_cast<int32_t>(value);
  }

  std::u16string Text(size_t most) {
    static constexpr char16_t kAlphabet[] =
        u"aAbBsS  '\\/:.*?xX\t\u00e9\u00c9\u00df\u0130\u0131\u03c3\u03c2\u03a3\ufb00\u00a0";
    const size_t length = Byte() % (most + 1);
    std::u16string text;
    for (size_t i = 0; i < length && !Exhausted(); ++i) {
      const uint8_t b = Byte();
      if (b == 0xFF) {
        text += static_cast<char16_t>(Unit());  // any unit: NUL, lone surrogates, ...
      } else if (b == 0xFE) {
        text += u'\0';
      } else {
        text += kAlphabet[b % (sizeof kAlphabet / sizeof kAlphabet[0] - 1)];
      }
    }
    return text;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

// Stops the run with `what` when `holds` is false: libFuzzer keeps the input.
inline void Require(bool holds, const char* what) {
  if (!holds) {
    std::fprintf(stderr, "property broken: %s\n", what);
    std::abort();
  }
}

}  // namespace tarn::fuzzing
