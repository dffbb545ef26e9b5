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

// Every key registration writes for the library, its interfaces and classes.
std::vector<std::wstring> RegisteredKeys() {
  std::vector<std::wstring> keys = {L"TypeLib\\" + GuidText(LIBID_TarnLib)};
  for (const IID* iid : {&IID__StringFunction, &IID__GeneralUtility, &IID_clsExItem, &IID__ExCollection, &IID__Network,
                         &IID__TimeUtility, &IID__CRegSettings}) {
    keys.push_back(L"Interface\\" + GuidText(*iid));
  }
  for (const auto& row : kClasses) {
    keys.push_back(L"CLSID\\" + GuidText(*row.clsid));
    keys.push_back(std::wstring(L"TarnLib.") + row.name);
    keys.push_back(std::wstring(L"TarnLib.") + row.name + L".11");
  }
  return keys;
}

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
  ComPtr<ITypeLib> registered;
  EXPECT_EQ(LoadRegTypeLib(LIBID_TarnLib, 11, 0, 0x0409, registered.GetAddressOf()), S_OK);
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

  ASSERT_EQ(DllExport<Entry>("DllUnregisterServer")(), S_OK);
  for (const auto& key : RegisteredKeys())
    EXPECT_FALSE(KeyExists(key)) << "left behind: " << std::string(key.begin(), key.end());
  EXPECT_TRUE(KeyExists(L"TarnLib.Neighbour"));
  // A second unregistration finds nothing to remove and still succeeds.
  EXPECT_EQ(DllExport<Entry>("DllUnregisterServer")(), S_OK);

  ASSERT_EQ(DllExport<Entry>("DllRegisterServer")(), S_OK);
  for (const auto& key : RegisteredKeys())
    EXPECT_TRUE(KeyExists(key)) << "missing: " << std::string(key.begin(), key.end());
  ExpectRegistered();
  RegDeleteKeyW(HKEY_CLASSES_ROOT, L"TarnLib.Neighbour");
}

}  // namespace
}  // namespace tarn::client
