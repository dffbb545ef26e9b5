// CRegSettings against the real registry of the Wine prefix: the layout it
// writes, read back with the registry functions themselves, Unicode round
// trips, the default value, and what deleting removes. Each test writes under
// a company name of its own and removes it afterwards.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/wine/client/client_support.h"

namespace tarn::client {
namespace {

// The ProductName of the DLL file, as the system's version library reads it.
std::wstring ProductNameOfTheFile() {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(DllPath().c_str(), &ignored);
  std::vector<BYTE> block(size);
  if (size == 0 || !GetFileVersionInfoW(DllPath().c_str(), 0, size, block.data())) return L"";
  wchar_t* text = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), L"\\StringFileInfo\\040904B0\\ProductName", reinterpret_cast<void**>(&text),
                      &length)) {
    return L"";
  }
  return text;
}

struct RawValue {
  LSTATUS status = ERROR_FILE_NOT_FOUND;
  DWORD type = 0;
  std::vector<BYTE> bytes;
};

class RegSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    company = L"TarnLib Test " + std::to_wstring(GetCurrentProcessId()) + L" " + std::to_wstring(GetTickCount()) +
              L" " + std::wstring(test.begin(), test.end());
    settings = CreateFromDll<_CRegSettings>(CLSID_CRegSettings);
    ASSERT_TRUE(settings);
    ASSERT_EQ(settings->put_Company(Bstr(std::u16string(company.begin(), company.end())).get()), S_OK);
    ASSERT_EQ(settings->put_AppName(Bstr(u"App").get()), S_OK);
  }
  void TearDown() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, (L"Software\\" + company).c_str());
    HKEY left = nullptr;
    EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, (L"Software\\" + company).c_str(), 0, KEY_READ, &left), ERROR_SUCCESS);
  }

  std::wstring AppKey() const { return L"Software\\" + company + L"\\App"; }

  RawValue Read(const std::wstring& path, const wchar_t* name) const {
    RawValue value;
    HKEY key = nullptr;
    value.status = RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key);
    if (value.status != ERROR_SUCCESS) return value;
    DWORD size = 0;
    value.status = RegQueryValueExW(key, name, nullptr, &value.type, nullptr, &size);
    value.bytes.resize(size);
    if (value.status == ERROR_SUCCESS && size) {
      value.status = RegQueryValueExW(key, name, nullptr, &value.type, value.bytes.data(), &size);
    }
    RegCloseKey(key);
    return value;
  }

  void WriteRaw(const std::wstring& path, const wchar_t* name, DWORD type, const void* data, DWORD size) const {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    RegCloseKey(key);
  }

  bool Save(const std::u16string& section, const std::u16string& key, const std::u16string& setting) {
    VARIANT_BOOL done = 1;
    EXPECT_EQ(settings->SaveSetting(Bstr(section).get(), Bstr(key).get(), Bstr(setting).get(), &done), S_OK);
    EXPECT_TRUE(done == VARIANT_TRUE || done == VARIANT_FALSE);
    return done == VARIANT_TRUE;
  }
  std::u16string Get(const std::u16string& section, const std::u16string& key, const std::u16string& fallback) {
    Bstr value;
    EXPECT_EQ(settings->GetSetting(Bstr(section).get(), Bstr(key).get(), Bstr(fallback).get(), value.put()), S_OK);
    return std::u16string(value.view());
  }
  bool Delete(const std::u16string& section, const std::u16string& key) {
    VARIANT_BOOL done = 1;
    EXPECT_EQ(settings->DeleteSetting(Bstr(section).get(), Bstr(key).get(), &done), S_OK);
    return done == VARIANT_TRUE;
  }

  std::wstring company;
  ComPtr<_CRegSettings> settings;
};

std::vector<BYTE> Utf16WithNul(std::wstring_view text) {
  std::vector<BYTE> bytes(reinterpret_cast<const BYTE*>(text.data()),
                          reinterpret_cast<const BYTE*>(text.data() + text.size()));
  bytes.insert(bytes.end(), {0, 0});
  return bytes;
}

TEST(RegSettings, NewObjectsStartWithTheDefaultCompanyAndTheProductName) {
  auto settings = CreateFromDll<_CRegSettings>(CLSID_CRegSettings);
  ASSERT_TRUE(settings);
  Bstr company, app;
  ASSERT_EQ(settings->get_Company(company.put()), S_OK);
  ASSERT_EQ(settings->get_AppName(app.put()), S_OK);
  EXPECT_EQ(Text(company.get()), L"VB and VBA Program Settings");
  EXPECT_EQ(Text(app.get()), L"TarnLib");
  EXPECT_EQ(Text(app.get()), ProductNameOfTheFile());
  // Reset to the product name, and names trimmed of spaces only.
  ASSERT_EQ(settings->put_AppName(Bstr(u" \tMine ").get()), S_OK);
  ASSERT_EQ(settings->get_AppName(app.put()), S_OK);
  EXPECT_EQ(Text(app.get()), L"\tMine");
  ASSERT_EQ(settings->put_AppName(nullptr), S_OK);
  ASSERT_EQ(settings->get_AppName(app.put()), S_OK);
  EXPECT_EQ(Text(app.get()), L"TarnLib");
  ASSERT_EQ(settings->put_Company(Bstr(u"   ").get()), S_OK);
  ASSERT_EQ(settings->get_Company(company.put()), S_OK);
  EXPECT_EQ(Text(company.get()), L"");
  ASSERT_EQ(settings->put_Company(Bstr(u"").get()), S_OK);
  ASSERT_EQ(settings->get_Company(company.put()), S_OK);
  EXPECT_EQ(Text(company.get()), L"VB and VBA Program Settings");
}

