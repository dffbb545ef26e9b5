// The table of operating-system entry points that the classes call. Each entry
// names a library and an exported function; it is bound on its first use (the
// library loaded once, the function looked up by name) and the address cached
// for later calls. A library that cannot be loaded raises the standard error
// 48, a function that cannot be found the standard error 453. The libraries
// are released with the table.
#pragma once

#include <array>
#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

#include "frame/module_mutex.h"

namespace tarn {

// How libraries are loaded and searched: LoadLibraryA and GetProcAddress in the
// DLL, a fake in tests.
class ModuleLoader {
 public:
  virtual ~ModuleLoader() = default;
  // A handle of the loaded library, or null.
  virtual void* Load(const char* library) = 0;
  // The function's address, or null.
  virtual void* Find(void* module, const char* function) = 0;
  virtual void Free(void* module) = 0;
};

enum class EntryPoint : size_t {
  kRtlMoveMemory,
  kClipCursor,
  kGetClientRect,
  kClientToScreen,
  kOffsetRect,
  kWSAStartup,
  kWSACleanup,
  kWSAGetLastError,
  kGethostname,
  kGethostbyname,
  kInetAddr,
  kGethostbyaddr,
  kRegOpenKeyExA,
  kRegCreateKeyExA,
  kRegQueryValueExA,
  kRegSetValueExA,
  kRegDeleteKeyA,
  kRegDeleteValueA,
  kRegCloseKey,
  // Unicode registry functions: settings keep every character.
  kRegOpenKeyExW,
  kRegCreateKeyExW,
  kRegQueryValueExW,
  kRegSetValueExW,
  kRegDeleteKeyW,
  kRegDeleteValueW,
  kCount,
};

struct EntryPointName {
  const char* library;
  const char* function;
};

// Library and function of an entry.
EntryPointName NameOf(EntryPoint entry);

class EntryPointTable {
 public:
  explicit EntryPointTable(ModuleLoader& loader) : loader_(loader) {}
  EntryPointTable(const EntryPointTable&) = delete;
  EntryPointTable& operator=(const EntryPointTable&) = delete;
  ~EntryPointTable();

  // The entry's address, bound on first use.
  void* Address(EntryPoint entry);

  template <typename Function>
  Function Get(EntryPoint entry) {
    return reinterpret_cast<Function>(Address(entry));
  }

 private:
  void* LibraryFor(const char* library);

  struct LoadedLibrary {
    std::string name;
    void* module;
  };

  ModuleLoader& loader_;
  // Objects in several threads may bind entries at once.
  ModuleMutex mutex_;
  std::array<void*, static_cast<size_t>(EntryPoint::kCount)> addresses_{};
  std::vector<LoadedLibrary> libraries_;
};

}  // namespace tarn
