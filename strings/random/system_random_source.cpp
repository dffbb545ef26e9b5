#include "strings/random/system_random_source.h"

#include <bcrypt.h>

#include "frame/automation_error.h"

namespace tarn::com {

ChaChaRandomSource& SystemRandomSource::Stream() {
  if (!stream_) {
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
    SecureZeroMemory(key.data(), sizeof key);
  }
  // A String of at most 2^30 characters takes at most 2^31 words of 32 bits,
  // far fewer than the 2^38 bytes of one key's stream.
  return *stream_;
}

}  // namespace tarn::com
