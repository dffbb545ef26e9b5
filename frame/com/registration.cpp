#include "frame/com/registration.h"

#include <cwchar>
#include <string>

#include "frame/com/bstr.h"
#include "frame/com/module.h"
#include "frame/com/registry_key.h"

namespace tarn::com {
namespace {

struct ClassEntry {
  std::wstring name;
  std::wstring clsid;
};

std::wstring GuidText(const GUID& guid) {
  wchar_t text[40];
  StringFromGUID2(guid, text, 40);
  return text;
}

HRESULT SetValue(HKEY parent, const std::wstring& subkey, const wchar_t* name, const std::wstring& value) {
  RegistryKey key;
  LSTATUS status = RegCreateKeyExW(parent, subkey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr,
                                   key.put(), nullptr);
  if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
  status = RegSetValueExW(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  return HRESULT_FROM_WIN32(status);
}

HRESULT DeleteTree(const std::wstring& subkey) {
  const LSTATUS status = RegDeleteTreeW(HKEY_CLASSES_ROOT, subkey.c_str());
  if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) {
    RegDeleteKeyW(HKEY_CLASSES_ROOT, subkey.c_str());
    return S_OK;
  }
  return HRESULT_FROM_WIN32(status);
}

// Calls `visit(name, clsid text)` for every class entry of the type library.
template <typename Visit>
HRESULT ForEachClass(ITypeLib* library, Visit&& visit) {
  const UINT count = library->GetTypeInfoCount();
  for (UINT i = 0; i < count; ++i) {
    TYPEKIND kind;
    if (FAILED(library->GetTypeInfoType(i, &kind)) || kind != TKIND_COCLASS) continue;
    ITypeInfo* info = nullptr;
    HRESULT hr = library->GetTypeInfo(i, &info);
    if (FAILED(hr)) return hr;
    TYPEATTR* attr = nullptr;
    hr = info->GetTypeAttr(&attr);
    if (SUCCEEDED(hr)) {
      Bstr name;
      hr = info->GetDocumentation(MEMBERID_NIL, name.put(), nullptr, nullptr, nullptr);
      const GUID clsid = attr->guid;
      info->ReleaseTypeAttr(attr);
      if (SUCCEEDED(hr)) {
        hr = visit(ClassEntry{std::wstring(reinterpret_cast<const wchar_t*>(name.view().data()), name.view().size()),
                              GuidText(clsid)});
      }
    }
    info->Release();
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

struct LibraryIdentity {
  std::wstring name;
  std::wstring libid;
  std::wstring version;      // "11.0"
  std::wstring major;        // "11"
  std::wstring version_key;  // TypeLib\{LIBID}\b.0: versions are registered in hexadecimal
  GUID guid{};
  WORD major_number = 0;
  WORD minor_number = 0;
  LCID lcid = 0;
  SYSKIND syskind = SYS_WIN32;
};

const wchar_t* SyskindName(SYSKIND kind) { return kind == SYS_WIN64 ? L"win64" : L"win32"; }

// The other bitness's target system: the one whose registration may share our keys.
SYSKIND OtherSyskind(SYSKIND kind) { return kind == SYS_WIN64 ? SYS_WIN32 : SYS_WIN64; }

std::wstring HexText(unsigned value) {
  wchar_t text[16];
  swprintf(text, 16, L"%x", value);
  return text;
}

HRESULT IdentityOf(ITypeLib* library, LibraryIdentity& identity) {
  TLIBATTR* attr = nullptr;
  HRESULT hr = library->GetLibAttr(&attr);
  if (FAILED(hr)) return hr;
  identity.guid = attr->guid;
  identity.libid = GuidText(attr->guid);
  identity.major_number = attr->wMajorVerNum;
  identity.minor_number = attr->wMinorVerNum;
  identity.lcid = attr->lcid;
  identity.syskind = attr->syskind;
  identity.major = std::to_wstring(attr->wMajorVerNum);
  identity.version = identity.major + L"." + std::to_wstring(attr->wMinorVerNum);
  identity.version_key =
      L"TypeLib\\" + identity.libid + L"\\" + HexText(attr->wMajorVerNum) + L"." + HexText(attr->wMinorVerNum);
  library->ReleaseTLibAttr(attr);
  Bstr name;
  hr = library->GetDocumentation(-1, name.put(), nullptr, nullptr, nullptr);
  if (SUCCEEDED(hr)) identity.name.assign(reinterpret_cast<const wchar_t*>(name.view().data()), name.view().size());
  return hr;
}

HRESULT RegisterClass(const LibraryIdentity& lib, const ClassEntry& entry, const std::wstring& path) {
  const std::wstring clsid_key = L"CLSID\\" + entry.clsid;
  const std::wstring progid = lib.name + L"." + entry.name;
  const std::wstring versioned = progid + L"." + lib.major;
  const struct {
    std::wstring key;
    const wchar_t* name;
    std::wstring value;
  } values[] = {
      {clsid_key, nullptr, progid},
      {clsid_key + L"\\InprocServer32", nullptr, path},
      {clsid_key + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
      {clsid_key + L"\\ProgID", nullptr, versioned},
      {clsid_key + L"\\VersionIndependentProgID", nullptr, progid},
      {clsid_key + L"\\TypeLib", nullptr, lib.libid},
      {clsid_key + L"\\Version", nullptr, lib.version},
      {progid, nullptr, progid},
      {progid + L"\\CLSID", nullptr, entry.clsid},
      {progid + L"\\CurVer", nullptr, versioned},
      {versioned, nullptr, progid},
      {versioned + L"\\CLSID", nullptr, entry.clsid},
  };
  for (const auto& v : values) {
    const HRESULT hr = SetValue(HKEY_CLASSES_ROOT, v.key, v.name, v.value);
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

bool KeyExists(const std::wstring& subkey) {
  RegistryKey key;
  return RegOpenKeyExW(HKEY_CLASSES_ROOT, subkey.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

// TypeLib\{LIBID}\b.0\<lcid>\win32|win64: where one bitness's registration of
// the type library lives for one locale.
std::wstring PlatformKey(const LibraryIdentity& lib, LCID lcid, SYSKIND kind) {
  return lib.version_key + L"\\" + HexText(lcid) + L"\\" + SyskindName(kind);
}

// Whether the other bitness's DLL is registered in the same classes root.
// ProgIDs and the TypeLib key are shared by the 32- and 64-bit views of the
// registry; CLSID keys are not.
bool OtherBitnessRegistered(const LibraryIdentity& lib) {
  const SYSKIND other = OtherSyskind(lib.syskind);
  return KeyExists(PlatformKey(lib, lib.lcid, other)) || KeyExists(PlatformKey(lib, LOCALE_NEUTRAL, other));
}

HRESULT UnregisterClass(const LibraryIdentity& lib, const ClassEntry& entry, bool keep_shared) {
  const std::wstring progid = lib.name + L"." + entry.name;
  HRESULT hr = DeleteTree(L"CLSID\\" + entry.clsid);
  if (FAILED(hr) || keep_shared) return hr;
  for (const std::wstring& key : {progid, progid + L"." + lib.major}) {
    hr = DeleteTree(key);
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

// Deletes `subkey` when it has no subkeys left (RegDeleteKey refuses otherwise).
void DeleteIfEmpty(const std::wstring& subkey) { RegDeleteKeyW(HKEY_CLASSES_ROOT, subkey.c_str()); }

// Deletes the type library's version key when it holds nothing but its
// FLAGS and HELPDIR subkeys, and the library key when that was its last version.
HRESULT RemoveVersionKeyIfUnused(const LibraryIdentity& lib) {
  {
    RegistryKey version;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, lib.version_key.c_str(), 0, KEY_READ, version.put()) != ERROR_SUCCESS) {
      return S_OK;
    }
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
      DWORD length = 256;
      const LSTATUS status = RegEnumKeyExW(version.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr);
      if (status == ERROR_NO_MORE_ITEMS) break;
      if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
      if (_wcsicmp(name, L"FLAGS") != 0 && _wcsicmp(name, L"HELPDIR") != 0) return S_OK;  // still in use
    }
  }
  const HRESULT hr = DeleteTree(lib.version_key);
  if (SUCCEEDED(hr)) DeleteIfEmpty(L"TypeLib\\" + lib.libid);
  return hr;
}

// Removes this bitness's registration of the type library. The locale-neutral
// entry is ours to remove. While the other bitness is registered only this
// bitness's entries go: the interface keys are the same for both (and
// RegisterTypeLib writes them into both registry views), so they stay with the
// version key. Otherwise UnRegisterTypeLib removes the locale's entry, the
// interfaces and, when no other locale is left, the version and library keys.
HRESULT UnregisterTypeLibrary(const LibraryIdentity& lib, bool other_registered) {
  for (const LCID lcid : {LCID{LOCALE_NEUTRAL}, lib.lcid}) {
    if (lcid == lib.lcid && !other_registered) break;
    const std::wstring entry = PlatformKey(lib, lcid, lib.syskind);
    if (!KeyExists(entry)) continue;
    const LSTATUS status = RegDeleteKeyW(HKEY_CLASSES_ROOT, entry.c_str());
    if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
    DeleteIfEmpty(lib.version_key + L"\\" + HexText(lcid));
  }
  if (other_registered) return S_OK;
  // Nothing registered is nothing to remove, not a failure; a version key
  // that no locale of either bitness uses any more is left over, and goes.
  if (!KeyExists(PlatformKey(lib, lib.lcid, lib.syskind))) return RemoveVersionKeyIfUnused(lib);
  return UnRegisterTypeLib(lib.guid, lib.major_number, lib.minor_number, lib.lcid, lib.syskind);
}

}  // namespace

HRESULT RegisterServer() noexcept {
  try {
    wchar_t path[MAX_PATH];
    HRESULT hr = ModulePath(path, MAX_PATH);
    if (FAILED(hr)) return hr;
    ITypeLib* library = nullptr;
    hr = LoadModuleTypeLib(&library);
    if (FAILED(hr)) return hr;
    LibraryIdentity lib;
    hr = IdentityOf(library, lib);
    // Writes the type library and its interfaces, marshalled through the type library.
    if (SUCCEEDED(hr)) hr = RegisterTypeLib(library, path, nullptr);
    // The type-library marshaler looks the library up for the neutral locale
    // (LoadRegTypeLib with locale 0), and so do clients that ask for no
    // particular locale; without this entry calls from another apartment fail
    // with E_NOINTERFACE. The library's own locale stays registered as well.
    if (SUCCEEDED(hr)) hr = SetValue(HKEY_CLASSES_ROOT, PlatformKey(lib, LOCALE_NEUTRAL, lib.syskind), nullptr, path);
    if (SUCCEEDED(hr)) {
      hr = ForEachClass(library, [&](const ClassEntry& entry) { return RegisterClass(lib, entry, path); });
    }
    library->Release();
    // A registration that stopped part way is taken back whole.
    if (FAILED(hr)) UnregisterServer();
    return hr;
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

HRESULT UnregisterServer() noexcept {
  try {
    ITypeLib* library = nullptr;
    HRESULT hr = LoadModuleTypeLib(&library);
    if (FAILED(hr)) return hr;
    LibraryIdentity lib;
    hr = IdentityOf(library, lib);
    // The shared keys stay while the other bitness still needs them.
    const bool keep_shared = SUCCEEDED(hr) && OtherBitnessRegistered(lib);
    if (SUCCEEDED(hr)) {
      hr = ForEachClass(library, [&](const ClassEntry& entry) { return UnregisterClass(lib, entry, keep_shared); });
    }
    if (SUCCEEDED(hr)) hr = UnregisterTypeLibrary(lib, keep_shared);
    library->Release();
    return hr;
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

}  // namespace tarn::com
