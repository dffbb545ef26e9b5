// Application settings as string values under
// HKEY_CURRENT_USER\Software\<company>\<application>[\<section>]: the rules of
// the CRegSettings class without COM. Nothing is cached: every call goes to
// the registry, and every key opened is closed before the call returns.
// Registry failures are answers (the default, or false), never errors.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "settings/registry.h"

namespace tarn {

inline constexpr std::u16string_view kDefaultCompany = u"VB and VBA Program Settings";

class SettingsStore {
 public:
  // `product_name` gives the default application name, asked again whenever
  // the name is reset.
  SettingsStore(Registry& registry, std::function<std::u16string()> product_name);

  const std::u16string& Company() const noexcept { return company_; }
  // An empty name restores the default; any other loses its leading and
  // trailing spaces, so a name of spaces alone becomes empty.
  void SetCompany(std::u16string_view name);
  const std::u16string& AppName() const noexcept { return app_name_; }
  void SetAppName(std::u16string_view name);

  // "Software\<company>\<application>", then "\<section>" when the section is
  // not empty.
  std::u16string BuildKeyPath(std::u16string_view section) const;

  // The text of value `key` ("*" or empty: the default value) of the section,
  // without its final code unit (the terminator), or `default_value` when it
  // cannot be read or is empty.
  std::u16string GetSetting(std::u16string_view section, std::u16string_view key,
                            std::u16string_view default_value) const;
  // Stores `setting` with its terminator as a string value, creating the keys.
  bool SaveSetting(std::u16string_view section, std::u16string_view key, std::u16string_view setting) const;
  // With a key, deletes that value ("*": the default value); without one,
  // deletes the whole section key.
  bool DeleteSetting(std::u16string_view section, std::u16string_view key) const;

 private:
  Registry& registry_;
  std::function<std::u16string()> product_name_;
  std::u16string company_;
  std::u16string app_name_;
};

}  // namespace tarn
