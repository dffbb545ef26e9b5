// tarnlib-register: registers (or with /u unregisters) TarnLib.dll for the
// current user only, without administrator rights. It redirects
// HKEY_CLASSES_ROOT to HKEY_CURRENT_USER\Software\Classes for this process and
// calls the DLL's own DllRegisterServer or DllUnregisterServer, so that exactly
// the same keys are written, in the user's part of the registry.
//
// A process loads only DLLs of its own bitness: each bitness of the DLL is
// registered by the tarnlib-register.exe of that bitness, and a DLL of the
// other one is refused with a message naming both, before anything is loaded.
#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace {

constexpr int kBits = sizeof(void*) * 8;

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

struct FileHandle {
  HANDLE file;
  ~FileHandle() {
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  }
};

void PrintUsage(FILE* to) {
  std::fwprintf(to,
                L"tarnlib-register (%d-bit): registers TarnLib.dll for the current user only.\n"
                L"\n"
                L"usage: tarnlib-register [/u] <path of TarnLib.dll>\n"
                L"\n"
                L"  /u   remove the registration instead\n"
                L"  /?   show this help\n"
                L"\n"
                L"The classes, ProgIDs and the type library are written under\n"
                L"HKEY_CURRENT_USER\\Software\\Classes; no administrator rights are needed.\n"
                L"Use the 64-bit tarnlib-register.exe (x64) for the 64-bit DLL and the\n"
                L"32-bit one (x86) for the 32-bit DLL.\n",
                kBits);
}

// The bitness of the PE image at `path` (32 or 64), 0 when it is not one
// that can be read, so that loading it reports the reason.
int ImageBits(const wchar_t* path) {
  FileHandle file{
      CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr)};
  if (file.file == INVALID_HANDLE_VALUE) return 0;
  IMAGE_DOS_HEADER dos{};
  DWORD read = 0;
  if (!ReadFile(file.file, &dos, sizeof dos, &read, nullptr) || read != sizeof dos ||
      dos.e_magic != IMAGE_DOS_SIGNATURE)
    return 0;
  if (SetFilePointer(file.file, dos.e_lfanew, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) return 0;
  struct {
    DWORD signature;
    IMAGE_FILE_HEADER header;
    WORD optional_magic;
  } nt{};
  if (!ReadFile(file.file, &nt, sizeof nt, &read, nullptr) || read != sizeof nt || nt.signature != IMAGE_NT_SIGNATURE)
    return 0;
  switch (nt.optional_magic) {
    case IMAGE_NT_OPTIONAL_HDR32_MAGIC:
      return 32;
    case IMAGE_NT_OPTIONAL_HDR64_MAGIC:
      return 64;
    default:
      return 0;
  }
}

bool IsOption(const wchar_t* arg, const wchar_t* name) {
  return (arg[0] == L'/' || arg[0] == L'-') && _wcsicmp(arg + 1, name) == 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  bool unregister = false;
  const wchar_t* path = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (IsOption(argv[i], L"?") || IsOption(argv[i], L"h") || _wcsicmp(argv[i], L"--help") == 0) {
      PrintUsage(stdout);
      return 0;
    }
    if (IsOption(argv[i], L"u")) {
      unregister = true;
    } else if (argv[i][0] == L'/' || (argv[i][0] == L'-' && argv[i][1] != L'\0')) {
      // Windows paths never start with these; a stray option is not a DLL name.
      std::fwprintf(stderr, L"tarnlib-register: unknown option %ls\n\n", argv[i]);
      PrintUsage(stderr);
      return 2;
    } else if (path) {
      std::fwprintf(stderr, L"tarnlib-register: one DLL at a time (%ls and %ls given)\n", path, argv[i]);
      return 2;
    } else {
      path = argv[i];
    }
  }
  if (!path || !*path) {
    PrintUsage(stderr);
    return 2;
  }
  const int image_bits = ImageBits(path);
  if (image_bits != 0 && image_bits != kBits) {
    std::fwprintf(stderr,
                  L"tarnlib-register: %ls is a %d-bit DLL and this tarnlib-register.exe is %d-bit; register a 32-bit "
                  L"DLL with the 32-bit tarnlib-register.exe (x86), a 64-bit DLL with the 64-bit one (x64)\n",
                  path, image_bits, kBits);
    return 1;
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
      const DWORD error = GetLastError();
      if (error == ERROR_BAD_EXE_FORMAT) {
        std::fwprintf(stderr, L"tarnlib-register: cannot load %ls: not a DLL for %d-bit Windows (error %lu)\n", path,
                      kBits, error);
      } else {
        std::fwprintf(stderr, L"tarnlib-register: cannot load %ls (error %lu)\n", path, error);
      }
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
