// What the settings store needs of the registry: keys under
// HKEY_CURRENT_USER opened for reading or writing, created with every missing
// level, string values read, written and deleted, subkeys deleted, and keys
// closed. Every call answers only success or failure. The DLL binds it to the
// Unicode registry functions, native tests to an in-memory fake.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace tarn {

class Registry {
 public:
  using Key = void*;
  // A value's name; nothing stands for the key's default, unnamed value.
  using ValueName = std::optional<std::u16string_view>;
  enum class Access { kRead, kWrite };

  virtual ~Registry() = default;

  // Opens the key at `path` (below HKEY_CURRENT_USER).
  virtual bool OpenKey(std::u16string_view path, Access access, Key* key) = 0;
  // Opens the key at `path` for writing, creating it and every missing key
  // above it.
  virtual bool CreateKey(std::u16string_view path, Key* key) = 0;
  // Reads a value's bytes, whatever its type. With a null `data` it only
  // reports the size; otherwise `*size` is the buffer's length on entry and
  // the value's on return.
  virtual bool QueryValue(Key key, ValueName name, uint8_t* data, uint32_t* size) = 0;
  // Stores `data` as a string value (REG_SZ), replacing any value of the name.
  virtual bool SetStringValue(Key key, ValueName name, std::span<const uint8_t> data) = 0;
  virtual bool DeleteValue(Key key, ValueName name) = 0;
  // Deletes the subkey `name` of `key`; what an empty name deletes is the
  // platform's affair.
  virtual bool DeleteKey(Key key, std::u16string_view name) = 0;
  virtual void CloseKey(Key key) noexcept = 0;
};

// A key opened or created through a Registry, closed when it goes out of scope.
class OpenedKey {
 public:
  explicit OpenedKey(Registry& registry) noexcept : registry_(registry) {}
  OpenedKey(const OpenedKey&) = delete;
  OpenedKey& operator=(const OpenedKey&) = delete;
  ~OpenedKey() {
    if (open_) registry_.CloseKey(key_);
  }

  bool Open(std::u16string_view path, Registry::Access access) {
    open_ = registry_.OpenKey(path, access, &key_);
    return open_;
  }
  bool Create(std::u16string_view path) {
    open_ = registry_.CreateKey(path, &key_);
    return open_;
  }
  Registry::Key get() const noexcept { return key_; }

 private:
  Registry& registry_;
  Registry::Key key_ = nullptr;
  bool open_ = false;
};

}  // namespace tarn