TEST_F(RegSettingsTest, SaveWritesOneStringValueInTheSectionKey) {
  EXPECT_TRUE(Save(u"S", u"K", u"abc"));
  const RawValue value = Read(AppKey() + L"\\S", L"K");
  ASSERT_EQ(value.status, ERROR_SUCCESS);
  EXPECT_EQ(value.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(value.bytes, Utf16WithNul(L"abc"));
  // A program reading with the ANSI functions sees the text and its NUL.
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER,
                          ("Software\\" + std::string(company.begin(), company.end()) + "\\App\\S").c_str(), 0,
                          KEY_READ, &key),
            ERROR_SUCCESS);
  char ansi[16] = {};
  DWORD size = sizeof ansi;
  EXPECT_EQ(RegQueryValueExA(key, "K", nullptr, nullptr, reinterpret_cast<BYTE*>(ansi), &size), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(size, 4u);
  EXPECT_STREQ(ansi, "abc");
  EXPECT_EQ(Get(u"S", u"K", u"dflt"), u"abc");
  EXPECT_EQ(Get(u"S", u"Missing", u"dflt"), u"dflt");
  EXPECT_EQ(Get(u"Nowhere", u"K", u"dflt"), u"dflt");
}

TEST_F(RegSettingsTest, TextOutsideTheAnsiCodePageRoundTrips) {
  const std::u16string text = u"\u0416\u4e2d\u6587 \u20ac \U0001F600";
  const std::u16string section = u"Sezione \u4e2d";
  const std::u16string name = u"Chiave \u0416";
  EXPECT_TRUE(Save(section, name, text));
  EXPECT_EQ(Get(section, name, u"dflt"), text);
  const RawValue value = Read(AppKey() + L"\\Sezione \u4e2d", L"Chiave \u0416");
  ASSERT_EQ(value.status, ERROR_SUCCESS);
  EXPECT_EQ(value.bytes, Utf16WithNul(L"\u0416\u4e2d\u6587 \u20ac \U0001F600"));
  const std::u16string with_nuls(u"a\0b\0", 4);
  EXPECT_TRUE(Save(section, u"nuls", with_nuls));
  EXPECT_EQ(Get(section, u"nuls", u"dflt"), with_nuls);
}

TEST_F(RegSettingsTest, EmptySettingsAsteriskAndEmptySection) {
  EXPECT_TRUE(Save(u"S", u"E", u""));
  EXPECT_EQ(Read(AppKey() + L"\\S", L"E").bytes, Utf16WithNul(L""));
  EXPECT_EQ(Get(u"S", u"E", u"dflt"), u"");
  EXPECT_TRUE(Save(u"S", u"*", u"unnamed"));
  EXPECT_EQ(Read(AppKey() + L"\\S", nullptr).bytes, Utf16WithNul(L"unnamed"));
  EXPECT_EQ(Get(u"S", u"", u"dflt"), u"unnamed");
  EXPECT_TRUE(Delete(u"S", u"*"));
  EXPECT_NE(Read(AppKey() + L"\\S", nullptr).status, ERROR_SUCCESS);
  EXPECT_EQ(Read(AppKey() + L"\\S", L"E").status, ERROR_SUCCESS);
  EXPECT_TRUE(Save(u"", u"Top", u"level"));
  EXPECT_EQ(Read(AppKey(), L"Top").bytes, Utf16WithNul(L"level"));
  EXPECT_EQ(Get(u"", u"Top", u"dflt"), u"level");
}

TEST_F(RegSettingsTest, ValuesOtherProgramsWroteAreReadAsRawText) {
  const std::wstring section = AppKey() + L"\\Raw";
  // The unit after the data is not NUL: the system adds a terminator it finds there.
  WriteRaw(section, L"NoNul", REG_SZ, L"abcX", 6);
  const DWORD number = 0x00410042;
  WriteRaw(section, L"Dword", REG_DWORD, &number, sizeof number);
  WriteRaw(section, L"Empty", REG_BINARY, "", 0);
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER,
                          ("Software\\" + std::string(company.begin(), company.end()) + "\\App\\Raw").c_str(), 0,
                          KEY_WRITE, &key),
            ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueExA(key, "Ansi", 0, REG_SZ, reinterpret_cast<const BYTE*>("caf\xe9"), 5), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(Get(u"Raw", u"NoNul", u"dflt"), u"ab");
  EXPECT_EQ(Get(u"Raw", u"Dword", u"dflt"), u"B");
  EXPECT_EQ(Get(u"Raw", u"Empty", u"dflt"), u"dflt");
  // Written as ANSI text, read as the same text.
  wchar_t wide[8] = {};
  ASSERT_EQ(MultiByteToWideChar(CP_ACP, 0, "caf\xe9", 4, wide, 8), 4);
  const std::wstring expected(wide, 4);
  EXPECT_EQ(Get(u"Raw", u"Ansi", u"dflt"), std::u16string(expected.begin(), expected.end()));
}

