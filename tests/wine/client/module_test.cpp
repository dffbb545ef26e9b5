// The module as a file and as a server: resources, version information, class
// factories, DllCanUnloadNow, and what registration writes and removes.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/wine/client/client_support.h"

namespace tarn::client {
namespace {

const struct ClassRow {
  const CLSID* clsid;
  const wchar_t* name;
  const IID* iid;
} kClasses[] = {
    {&CLSID_StringFunction, L"StringFunction", &IID__StringFunction},
    {&CLSID_GeneralUtility, L"GeneralUtility", &IID__GeneralUtility},
    {&CLSID_ExCollection, L"ExCollection", &IID__ExCollection},
    {&CLSID_Network, L"Network", &IID__Network},
    {&CLSID_TimeUtility, L"TimeUtility", &IID__TimeUtility},
    {&CLSID_CRegSettings, L"CRegSettings", &IID__CRegSettings},
};

TEST(Resources, InterfaceIdentifierResources) {
  const struct {
    const wchar_t* name;
    const IID* iid;
  } rows[] = {
      {L"_IID_STRINGFUNCTION", &IID__StringFunction},
      {L"_IID_GENERALUTILITY", &IID__GeneralUtility},
      {L"_IID_CLSEXITEM", &IID_clsExItem},
      {L"_IID_EXCOLLECTION", &IID__ExCollection},
      {L"_IID_NETWORK", &IID__Network},
      {L"_IID_TIMEUTILITY", &IID__TimeUtility},
      {L"_IID_CREGSETTINGS", &IID__CRegSettings},
  };
  for (const auto& row : rows) {
    HRSRC resource = FindResourceW(DllModule(), row.name, MAKEINTRESOURCEW(10));  // RT_RCDATA
    ASSERT_NE(resource, nullptr) << row.name;
    ASSERT_EQ(SizeofResource(DllModule(), resource), 20u) << row.name;
    const auto* bytes = static_cast<const unsigned char*>(LockResource(LoadResource(DllModule(), resource)));
    DWORD length = 0;
    std::memcpy(&length, bytes, 4);
    EXPECT_EQ(length, 16u) << row.name;
    EXPECT_EQ(std::memcmp(bytes + 4, row.iid, 16), 0) << row.name;
  }
  EXPECT_NE(FindResourceW(DllModule(), MAKEINTRESOURCEW(1), L"TYPELIB"), nullptr);
}

std::wstring VersionString(const std::vector<BYTE>& block, const wchar_t* name) {
  void* value = nullptr;
  UINT length = 0;
  const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
  if (!VerQueryValueW(block.data(), path.c_str(), &value, &length)) return L"<missing>";
  return std::wstring(static_cast<const wchar_t*>(value), length ? length - 1 : 0);
}

TEST(Resources, VersionInformation) {
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeW(DllPath().c_str(), &handle);
  ASSERT_GT(size, 0u);
  std::vector<BYTE> block(size);
  ASSERT_TRUE(GetFileVersionInfoW(DllPath().c_str(), 0, size, block.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00000004u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0x00000003u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00000004u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0x00000003u);
  const std::wstring bits = sizeof(void*) == 8 ? L"64-bit" : L"32-bit";
  EXPECT_EQ(VersionString(block, L"FileDescription"), L"Tarn General Utility Library (" + bits + L")");
  EXPECT_EQ(VersionString(block, L"CompanyName"), L"The TarnLib authors");
  EXPECT_EQ(VersionString(block, L"LegalCopyright"), L"Copyright (c) 2026 The TarnLib authors. MIT License.");
  EXPECT_NE(VersionString(block, L"Comments").find(L"OLE Automation"), std::wstring::npos);
  EXPECT_EQ(VersionString(block, L"ProductName"), L"TarnLib");
  EXPECT_EQ(VersionString(block, L"InternalName"), L"TarnLib");
  EXPECT_EQ(VersionString(block, L"OriginalFilename"), L"TarnLib.dll");
  EXPECT_EQ(VersionString(block, L"FileVersion"), L"0.04.0003");
  EXPECT_EQ(VersionString(block, L"OLESelfRegister"), L"");
  WORD* translation = nullptr;
  ASSERT_TRUE(
      VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length));
  ASSERT_EQ(length, 4u);
  EXPECT_EQ(translation[0], 0x0409);
  EXPECT_EQ(translation[1], 1200);
}

TEST(ClassFactories, EveryClassIsCreatableAndRefusesAggregation) {
  using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
  const auto get = DllExport<GetClassObject>("DllGetClassObject");
  ASSERT_NE(get, nullptr);
  for (const auto& row : kClasses) {
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(get(*row.clsid, IID_PPV_ARGS(&factory)), S_OK) << row.name;
    ComPtr<IDispatch> object;
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_PPV_ARGS(&object)), S_OK) << row.name;
    ComPtr<IUnknown> dual;
    EXPECT_EQ(object->QueryInterface(*row.iid, reinterpret_cast<void**>(dual.GetAddressOf())), S_OK) << row.name;
    ComPtr<IUnknown> aggregated;
    EXPECT_EQ(factory->CreateInstance(object.Get(), IID_IUnknown, reinterpret_cast<void**>(aggregated.GetAddressOf())),
              CLASS_E_NOAGGREGATION)
        << row.name;
  }
  ComPtr<IClassFactory> none;
  EXPECT_EQ(get(IID__StringFunction, IID_PPV_ARGS(&none)), CLASS_E_CLASSNOTAVAILABLE);
}

