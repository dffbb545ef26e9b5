#include "frame/com/system_random_source.h"

#include <bcrypt.h>

#include "frame/automation_error.h"

namespace tarn::com {

namespace {

constexpr size_t kLargestBuffer = 64 * 1024;

}  // namespace

SystemRandomSource::SystemRandomSource(size_t draws)
    : buffer_(draws < 1 ? 1 : (draws > kLargestBuffer ? kLargestBuffer : draws)), next_(buffer_.size()) {}

double SystemRandomSource::NextUniform() {
  if (next_ == buffer_.size()) {
    const NTSTATUS status =
        BCryptGenRandom(nullptr, reinterpret_cast<PUCHAR>(buffer_.data()),
                        static_cast<ULONG>(buffer_.size() * sizeof(uint64_t)), BCRYPT_USE_SYSTEM_PREFERRED_RNG);
    if (status < 0) RaiseStandardError(kErrInternal);
    next_ = 0;
  }
  return UniformFromBits(buffer_[next_++]);
}

}  // namespace tarn::com