TEST_F(RegSettingsTest, DeletingValuesAndSections) {
  EXPECT_TRUE(Save(u"S", u"A", u"1"));
  EXPECT_TRUE(Save(u"S", u"B", u"2"));
  EXPECT_TRUE(Save(u"", u"Top", u"keep"));
  EXPECT_TRUE(Delete(u"S", u"A"));
  EXPECT_NE(Read(AppKey() + L"\\S", L"A").status, ERROR_SUCCESS);
  EXPECT_FALSE(Delete(u"S", u"A"));
  EXPECT_TRUE(Delete(u"S", u""));
  HKEY gone = nullptr;
  EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, (AppKey() + L"\\S").c_str(), 0, KEY_READ, &gone), ERROR_SUCCESS);
  EXPECT_FALSE(Delete(u"S", u""));
  EXPECT_FALSE(Delete(u"Nowhere", u"K"));
  // Neither section nor key: the application key and its values stay.
  EXPECT_FALSE(Delete(u"", u""));
  EXPECT_EQ(Read(AppKey(), L"Top").bytes, Utf16WithNul(L"keep"));
}

TEST_F(RegSettingsTest, OmittedArgumentsThroughIDispatch) {
  EXPECT_TRUE(Save(u"S", u"K", u"v"));
  ComPtr<IDispatch> dispatch;
  ASSERT_EQ(settings.As(&dispatch), S_OK);
  Variant value;
  EXCEPINFO exception{};
  ASSERT_EQ(InvokeByName(dispatch.Get(), L"GetSetting", DISPATCH_METHOD, {BstrArg(L"S"), BstrArg(L"Missing")},
                         value.get(), &exception),
            S_OK);
  EXPECT_EQ(V_VT(value.get()), VT_BSTR);
  EXPECT_EQ(Text(V_BSTR(value.get())), L"");
  Variant deleted;
  ASSERT_EQ(InvokeByName(dispatch.Get(), L"DeleteSetting", DISPATCH_METHOD, {BstrArg(L"S")}, deleted.get(), &exception),
            S_OK);
  EXPECT_EQ(V_VT(deleted.get()), VT_BOOL);
  EXPECT_EQ(V_BOOL(deleted.get()), VARIANT_TRUE);
  HKEY gone = nullptr;
  EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, (AppKey() + L"\\S").c_str(), 0, KEY_READ, &gone), ERROR_SUCCESS);
}

// A key whose security grants the user read access only: reading still works,
// writing answers False.
TEST_F(RegSettingsTest, AKeyThatGrantsOnlyReadAccess) {
  EXPECT_TRUE(Save(u"Locked", u"K", u"v"));
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, (AppKey() + L"\\Locked").c_str(), 0, READ_CONTROL | WRITE_DAC, &key),
            ERROR_SUCCESS);
  // Everyone may read; nobody may write or delete.
  BYTE acl_buffer[256];
  auto* acl = reinterpret_cast<ACL*>(acl_buffer);
  ASSERT_TRUE(InitializeAcl(acl, sizeof acl_buffer, ACL_REVISION));
  SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
  PSID everyone = nullptr;
  ASSERT_TRUE(AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone));
  ASSERT_TRUE(AddAccessAllowedAce(acl, ACL_REVISION, KEY_READ | READ_CONTROL | WRITE_DAC, everyone));
  SECURITY_DESCRIPTOR descriptor;
  ASSERT_TRUE(InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION));
  ASSERT_TRUE(SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE));
  EXPECT_EQ(RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor), ERROR_SUCCESS);
  RegCloseKey(key);
  FreeSid(everyone);
  HKEY probe = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, (AppKey() + L"\\Locked").c_str(), 0, KEY_ALL_ACCESS, &probe) == ERROR_SUCCESS) {
    RegCloseKey(probe);
    GTEST_SKIP() << "this registry does not enforce key security";
  }
  EXPECT_EQ(Get(u"Locked", u"K", u"dflt"), u"v");
  EXPECT_FALSE(Save(u"Locked", u"K", u"w"));
  EXPECT_FALSE(Delete(u"Locked", u"K"));
  EXPECT_EQ(Get(u"Locked", u"K", u"dflt"), u"v");
  // Full access again, so that the clean-up can remove the key.
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, (AppKey() + L"\\Locked").c_str(), 0, WRITE_DAC, &key), ERROR_SUCCESS);
  ASSERT_TRUE(SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE));
  EXPECT_EQ(RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor), ERROR_SUCCESS);
  RegCloseKey(key);
}

}  // namespace
}  // namespace tarn::client
