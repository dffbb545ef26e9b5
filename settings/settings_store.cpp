#include "settings/settings_store.h"

#include <cstring>
#include <limits>
#include <vector>

#include "frame/trim_spaces.h"

namespace tarn {
namespace {

// "*" names the key's default value.
Registry::ValueName ValueNameOf(std::u16string_view key) {
  if (key == u"*") return std::nullopt;
  return key;
}

// The registry functions take NUL-terminated names: a NUL inside a path or a
// value name would silently address another key or value (a section "A\0B"
// would be section "A"), so such names are refused.
bool UsableName(std::u16string_view name) { return name.find(u'\0') == std::u16string_view::npos; }

}  // namespace

SettingsStore::SettingsStore(Registry& registry, std::function<std::u16string()> product_name)
    : registry_(registry),
      product_name_(std::move(product_name)),
      company_(kDefaultCompany),
      app_name_(product_name_()) {}

void SettingsStore::SetCompany(std::u16string_view name) {
  company_ = name.empty() ? kDefaultCompany : TrimSpaces(name);
}

void SettingsStore::SetAppName(std::u16string_view name) {
  app_name_ = name.empty() ? product_name_() : std::u16string(TrimSpaces(name));
}

std::u16string SettingsStore::BuildKeyPath(std::u16string_view section) const {
  std::u16string path = u"Software\\";
  path += company_;
  path += u'\\';
  path += app_name_;
  if (!section.empty()) {
    path += u'\\';
    path += section;
  }
  return path;
}

std::u16string SettingsStore::GetSetting(std::u16string_view section, std::u16string_view key,
                                         std::u16string_view default_value) const {
  const std::u16string path = BuildKeyPath(section);
  if (!UsableName(path) || !UsableName(key)) return std::u16string(default_value);
  OpenedKey opened(registry_);
  if (!opened.Open(path, Registry::Access::kRead)) return std::u16string(default_value);
  const Registry::ValueName name = ValueNameOf(key);
  uint32_t size = 0;
  if (!registry_.QueryValue(opened.get(), name, nullptr, &size) || size == 0) return std::u16string(default_value);
  // A buffer of exactly `size` bytes, in whole code units, filled with spaces.
  std::u16string buffer((size_t{size} + 1) / 2, u' ');
  uint32_t read = size;
  if (!registry_.QueryValue(opened.get(), name, reinterpret_cast<uint8_t*>(buffer.data()), &read)) {
    return std::u16string(default_value);
  }
  // The final code unit, a string's terminator, is dropped without looking
  // for an earlier NUL; an odd last byte is part of that unit.
  buffer.resize((size_t{size} - 1) / 2);
  return buffer;
}

bool SettingsStore::SaveSetting(std::u16string_view section, std::u16string_view key,
                                std::u16string_view setting) const {
  const std::u16string path = BuildKeyPath(section);
  if (!UsableName(path) || !UsableName(key)) return false;
  if (setting.size() >= std::numeric_limits<uint32_t>::max() / 2) return false;
  std::vector<uint8_t> data((setting.size() + 1) * 2, 0);  // the text and its NUL
  if (!setting.empty()) std::memcpy(data.data(), setting.data(), setting.size() * 2);
  OpenedKey created(registry_);
  if (!created.Create(path)) return false;
  return registry_.SetStringValue(created.get(), ValueNameOf(key), data);
}

bool SettingsStore::DeleteSetting(std::u16string_view section, std::u16string_view key) const {
  if (!key.empty()) {
    const std::u16string path = BuildKeyPath(section);
    if (!UsableName(path) || !UsableName(key)) return false;
    OpenedKey opened(registry_);
    if (!opened.Open(path, Registry::Access::kWrite)) return false;
    return registry_.DeleteValue(opened.get(), ValueNameOf(key));
  }
  // Deleting a subkey with an empty name deletes the application key itself,
  // with every value in it: nobody asked for that.
  if (section.empty()) return false;
  const std::u16string path = BuildKeyPath(u"");
  if (!UsableName(path) || !UsableName(section)) return false;
  OpenedKey opened(registry_);
  // The deletion asks for delete access on the section key itself; the
  // application key is only the starting point.
  if (!opened.Open(path, Registry::Access::kRead)) return false;
  return registry_.DeleteKey(opened.get(), section);
}

}  // namespace tarn
