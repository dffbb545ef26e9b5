#include "tests/native/system_random_source.h"

#include <sys/random.h>

#include <cerrno>
#include <system_error>

namespace tarn::testing {

double SystemRandomSource::NextUniform() {
  if (next_ == block_.size()) {
    auto* bytes = reinterpret_cast<unsigned char*>(block_.data());
    size_t filled = 0;
    while (filled < sizeof(block_)) {
      const ssize_t got = getrandom(bytes + filled, sizeof(block_) - filled, 0);
      if (got < 0) {
        if (errno == EINTR) continue;
        throw std::system_error(errno, std::generic_category(), "getrandom");
      }
      filled += static_cast<size_t>(got);
    }
    next_ = 0;
  }
  return UniformFromBits(block_[next_++]);
}

}  // namespace tarn::testing
