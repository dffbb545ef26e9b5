// Owning registry key handle.
#pragma once

#include <windows.h>

#include <utility>

namespace tarn::com {

class RegistryKey {
 public:
  RegistryKey() noexcept = default;
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;
  RegistryKey(RegistryKey&& other) noexcept : key_(std::exchange(other.key_, nullptr)) {}
  ~RegistryKey() {
    if (key_) RegCloseKey(key_);
  }

  HKEY get() const noexcept { return key_; }
  HKEY* put() noexcept {
    if (key_) RegCloseKey(key_);
    key_ = nullptr;
    return &key_;
  }

 private:
  HKEY key_ = nullptr;
};

}  // namespace tarn::com
