// Random numbers for strings that may serve as passwords or tokens: a key
// drawn from the operating system's cryptographic generator, stretched by the
// ChaCha20 stream (ChaChaRandomSource). One call to the system generator
// serves a whole string, however long, so a long string is drawn at the
// stream's speed rather than the system generator's.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "strings/random/chacha_random_source.h"
#include "strings/random/random_source.h"

namespace tarn::com {

class SystemRandomSource final : public RandomSource {
 public:
  double NextUniform() override { return Stream().NextUniform(); }
  void NextIndices(uint32_t bound, uint32_t* out, size_t count) override { Stream().NextIndices(bound, out, count); }
  void NextCharacters(std::u16string_view table, char16_t* out, size_t count) override {
    Stream().NextCharacters(table, out, count);
  }

 private:
  // Keyed on first use, so that a failure of the system generator surfaces as
  // an error of the drawing member.
  ChaChaRandomSource& Stream();

  std::optional<ChaChaRandomSource> stream_;
};

}  // namespace tarn::com
