// An in-memory registry for the native tests: keys matched ignoring ASCII
// case, values of any type, access checked per handle, every call recorded,
// handles counted, and failures injected per operation.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "settings/registry.h"

namespace tarn::testing {

enum class RegistryOperation { kOpen, kCreate, kQuerySize, kQueryData, kSet, kDeleteValue, kDeleteKey };

class FakeRegistry final : public Registry {
 public:
  struct Value {
    uint32_t type;
    std::vector<uint8_t> bytes;
  };
  struct Call {
    RegistryOperation operation;
    std::u16string path;  // the path asked for, or the open key's path
    std::optional<std::u16string> name;
    Access access = Access::kRead;
  };

  // Test set-up and inspection, by full path; the default value has no name.
  void PutValue(std::u16string_view path, std::optional<std::u16string_view> name, uint32_t type,
                std::vector<uint8_t> bytes);
  void PutString(std::u16string_view path, std::optional<std::u16string_view> name, std::u16string_view text);
  const Value* FindValue(std::u16string_view path, std::optional<std::u16string_view> name) const;
  bool HasKey(std::u16string_view path) const;
  // Keys that refuse to be opened for writing (created, deleted from, written).
  void MakeReadOnly(std::u16string_view path);

  // Every later call of `operation` fails.
  std::set<RegistryOperation> failing;
  // Runs between the size query and the data query of a read.
  std::function<void()> after_size_query;

  std::vector<Call> calls;
  int opened = 0;
  int closed = 0;
  int unknown_closes = 0;  // closes of handles this registry never gave out
  int live() const { return static_cast<int>(handles_.size()); }

  bool OpenKey(std::u16string_view path, Access access, Key* key) override;
  bool CreateKey(std::u16string_view path, Key* key) override;
  bool QueryValue(Key key, ValueName name, uint8_t* data, uint32_t* size) override;
  bool SetStringValue(Key key, ValueName name, std::span<const uint8_t> data) override;
  bool DeleteValue(Key key, ValueName name) override;
  bool DeleteKey(Key key, std::u16string_view name) override;
  void CloseKey(Key key) noexcept override;

 private:
  struct KeyData {
    std::map<std::u16string, Value> values;  // by folded name; "" is the default value
    bool read_only = false;
  };
  struct Handle {
    std::u16string path;  // folded
    Access access;
  };

  static std::u16string Fold(std::u16string_view path);
  const Handle* HandleOf(Key key) const;
  Key NewHandle(std::u16string path, Access access);
  void Record(RegistryOperation operation, std::u16string_view path, ValueName name, Access access);

  std::map<std::u16string, KeyData> keys_;  // by folded path
  std::map<Key, Handle> handles_;
  uintptr_t next_handle_ = 0x100;
};

// UTF-16 text as little-endian bytes, with or without a terminating NUL.
std::vector<uint8_t> Utf16Bytes(std::u16string_view text, bool terminated = true);

}  // namespace tarn::testing
