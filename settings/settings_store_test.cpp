#include "settings/settings_store.h"

#include <gtest/gtest.h>

#include "settings/fake_registry.h"
#include "tests/native/test_text.h"

namespace tarn {
namespace {

using testing::FakeRegistry;
using testing::Narrow;
using testing::RegistryOperation;
using testing::Utf16Bytes;

constexpr std::u16string_view kApp = u"Software\\VB and VBA Program Settings\\TarnLib";
constexpr std::u16string_view kSection = u"Software\\VB and VBA Program Settings\\TarnLib\\S";

class SettingsStoreTest : public ::testing::Test {
 protected:
  FakeRegistry registry;
  int product_name_reads = 0;
  std::u16string product_name = u"TarnLib";
  SettingsStore store{registry, [this] {
                        ++product_name_reads;
                        return product_name;
                      }};

  // Every key opened was closed, and nothing else was.
  void ExpectAllClosed(const std::string& context) {
    EXPECT_EQ(registry.live(), 0) << context;
    EXPECT_EQ(registry.opened, registry.closed) << context;
    EXPECT_EQ(registry.unknown_closes, 0) << context;
  }
};

TEST_F(SettingsStoreTest, NamesStartAsTheDefaultsAndTrimOnlySpaces) {
  EXPECT_EQ(store.Company(), u"VB and VBA Program Settings");
  EXPECT_EQ(store.AppName(), u"TarnLib");
  EXPECT_EQ(product_name_reads, 1);
  const struct {
    std::u16string_view given;
    std::u16string_view company;
  } rows[] = {
      {u"  Acme Corp  ", u"Acme Corp"}, {u"Acme", u"Acme"},     {u"   ", u""},
      {u"\tAcme \t", u"\tAcme \t"},     {u" \tA\t ", u"\tA\t"}, {u"", u"VB and VBA Program Settings"},
  };
  for (const auto& row : rows) {
    store.SetCompany(row.given);
    EXPECT_EQ(store.Company(), row.company) << Narrow(row.given);
    store.SetAppName(row.given);
    EXPECT_EQ(store.AppName(), row.given.empty() ? u"TarnLib" : row.company) << Narrow(row.given);
  }
  EXPECT_TRUE(registry.calls.empty());  // names alone touch no key
}

TEST_F(SettingsStoreTest, AnEmptyAppNameAsksForTheProductNameAgain) {
  store.SetAppName(u"Mine");
  product_name = u"Renamed";
  store.SetAppName(u"");
  EXPECT_EQ(store.AppName(), u"Renamed");
  EXPECT_EQ(product_name_reads, 2);
}

TEST_F(SettingsStoreTest, KeyPathJoinsCompanyApplicationAndSection) {
  EXPECT_EQ(store.BuildKeyPath(u"S"), kSection);
  EXPECT_EQ(store.BuildKeyPath(u""), kApp);
  EXPECT_EQ(store.BuildKeyPath(u" S\\T "), std::u16string(kApp) + u"\\ S\\T ");  // the section as given
  store.SetCompany(u"   ");
  EXPECT_EQ(store.BuildKeyPath(u""), u"Software\\\\TarnLib");
  store.SetCompany(u"A\\B");
  store.SetAppName(u" App ");
  EXPECT_EQ(store.BuildKeyPath(u"Sec"), u"Software\\A\\B\\App\\Sec");
}

TEST_F(SettingsStoreTest, SaveCreatesTheKeysAndStoresTheTextWithItsTerminator) {
  ASSERT_FALSE(registry.HasKey(kApp));
  EXPECT_TRUE(store.SaveSetting(u"S", u"K", u"abc"));
  ASSERT_EQ(registry.calls.size(), 2u);
  EXPECT_EQ(registry.calls[0].operation, RegistryOperation::kCreate);
  EXPECT_EQ(registry.calls[0].path, kSection);
  EXPECT_TRUE(registry.HasKey(kApp));
  const auto* value = registry.FindValue(kSection, u"K");
  ASSERT_TRUE(value);
  EXPECT_EQ(value->type, 1u);
  EXPECT_EQ(value->bytes, Utf16Bytes(u"abc"));  // 8 bytes: three units and the NUL
  EXPECT_EQ(store.GetSetting(u"S", u"K", u"none"), u"abc");
  EXPECT_EQ(registry.calls[2].operation, RegistryOperation::kOpen);
  EXPECT_EQ(registry.calls[2].access, FakeRegistry::Access::kRead);
  ExpectAllClosed("save and read");
}

TEST_F(SettingsStoreTest, EveryStringRoundTripsExactly) {
  const std::u16string texts[] = {
      u"",
      u"plain",
      u"\u00e8\u00e0\u00f9 \u20ac",  // in the Western code page
      u"\u0416\u4e2d\u6587 \u03a9",  // outside it
      u"\U0001F600 pair",            // a surrogate pair
      std::u16string(u"a\0b\0", 4),  // embedded NULs stay
      std::u16string(3000, u'\u00ff'),
      u"  spaces kept  ",
  };
  int row = 0;
  for (const auto& text : texts) {
    const std::u16string key = u"K\u0416" + std::u16string(1, static_cast<char16_t>(u'0' + row++));
    EXPECT_TRUE(store.SaveSetting(u"Sezione \u00e8\u4e2d", key, text)) << row;
    EXPECT_EQ(store.GetSetting(u"Sezione \u00e8\u4e2d", key, u"default"), text) << row;
  }
  ExpectAllClosed("round trips");
}

TEST_F(SettingsStoreTest, AnEmptySettingIsStoredAndReadAsEmptyNotAsTheDefault) {
  EXPECT_TRUE(store.SaveSetting(u"S", u"K", u""));
  EXPECT_EQ(registry.FindValue(kSection, u"K")->bytes, Utf16Bytes(u""));
  EXPECT_EQ(store.GetSetting(u"S", u"K", u"default"), u"");
}

TEST_F(SettingsStoreTest, MissingKeysAndValuesGiveTheDefault) {
  EXPECT_EQ(store.GetSetting(u"S", u"K", u"dflt"), u"dflt");
  EXPECT_EQ(store.GetSetting(u"S", u"K", u""), u"");
  registry.PutString(kSection, u"Other", u"x");
  EXPECT_EQ(store.GetSetting(u"S", u"K", u"dflt"), u"dflt");
  EXPECT_EQ(store.GetSetting(u"T", u"Other", u"dflt"), u"dflt");
  ExpectAllClosed("missing");
}

// Values other programs wrote: the last code unit is dropped whatever it is,
// and any type is read as text.
TEST_F(SettingsStoreTest, RawValuesLoseTheirLastUnitAndAnyTypeReadsAsText) {
  const struct {
    const char* what;
    uint32_t type;
    std::vector<uint8_t> bytes;
    std::u16string expected;
  } rows[] = {
      {"zero size", 1, {}, u"dflt"},
      {"terminated", 1, Utf16Bytes(u"abc"), u"abc"},
      {"without terminator", 1, Utf16Bytes(u"abc", false), u"ab"},
      {"embedded NUL", 1, Utf16Bytes(std::u16string(u"a\0b", 3)), std::u16string(u"a\0b", 3)},
      {"two terminators", 1, Utf16Bytes(std::u16string(u"ab\0", 3)), std::u16string(u"ab\0", 3)},
      {"REG_DWORD", 4, {0x42, 0x00, 0x41, 0x00}, u"B"},
      {"REG_BINARY, odd size", 3, {'a', 'b', 'c'}, u"\u6261"},
      {"one byte", 3, {'a'}, u""},
      {"REG_EXPAND_SZ", 2, Utf16Bytes(u"%TEMP%"), u"%TEMP%"},
  };
  for (const auto& row : rows) {
    registry.PutValue(kSection, u"K", row.type, row.bytes);
    EXPECT_EQ(store.GetSetting(u"S", u"K", u"dflt"), row.expected) << row.what;
  }
  ExpectAllClosed("raw values");
}

TEST_F(SettingsStoreTest, AsteriskNamesTheDefaultValueInAllThreeMembers) {
  EXPECT_TRUE(store.SaveSetting(u"S", u"*", u"unnamed"));
  EXPECT_FALSE(registry.calls.back().name.has_value());  // no name at all
  EXPECT_EQ(registry.FindValue(kSection, std::nullopt)->bytes, Utf16Bytes(u"unnamed"));
  EXPECT_EQ(store.GetSetting(u"S", u"*", u"dflt"), u"unnamed");
  EXPECT_EQ(store.GetSetting(u"S", u"", u"dflt"), u"unnamed");  // an empty name is the default value too
  EXPECT_EQ(store.GetSetting(u"S", u"**", u"dflt"), u"dflt");   // only a single asterisk
  EXPECT_TRUE(store.SaveSetting(u"S", u"", u"empty name"));
  EXPECT_EQ(store.GetSetting(u"S", u"*", u"dflt"), u"empty name");
  registry.PutString(kSection, u"K", u"named");
  EXPECT_TRUE(store.DeleteSetting(u"S", u"*"));
  EXPECT_FALSE(registry.FindValue(kSection, std::nullopt));
  EXPECT_TRUE(registry.FindValue(kSection, u"K"));
  EXPECT_TRUE(registry.HasKey(kSection));
  ExpectAllClosed("asterisk");
}

TEST_F(SettingsStoreTest, AnEmptySectionIsTheApplicationKey) {
  EXPECT_TRUE(store.SaveSetting(u"", u"K", u"top"));
  EXPECT_TRUE(registry.FindValue(kApp, u"K"));
  EXPECT_EQ(store.GetSetting(u"", u"K", u"dflt"), u"top");
  EXPECT_TRUE(store.DeleteSetting(u"", u"K"));
  EXPECT_FALSE(registry.FindValue(kApp, u"K"));
}

TEST_F(SettingsStoreTest, DeleteRemovesAValueOrAWholeSection) {
  registry.PutString(kSection, u"A", u"1");
  registry.PutString(kSection, u"B", u"2");
  EXPECT_TRUE(store.DeleteSetting(u"S", u"A"));
  EXPECT_FALSE(registry.FindValue(kSection, u"A"));
  EXPECT_FALSE(store.DeleteSetting(u"S", u"A"));  // already gone
  EXPECT_TRUE(store.DeleteSetting(u"S", u""));
  EXPECT_FALSE(registry.HasKey(kSection));
  EXPECT_TRUE(registry.HasKey(kApp));  // application and company keys stay
  EXPECT_TRUE(registry.HasKey(u"Software\\VB and VBA Program Settings"));
  EXPECT_FALSE(store.DeleteSetting(u"S", u""));  // no such section
  EXPECT_FALSE(store.DeleteSetting(u"Nowhere", u"K"));
  // A section that has sections of its own stays, as the platform decides.
  registry.PutString(std::u16string(kSection) + u"\\Inner", u"X", u"x");
  EXPECT_FALSE(store.DeleteSetting(u"S", u""));
  EXPECT_TRUE(registry.HasKey(kSection));
  ExpectAllClosed("delete");
}

TEST_F(SettingsStoreTest, DeleteWithNeitherSectionNorKeyDeletesNothing) {
  registry.PutString(kApp, u"K", u"keep me");
  registry.PutString(kSection, u"K", u"and me");
  EXPECT_FALSE(store.DeleteSetting(u"", u""));
  EXPECT_TRUE(registry.calls.empty());
  EXPECT_TRUE(registry.FindValue(kApp, u"K"));
  EXPECT_TRUE(registry.FindValue(kSection, u"K"));
}

TEST_F(SettingsStoreTest, ReadsNeedOnlyReadAccessAndWritesAskForWriteAccess) {
  registry.PutString(kSection, u"K", u"locked");
  registry.MakeReadOnly(kSection);
  EXPECT_EQ(store.GetSetting(u"S", u"K", u"dflt"), u"locked");
  EXPECT_FALSE(store.SaveSetting(u"S", u"K", u"new"));
  EXPECT_FALSE(store.DeleteSetting(u"S", u"K"));
  EXPECT_FALSE(store.DeleteSetting(u"S", u""));
  EXPECT_EQ(store.GetSetting(u"S", u"K", u"dflt"), u"locked");
  int write_opens = 0;
  for (const auto& call : registry.calls) {
    if (call.operation == RegistryOperation::kOpen && call.access == FakeRegistry::Access::kWrite) ++write_opens;
  }
  EXPECT_EQ(write_opens, 1);  // the value deletion; the section deletion opens the application key to read
  ExpectAllClosed("read-only key");
}

// Each registry operation failing in turn: the members answer the default or
// false, and no key stays open.
TEST_F(SettingsStoreTest, EveryFailureIsAnAnswerAndClosesWhatWasOpened) {
  const RegistryOperation operations[] = {
      RegistryOperation::kOpen,      RegistryOperation::kCreate, RegistryOperation::kQuerySize,
      RegistryOperation::kQueryData, RegistryOperation::kSet,    RegistryOperation::kDeleteValue,
      RegistryOperation::kDeleteKey,
  };
  for (const RegistryOperation operation : operations) {
    const auto what = "operation " + std::to_string(static_cast<int>(operation));
    registry.failing.clear();
    registry.PutString(kSection, u"K", u"v");
    registry.PutString(std::u16string(kApp) + u"\\T", u"K", u"v");
    registry.failing.insert(operation);
    const bool reads = operation != RegistryOperation::kOpen && operation != RegistryOperation::kQuerySize &&
                       operation != RegistryOperation::kQueryData;
    EXPECT_EQ(store.GetSetting(u"S", u"K", u"dflt"), reads ? u"v" : u"dflt") << what;
    const bool saves = operation != RegistryOperation::kCreate && operation != RegistryOperation::kSet;
    EXPECT_EQ(store.SaveSetting(u"S", u"K", u"w"), saves) << what;
    const bool deletes_value = operation != RegistryOperation::kOpen && operation != RegistryOperation::kDeleteValue;
    EXPECT_EQ(store.DeleteSetting(u"S", u"K"), deletes_value) << what;
    const bool deletes_key = operation != RegistryOperation::kOpen && operation != RegistryOperation::kDeleteKey;
    EXPECT_EQ(store.DeleteSetting(u"T", u""), deletes_key) << what;
    ExpectAllClosed(what);
  }
}

TEST_F(SettingsStoreTest, AValueThatChangesBetweenTheTwoQueries) {
  registry.PutString(kSection, u"K", u"short");
  registry.after_size_query = [&] { registry.PutString(kSection, u"K", u"much longer now"); };
  EXPECT_EQ(store.GetSetting(u"S", u"K", u"dflt"), u"dflt");  // the buffer no longer fits
  // A value that shrinks is read with the size first reported: the rest of
  // the buffer keeps its filler spaces.
  registry.PutString(kSection, u"K", u"abcdef");
  registry.after_size_query = [&] { registry.PutString(kSection, u"K", u"ab"); };
  EXPECT_EQ(store.GetSetting(u"S", u"K", u"dflt"), std::u16string(u"ab\0   ", 6));
  ExpectAllClosed("changing value");
}

TEST_F(SettingsStoreTest, NamesWithANulAreRefusedBeforeTheRegistrySeesThem) {
  registry.PutString(kSection, u"K", u"v");
  registry.PutString(kApp, u"K", u"v");
  const std::u16string with_nul(u"S\0X", 3);
  EXPECT_EQ(store.GetSetting(with_nul, u"K", u"dflt"), u"dflt");
  EXPECT_EQ(store.GetSetting(u"S", std::u16string(u"K\0X", 3), u"dflt"), u"dflt");
  EXPECT_FALSE(store.SaveSetting(with_nul, u"K", u"w"));
  EXPECT_FALSE(store.SaveSetting(u"S", std::u16string(u"K\0X", 3), u"w"));
  EXPECT_FALSE(store.DeleteSetting(with_nul, u"K"));
  EXPECT_FALSE(store.DeleteSetting(with_nul, u""));
  EXPECT_FALSE(store.DeleteSetting(u"S", std::u16string(u"K\0", 2)));
  store.SetCompany(std::u16string(u"VB and VBA Program Settings\0Evil", 32));
  EXPECT_FALSE(store.DeleteSetting(u"S", u""));
  EXPECT_TRUE(registry.calls.empty());
  EXPECT_EQ(registry.FindValue(kSection, u"K")->bytes, Utf16Bytes(u"v"));
}

}  // namespace
}  // namespace tarn
