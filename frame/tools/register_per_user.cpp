// tarnlib-register: registers (or with /u unregisters) TarnLib.dll for the
// current user only, without administrator rights. It redirects
// HKEY_CLASSES_ROOT to HKEY_CURRENT_USER\Software\Classes for this process and
// calls the DLL's own DllRegisterServer or DllUnregisterServer, so that exactly
// the same keys are written, in the user's part of the registry.
//
// Usage: tarnlib-register [/u] <path of TarnLib.dll>
#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace {

struct LibraryHandle {
  HMODULE module;
  ~LibraryHandle() {
    if (module) FreeLibrary(module);
  }
};

struct KeyHandle {
  HKEY key = nullptr;
  ~KeyHandle() {
    if (key) RegCloseKey(key);
  }
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  bool unregister = false;
  const wchar_t* path = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (_wcsicmp(argv[i], L"/u") == 0 || _wcsicmp(argv[i], L"-u") == 0) {
      unregister = true;
    } else {
      path = argv[i];
    }
  }
  if (!path) {
    std::fwprintf(stderr, L"usage: tarnlib-register [/u] <path of TarnLib.dll>\n");
    return 2;
  }
  KeyHandle classes;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &classes.key,
                      nullptr) != ERROR_SUCCESS ||
      RegOverridePredefKey(HKEY_CLASSES_ROOT, classes.key) != ERROR_SUCCESS) {
    std::fwprintf(stderr, L"tarnlib-register: cannot redirect the class registration to the current user\n");
    return 1;
  }
  // Type libraries too go to the user's classes (Windows Vista and later).
  using EnablePerUser = void(WINAPI*)();
  if (const HMODULE oleaut = GetModuleHandleW(L"oleaut32.dll")) {
    if (const auto enable = reinterpret_cast<EnablePerUser>(
            reinterpret_cast<void*>(GetProcAddress(oleaut, "OaEnablePerUserTLibRegistration")))) {
      enable();
    }
  }
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
  int rc = 0;
  {
    LibraryHandle library{LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH)};
    if (!library.module) {
      std::fwprintf(stderr, L"tarnlib-register: cannot load %ls (error %lu)\n", path, GetLastError());
      rc = 1;
    } else {
      using Entry = HRESULT(STDAPICALLTYPE*)();
      const auto entry = reinterpret_cast<Entry>(reinterpret_cast<void*>(
          GetProcAddress(library.module, unregister ? "DllUnregisterServer" : "DllRegisterServer")));
      const HRESULT hr = entry ? entry() : HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
      if (FAILED(hr)) {
        std::fwprintf(stderr, L"tarnlib-register: %ls failed with 0x%08lx\n",
                      unregister ? L"DllUnregisterServer" : L"DllRegisterServer", static_cast<unsigned long>(hr));
        rc = 1;
      }
    }
  }
  CoUninitialize();
  RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
  return rc;
}
