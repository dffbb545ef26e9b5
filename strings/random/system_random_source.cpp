#include "strings/random/system_random_source.h"

#include <bcrypt.h>

#include "frame/automation_error.h"

namespace tarn::com {

double SystemRandomSource::NextUniform() {
  if (!stream_) {
    // Key and nonce from the system generator, drawn on first use so that a
    // failure surfaces as an error of the drawing member.
    uint32_t seed[11];
    const NTSTATUS status =
        BCryptGenRandom(nullptr, reinterpret_cast<PUCHAR>(seed), sizeof seed, BCRYPT_USE_SYSTEM_PREFERRED_RNG);
    if (status < 0) RaiseStandardError(kErrInternal);
    ChaCha20::Key key;
    ChaCha20::Nonce nonce;
    for (int i = 0; i < 8; ++i) key[i] = seed[i];
    for (int i = 0; i < 3; ++i) nonce[i] = seed[8 + i];
    SecureZeroMemory(seed, sizeof seed);
    stream_.emplace(key, nonce);
  }
  // A block serves eight numbers; a String of at most 2^30 characters needs
  // far fewer than the 2^32 blocks of one key's stream.
  if (next_ == 8) {
    block_ = stream_->NextBlock();
    next_ = 0;
  }
  const uint64_t bits = static_cast<uint64_t>(block_[2 * next_]) | static_cast<uint64_t>(block_[2 * next_ + 1]) << 32;
  ++next_;
  return UniformFromBits(bits);
}

}  // namespace tarn::com
