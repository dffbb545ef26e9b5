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
  std::wstring version;  // "11.0"
  std::wstring major;    // "11"
};

HRESULT IdentityOf(ITypeLib* library, LibraryIdentity& identity) {
  TLIBATTR* attr = nullptr;
  HRESULT hr = library->GetLibAttr(&attr);
  if (FAILED(hr)) return hr;
  identity.libid = GuidText(attr->guid);
  identity.major = std::to_wstring(attr->wMajorVerNum);
  identity.version = identity.major + L"." + std::to_wstring(attr->wMinorVerNum);
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

HRESULT UnregisterClass(const LibraryIdentity& lib, const ClassEntry& entry) {
  const std::wstring progid = lib.name + L"." + entry.name;
  for (const std::wstring& key : {L"CLSID\\" + entry.clsid, progid, progid + L"." + lib.major}) {
    const HRESULT hr = DeleteTree(key);
    if (FAILED(hr)) return hr;
  }
  return S_OK;
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
    if (SUCCEEDED(hr)) hr = ForEachClass(library, [&](const ClassEntry& entry) { return UnregisterClass(lib, entry); });
    if (SUCCEEDED(hr)) {
      TLIBATTR* attr = nullptr;
      hr = library->GetLibAttr(&attr);
      if (SUCCEEDED(hr)) {
        // Nothing registered is nothing to remove, not a failure.
        RegistryKey registered;
        // Type library versions are registered in hexadecimal ("b.0" for 11.0).
        wchar_t version[16];
        swprintf(version, 16, L"%x.%x", attr->wMajorVerNum, attr->wMinorVerNum);
        const std::wstring key = L"TypeLib\\" + lib.libid + L"\\" + version;
        if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, registered.put()) == ERROR_SUCCESS) {
          hr = UnRegisterTypeLib(attr->guid, attr->wMajorVerNum, attr->wMinorVerNum, attr->lcid, attr->syskind);
        }
        library->ReleaseTLibAttr(attr);
      }
    }
    library->Release();
    return hr;
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

}  // namespace tarn::com