TEST(Module, CanUnloadOnlyWithoutLiveObjectsOrLocks) {
  ASSERT_EQ(CanUnloadNow(), S_OK);
  {
    auto object = CreateFromDll<_StringFunction>(CLSID_StringFunction);
    ASSERT_TRUE(object);
    EXPECT_EQ(CanUnloadNow(), S_FALSE);
  }
  EXPECT_EQ(CanUnloadNow(), S_OK);

  using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
  ComPtr<IClassFactory> factory;
  ASSERT_EQ(DllExport<GetClassObject>("DllGetClassObject")(CLSID_TimeUtility, IID_PPV_ARGS(&factory)), S_OK);
  ASSERT_EQ(factory->LockServer(TRUE), S_OK);
  EXPECT_EQ(CanUnloadNow(), S_FALSE);
  ASSERT_EQ(factory->LockServer(FALSE), S_OK);
  EXPECT_EQ(CanUnloadNow(), S_OK);
}

std::wstring GuidText(const GUID& guid) {
  wchar_t text[40];
  StringFromGUID2(guid, text, 40);
  return text;
}

bool KeyExists(const std::wstring& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

std::wstring ReadValue(const std::wstring& path, const wchar_t* name) {
  wchar_t data[1024] = {};
  DWORD size = sizeof data;
  if (RegGetValueW(HKEY_CLASSES_ROOT, path.c_str(), name, RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS) {
    return L"<missing>";
  }
  return data;
}

// Keys of one registry view (the 32- and 64-bit views each have their own
// classes) and keys both bitnesses use, which stay while the other bitness is
// registered: ProgIDs, the type library and the interfaces (the same for both).
std::vector<std::wstring> OwnViewKeys() {
  std::vector<std::wstring> keys;
  for (const auto& row : kClasses) keys.push_back(L"CLSID\\" + GuidText(*row.clsid));
  return keys;
}

std::vector<std::wstring> SharedKeys() {
  std::vector<std::wstring> keys = {L"TypeLib\\" + GuidText(LIBID_TarnLib)};
  for (const IID* iid : {&IID__StringFunction, &IID__GeneralUtility, &IID_clsExItem, &IID__ExCollection, &IID__Network,
                         &IID__TimeUtility, &IID__CRegSettings}) {
    keys.push_back(L"Interface\\" + GuidText(*iid));
  }
  for (const auto& row : kClasses) {
    keys.push_back(std::wstring(L"TarnLib.") + row.name);
    keys.push_back(std::wstring(L"TarnLib.") + row.name + L".11");
  }
  return keys;
}

// The type library's entry of a bitness for a locale ("409" or "0").
std::wstring TypeLibEntry(const wchar_t* locale, int bits) {
  return L"TypeLib\\" + GuidText(LIBID_TarnLib) + L"\\b.0\\" + locale + (bits == 64 ? L"\\win64" : L"\\win32");
}

constexpr int kOwnBits = sizeof(void*) * 8;
constexpr int kOtherBits = kOwnBits == 64 ? 32 : 64;

void ExpectRegistered() {
  for (const auto& row : kClasses) {
    const std::wstring clsid = GuidText(*row.clsid);
    const std::wstring progid = std::wstring(L"TarnLib.") + row.name;
    const std::wstring server = ReadValue(L"CLSID\\" + clsid + L"\\InprocServer32", nullptr);
    EXPECT_EQ(server.size() >= 11 ? _wcsicmp(server.c_str() + server.size() - 11, L"TarnLib.dll") : 1, 0) << row.name;
    EXPECT_EQ(ReadValue(L"CLSID\\" + clsid + L"\\InprocServer32", L"ThreadingModel"), L"Apartment") << row.name;
    EXPECT_EQ(ReadValue(L"CLSID\\" + clsid + L"\\ProgID", nullptr), progid + L".11") << row.name;
    EXPECT_EQ(ReadValue(L"CLSID\\" + clsid + L"\\VersionIndependentProgID", nullptr), progid) << row.name;
    EXPECT_EQ(ReadValue(progid + L"\\CLSID", nullptr), clsid) << row.name;
    EXPECT_EQ(ReadValue(progid + L"\\CurVer", nullptr), progid + L".11") << row.name;
    EXPECT_EQ(ReadValue(progid + L".11\\CLSID", nullptr), clsid) << row.name;
    CLSID from_progid{};
    EXPECT_EQ(CLSIDFromProgID(progid.c_str(), &from_progid), S_OK) << row.name;
    EXPECT_TRUE(IsEqualCLSID(from_progid, *row.clsid)) << row.name;
  }
  // Interfaces are marshalled through the type library.
  EXPECT_EQ(ReadValue(L"Interface\\" + GuidText(IID__StringFunction) + L"\\ProxyStubClsid32", nullptr),
            L"{00020424-0000-0000-C000-000000000046}");
  // The library's locale and the neutral one, which the type-library marshaler asks for, name this DLL.
  for (const wchar_t* locale : {L"409", L"0"}) {
    const std::wstring path = ReadValue(TypeLibEntry(locale, kOwnBits), nullptr);
    EXPECT_EQ(_wcsicmp(path.c_str(), DllPath().c_str()), 0) << std::string(path.begin(), path.end());
  }
  for (const LCID lcid : {LCID{0x0409}, LCID{0}}) {
    ComPtr<ITypeLib> registered;
    EXPECT_EQ(LoadRegTypeLib(LIBID_TarnLib, 11, 0, lcid, registered.GetAddressOf()), S_OK) << lcid;
  }
}

TEST(Registration, RegsvrWroteClassesProgIdsInterfacesAndTypeLibrary) { ExpectRegistered(); }

TEST(Registration, UnregisterRemovesExactlyWhatRegisterWrote) {
  using Entry = HRESULT(STDAPICALLTYPE*)();
  // A neighbour that registration must leave alone.
  HKEY neighbour = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, L"TarnLib.Neighbour", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &neighbour,
                            nullptr),
            ERROR_SUCCESS);
  RegCloseKey(neighbour);

  // The other bitness's DLL may be registered in the same prefix: then the
  // keys both views share stay for it, and only this bitness's own go.
  const bool other_registered = KeyExists(TypeLibEntry(L"409", kOtherBits));
  ASSERT_EQ(DllExport<Entry>("DllUnregisterServer")(), S_OK);
  for (const auto& key : OwnViewKeys())
    EXPECT_FALSE(KeyExists(key)) << "left behind: " << std::string(key.begin(), key.end());
  for (const wchar_t* locale : {L"409", L"0"}) EXPECT_FALSE(KeyExists(TypeLibEntry(locale, kOwnBits))) << locale;
  for (const auto& key : SharedKeys()) {
    EXPECT_EQ(KeyExists(key), other_registered)
        << std::string(key.begin(), key.end())
        << (other_registered ? " removed while the other bitness needs it" : " left behind");
  }
  EXPECT_EQ(KeyExists(TypeLibEntry(L"409", kOtherBits)), other_registered);
  EXPECT_TRUE(KeyExists(L"TarnLib.Neighbour"));
  // A second unregistration finds nothing to remove and still succeeds.
  EXPECT_EQ(DllExport<Entry>("DllUnregisterServer")(), S_OK);

  ASSERT_EQ(DllExport<Entry>("DllRegisterServer")(), S_OK);
  for (const auto& keys : {OwnViewKeys(), SharedKeys()}) {
    for (const auto& key : keys) EXPECT_TRUE(KeyExists(key)) << "missing: " << std::string(key.begin(), key.end());
  }
  ExpectRegistered();
  RegDeleteKeyW(HKEY_CLASSES_ROOT, L"TarnLib.Neighbour");
}

