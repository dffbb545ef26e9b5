// The path rules and the settings rules. A path splits at its last backslash
// into a folder part (empty or ending in a backslash) and a name part (no
// backslash) that together are the text without its outer spaces. Settings
// run against the in-memory registry: every key opened is closed, a value
// saved reads back as saved, and nothing is written outside Software.
#include <cstdint>
#include <string>

#include "forms/file_helpers.h"
#include "settings/fake_registry.h"
#include "settings/settings_store.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

using tarn::fuzzing::FuzzInput;
using tarn::fuzzing::Require;

std::u16string_view TrimSpaces(std::u16string_view text) {
  while (!text.empty() && text.front() == u' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == u' ') text.remove_suffix(1);
  return text;
}

bool HasNul(std::u16string_view text) { return text.find(u'\0') != std::u16string_view::npos; }

void CheckPath(std::u16string_view path) {
  const std::u16string_view trimmed = TrimSpaces(path);
  const std::u16string_view name = tarn::FileNameOf(path);
  const std::u16string_view folder = tarn::DirNameOf(path);
  Require(std::u16string(folder) + std::u16string(name) == trimmed, "paths: folder and name make the trimmed text");
  Require(name.find(u'\\') == std::u16string_view::npos, "paths: no backslash in the name");
  Require(folder.empty() || folder.back() == u'\\', "paths: the folder ends with a backslash");
  const int32_t last = tarn::LastBackslash(path);
  const size_t found = path.rfind(u'\\');
  Require(last == (found == std::u16string_view::npos ? 0 : static_cast<int32_t>(found + 1)),
          "paths: the last backslash's position");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in(data, size);
  CheckPath(in.Text(40));

  tarn::testing::FakeRegistry registry;
  tarn::SettingsStore store(registry, [] { return std::u16string(u"TarnLib"); });
  for (int step = 0; step < 40 && !in.Exhausted(); ++step) {
    const std::u16string section = in.Text(4);
    const std::u16string key = in.Text(3);
    const std::u16string value = in.Text(6);
    switch (in.Byte() % 6) {
      case 0:
        store.SetCompany(value);
        Require(value.empty() ? store.Company() == tarn::kDefaultCompany : store.Company() == TrimSpaces(value),
                "settings: an empty company is the default, any other loses its outer spaces");
        break;
      case 1:
        store.SetAppName(value);
        break;
      case 2: {
        const bool saved = store.SaveSetting(section, key, value);
        if (saved) {
          const std::u16string back = store.GetSetting(section, key, u"default");
          Require(back == value, "settings: a saved value reads back, an empty one as empty");
        }
        if (HasNul(section) || HasNul(key) || HasNul(store.Company())) {
          Require(!saved, "settings: a name with a NUL is refused");
        }
        break;
      }
      case 3:
        (void)store.GetSetting(section, key, value);
        break;
      case 4:
        (void)store.DeleteSetting(section, key);
        break;
      default:
        (void)store.DeleteSetting(section, u"");
        break;
    }
    Require(registry.live() == 0, "settings: every key opened is closed");
    Require(registry.unknown_closes == 0, "settings: only keys it opened are closed");
  }
  for (const auto& call : registry.calls) {
    if (call.operation == tarn::testing::RegistryOperation::kCreate ||
        call.operation == tarn::testing::RegistryOperation::kSet) {
      std::u16string path = call.path;  // as asked for, or folded by the fake (ASCII lower case)
      for (char16_t& c : path) c = c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
      Require(path == u"software" || path.rfind(u"software\\", 0) == 0, "settings: writes stay under Software");
    }
  }
  return 0;
}
