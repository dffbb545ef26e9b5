#include "settings/fake_registry.h"

namespace tarn::testing {

std::vector<uint8_t> Utf16Bytes(std::u16string_view text, bool terminated) {
  std::vector<uint8_t> bytes;
  for (const char16_t unit : text) {
    bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
    bytes.push_back(static_cast<uint8_t>(unit >> 8));
  }
  if (terminated) bytes.insert(bytes.end(), {0, 0});
  return bytes;
}

// Folded: ASCII letters in lower case, empty components dropped.
std::u16string FakeRegistry::Fold(std::u16string_view path) {
  std::u16string out;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find(u'\\', start);
    if (end == std::u16string_view::npos) end = path.size();
    if (end > start) {
      if (!out.empty()) out += u'\\';
      for (char16_t c : path.substr(start, end - start)) {
        out += (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c;
      }
    }
    start = end + 1;
  }
  return out;
}

void FakeRegistry::PutValue(std::u16string_view path, std::optional<std::u16string_view> name, uint32_t type,
                            std::vector<uint8_t> bytes) {
  // Every level above exists too.
  const std::u16string folded = Fold(path);
  for (size_t at = folded.find(u'\\'); at != std::u16string::npos; at = folded.find(u'\\', at + 1)) {
    keys_[folded.substr(0, at)];
  }
  keys_[folded].values[Fold(name.value_or(u""))] = {type, std::move(bytes)};
}

void FakeRegistry::PutString(std::u16string_view path, std::optional<std::u16string_view> name,
                             std::u16string_view text) {
  PutValue(path, name, 1, Utf16Bytes(text));
}

const FakeRegistry::Value* FakeRegistry::FindValue(std::u16string_view path,
                                                   std::optional<std::u16string_view> name) const {
  const auto key = keys_.find(Fold(path));
  if (key == keys_.end()) return nullptr;
  const auto value = key->second.values.find(Fold(name.value_or(u"")));
  return value == key->second.values.end() ? nullptr : &value->second;
}

bool FakeRegistry::HasKey(std::u16string_view path) const { return keys_.count(Fold(path)) != 0; }

void FakeRegistry::MakeReadOnly(std::u16string_view path) { keys_[Fold(path)].read_only = true; }

const FakeRegistry::Handle* FakeRegistry::HandleOf(Key key) const {
  const auto found = handles_.find(key);
  return found == handles_.end() ? nullptr : &found->second;
}

Registry::Key FakeRegistry::NewHandle(std::u16string path, Access access) {
  const Key key = reinterpret_cast<Key>(next_handle_++);
  handles_[key] = {std::move(path), access};
  ++opened;
  return key;
}

void FakeRegistry::Record(RegistryOperation operation, std::u16string_view path, ValueName name, Access access) {
  calls.push_back({operation, std::u16string(path),
                   name ? std::optional<std::u16string>(std::u16string(*name)) : std::nullopt, access});
}

bool FakeRegistry::OpenKey(std::u16string_view path, Access access, Key* key) {
  Record(RegistryOperation::kOpen, path, std::nullopt, access);
  const std::u16string folded = Fold(path);
  const auto found = keys_.find(folded);
  if (failing.count(RegistryOperation::kOpen) || found == keys_.end()) return false;
  if (access == Access::kWrite && found->second.read_only) return false;
  *key = NewHandle(folded, access);
  return true;
}

bool FakeRegistry::CreateKey(std::u16string_view path, Key* key) {
  Record(RegistryOperation::kCreate, path, std::nullopt, Access::kWrite);
  const std::u16string folded = Fold(path);
  if (failing.count(RegistryOperation::kCreate) || folded.empty()) return false;
  const auto found = keys_.find(folded);
  if (found != keys_.end() && found->second.read_only) return false;
  for (size_t at = folded.find(u'\\'); at != std::u16string::npos; at = folded.find(u'\\', at + 1)) {
    keys_[folded.substr(0, at)];
  }
  keys_[folded];
  *key = NewHandle(folded, Access::kWrite);
  return true;
}

bool FakeRegistry::QueryValue(Key key, ValueName name, uint8_t* data, uint32_t* size) {
  const Handle* handle = HandleOf(key);
  const RegistryOperation operation = data ? RegistryOperation::kQueryData : RegistryOperation::kQuerySize;
  Record(operation, handle ? handle->path : u"?", name, handle ? handle->access : Access::kRead);
  // A key opened for writing only has no right to read values.
  if (!handle || handle->access != Access::kRead || failing.count(operation)) return false;
  const Value* value = FindValue(handle->path, name);
  if (!value) return false;
  const auto needed = static_cast<uint32_t>(value->bytes.size());
  if (data) {
    if (*size < needed) {
      *size = needed;
      return false;
    }
    std::copy(value->bytes.begin(), value->bytes.end(), data);
  }
  *size = needed;
  if (!data && after_size_query) after_size_query();
  return true;
}

bool FakeRegistry::SetStringValue(Key key, ValueName name, std::span<const uint8_t> data) {
  const Handle* handle = HandleOf(key);
  Record(RegistryOperation::kSet, handle ? handle->path : u"?", name, handle ? handle->access : Access::kRead);
  if (!handle || handle->access != Access::kWrite || failing.count(RegistryOperation::kSet)) return false;
  keys_[handle->path].values[Fold(name.value_or(u""))] = {1, {data.begin(), data.end()}};
  return true;
}

bool FakeRegistry::DeleteValue(Key key, ValueName name) {
  const Handle* handle = HandleOf(key);
  Record(RegistryOperation::kDeleteValue, handle ? handle->path : u"?", name, handle ? handle->access : Access::kRead);
  if (!handle || handle->access != Access::kWrite || failing.count(RegistryOperation::kDeleteValue)) return false;
  return keys_[handle->path].values.erase(Fold(name.value_or(u""))) == 1;
}

bool FakeRegistry::DeleteKey(Key key, std::u16string_view name) {
  const Handle* handle = HandleOf(key);
  Record(RegistryOperation::kDeleteKey, handle ? handle->path : u"?", name, handle ? handle->access : Access::kRead);
  if (!handle || failing.count(RegistryOperation::kDeleteKey)) return false;
  // Like the platform: an empty name is the open key itself.
  std::u16string target = handle->path;
  if (!Fold(name).empty()) target += u'\\' + Fold(name);
  const auto found = keys_.find(target);
  if (found == keys_.end() || found->second.read_only) return false;
  const std::u16string below = target + u'\\';
  for (const auto& [path, data] : keys_) {
    if (path.starts_with(below)) return false;  // keys with subkeys stay
  }
  keys_.erase(found);
  return true;
}

void FakeRegistry::CloseKey(Key key) noexcept {
  if (handles_.erase(key) == 1) {
    ++closed;
  } else {
    ++unknown_closes;
  }
}

}  // namespace tarn::testing