// With the other bitness registered (its type-library entry stands for it
// here, so that one bitness of Wine is enough), unregistering removes this
// bitness's own keys and keeps the shared ones; once the other is gone too,
// the last unregistration removes them.
TEST(Registration, SharedKeysStayWhileTheOtherBitnessIsRegistered) {
  using Entry = HRESULT(STDAPICALLTYPE*)();
  const std::wstring other = TypeLibEntry(L"409", kOtherBits);
  if (KeyExists(other)) GTEST_SKIP() << "the other bitness's DLL is registered in this prefix";
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, other.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(L"C:\\other\\TarnLib.dll"),
                 sizeof L"C:\\other\\TarnLib.dll");
  RegCloseKey(key);

  ASSERT_EQ(DllExport<Entry>("DllUnregisterServer")(), S_OK);
  for (const auto& own : OwnViewKeys()) EXPECT_FALSE(KeyExists(own)) << std::string(own.begin(), own.end());
  for (const wchar_t* locale : {L"409", L"0"}) EXPECT_FALSE(KeyExists(TypeLibEntry(locale, kOwnBits))) << locale;
  for (const auto& shared : SharedKeys()) EXPECT_TRUE(KeyExists(shared)) << std::string(shared.begin(), shared.end());
  EXPECT_EQ(ReadValue(other, nullptr), L"C:\\other\\TarnLib.dll");

  // Registering again beside it and unregistering once more: still only this bitness goes.
  ASSERT_EQ(DllExport<Entry>("DllRegisterServer")(), S_OK);
  ExpectRegistered();
  EXPECT_EQ(ReadValue(other, nullptr), L"C:\\other\\TarnLib.dll");
  ASSERT_EQ(DllExport<Entry>("DllUnregisterServer")(), S_OK);
  EXPECT_TRUE(KeyExists(other));

  // The other bitness gone (its entry removed), this one registered alone:
  // its unregistration is the last and takes the shared keys too.
  ASSERT_EQ(RegDeleteKeyW(HKEY_CLASSES_ROOT, other.c_str()), ERROR_SUCCESS);
  ASSERT_EQ(DllExport<Entry>("DllRegisterServer")(), S_OK);
  ASSERT_EQ(DllExport<Entry>("DllUnregisterServer")(), S_OK);
  for (const auto& shared : SharedKeys()) EXPECT_FALSE(KeyExists(shared)) << std::string(shared.begin(), shared.end());

  ASSERT_EQ(DllExport<Entry>("DllRegisterServer")(), S_OK);
  ExpectRegistered();
}

}  // namespace
}  // namespace tarn::client
