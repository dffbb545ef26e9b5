#include "settings/system_registry.h"

#include <windows.h>

#include <string>

#include "frame/win32/system_entry_points.h"

namespace tarn::com {
namespace {

// NUL-terminated copies for the registry functions.
std::wstring Terminated(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

class NameArgument {
 public:
  explicit NameArgument(Registry::ValueName name) : present_(name.has_value()) {
    if (name) text_ = Terminated(*name);
  }
  // Null for the default value.
  const wchar_t* get() const noexcept { return present_ ? text_.c_str() : nullptr; }

 private:
  bool present_;
  std::wstring text_;
};

HKEY HandleOf(Registry::Key key) noexcept { return static_cast<HKEY>(key); }

template <typename Function>
Function Bound(EntryPoint entry) {
  return SystemEntryPoints().Get<Function>(entry);
}

class WindowsRegistry final : public Registry {
 public:
  bool OpenKey(std::u16string_view path, Access access, Key* key) override {
    BindClose();
    const auto open = Bound<decltype(&RegOpenKeyExW)>(EntryPoint::kRegOpenKeyExW);
    HKEY opened = nullptr;
    const REGSAM mask = access == Access::kRead ? KEY_READ : KEY_WRITE;
    if (open(HKEY_CURRENT_USER, Terminated(path).c_str(), 0, mask, &opened) != ERROR_SUCCESS) return false;
    *key = opened;
    return true;
  }

  bool CreateKey(std::u16string_view path, Key* key) override {
    BindClose();
    const auto create = Bound<decltype(&RegCreateKeyExW)>(EntryPoint::kRegCreateKeyExW);
    HKEY created = nullptr;
    DWORD disposition = 0;
    if (create(HKEY_CURRENT_USER, Terminated(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
               &created, &disposition) != ERROR_SUCCESS) {
      return false;
    }
    *key = created;
    return true;
  }

  bool QueryValue(Key key, ValueName name, uint8_t* data, uint32_t* size) override {
    const auto query = Bound<decltype(&RegQueryValueExW)>(EntryPoint::kRegQueryValueExW);
    const NameArgument value_name(name);
    DWORD type = 0;
    DWORD bytes = *size;
    const LSTATUS status = query(HandleOf(key), value_name.get(), nullptr, &type, data, &bytes);
    *size = bytes;
    return status == ERROR_SUCCESS;
  }

  bool SetStringValue(Key key, ValueName name, std::span<const uint8_t> data) override {
    const auto set = Bound<decltype(&RegSetValueExW)>(EntryPoint::kRegSetValueExW);
    const NameArgument value_name(name);
    return set(HandleOf(key), value_name.get(), 0, REG_SZ, data.data(), static_cast<DWORD>(data.size())) ==
           ERROR_SUCCESS;
  }

  bool DeleteValue(Key key, ValueName name) override {
    const auto remove = Bound<decltype(&RegDeleteValueW)>(EntryPoint::kRegDeleteValueW);
    const NameArgument value_name(name);
    return remove(HandleOf(key), value_name.get()) == ERROR_SUCCESS;
  }

  bool DeleteKey(Key key, std::u16string_view name) override {
    const auto remove = Bound<decltype(&RegDeleteKeyW)>(EntryPoint::kRegDeleteKeyW);
    return remove(HandleOf(key), Terminated(name).c_str()) == ERROR_SUCCESS;
  }

  void CloseKey(Key key) noexcept override {
    // Bound before the key was opened (BindClose), so this finds the cached
    // address and cannot fail.
    try {
      Bound<decltype(&RegCloseKey)>(EntryPoint::kRegCloseKey)(HandleOf(key));
    } catch (...) {
    }
  }

 private:
  // A key that was opened can always be closed: RegCloseKey is bound first.
  static void BindClose() { Bound<decltype(&RegCloseKey)>(EntryPoint::kRegCloseKey); }
};

}  // namespace

Registry& SystemRegistry() noexcept {
  static WindowsRegistry registry;
  return registry;
}

}  // namespace tarn::com
