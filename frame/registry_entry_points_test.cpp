// The Unicode registry entries name the functions the settings store calls
// through them: a slip in the table would call another function.
#include <gtest/gtest.h>

#include <string>

#include "frame/entry_points.h"

namespace tarn {
namespace {

TEST(EntryPointTable, UnicodeRegistryEntriesNameTheirFunctions) {
  const struct {
    EntryPoint entry;
    const char* function;
  } rows[] = {
      {EntryPoint::kRegOpenKeyExW, "RegOpenKeyExW"},       {EntryPoint::kRegCreateKeyExW, "RegCreateKeyExW"},
      {EntryPoint::kRegQueryValueExW, "RegQueryValueExW"}, {EntryPoint::kRegSetValueExW, "RegSetValueExW"},
      {EntryPoint::kRegDeleteKeyW, "RegDeleteKeyW"},       {EntryPoint::kRegDeleteValueW, "RegDeleteValueW"},
      {EntryPoint::kRegCloseKey, "RegCloseKey"},
  };
  for (const auto& row : rows) {
    EXPECT_STREQ(NameOf(row.entry).function, row.function) << row.function;
    EXPECT_STREQ(NameOf(row.entry).library, "advapi32.dll") << row.function;
  }
}

}  // namespace
}  // namespace tarn
