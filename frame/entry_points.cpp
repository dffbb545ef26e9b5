#include "frame/entry_points.h"

#include <strings.h>

#include "frame/automation_error.h"

namespace tarn {
namespace {

// Library names as the classes declare them; the system resolves "kernel32"
// and "user32" to their DLLs.
constexpr std::array<EntryPointName, static_cast<size_t>(EntryPoint::kCount)> kNames{{
    {"kernel32", "RtlMoveMemory"},
    {"user32", "ClipCursor"},
    {"user32", "GetClientRect"},
    {"user32", "ClientToScreen"},
    {"user32", "OffsetRect"},
    {"wsock32.dll", "WSAStartup"},
    {"wsock32.dll", "WSACleanup"},
    {"wsock32.dll", "WSAGetLastError"},
    {"wsock32.dll", "gethostname"},
    {"wsock32.dll", "gethostbyname"},
    {"wsock32.dll", "inet_addr"},
    {"wsock32.dll", "gethostbyaddr"},
    {"advapi32.dll", "RegOpenKeyExA"},
    {"advapi32.dll", "RegCreateKeyExA"},
    {"advapi32.dll", "RegQueryValueExA"},
    {"advapi32.dll", "RegSetValueExA"},
    {"advapi32.dll", "RegDeleteKeyA"},
    {"advapi32.dll", "RegDeleteValueA"},
    {"advapi32.dll", "RegCloseKey"},
    {"advapi32.dll", "RegOpenKeyExW"},
    {"advapi32.dll", "RegCreateKeyExW"},
    {"advapi32.dll", "RegQueryValueExW"},
    {"advapi32.dll", "RegSetValueExW"},
    {"advapi32.dll", "RegDeleteKeyW"},
    {"advapi32.dll", "RegDeleteValueW"},
}};

std::u16string Widen(const char* text) {
  std::u16string out;
  for (; *text; ++text) out.push_back(static_cast<char16_t>(static_cast<unsigned char>(*text)));
  return out;
}

}  // namespace

EntryPointName NameOf(EntryPoint entry) { return kNames.at(static_cast<size_t>(entry)); }

EntryPointTable::~EntryPointTable() {
  for (auto it = libraries_.rbegin(); it != libraries_.rend(); ++it) loader_.Free(it->module);
}

void* EntryPointTable::LibraryFor(const char* library) {
  for (const auto& loaded : libraries_) {
    if (strcasecmp(loaded.name.c_str(), library) == 0) return loaded.module;
  }
  void* module = loader_.Load(library);
  if (!module) throw AutomationError(kErrDllLoad, u"Error in loading DLL", std::u16string(kProjectSource));
  try {
    libraries_.push_back({library, module});
  } catch (...) {
    loader_.Free(module);
    throw;
  }
  return module;
}

void* EntryPointTable::Address(EntryPoint entry) {
  const std::lock_guard<ModuleMutex> lock(mutex_);
  void*& cached = addresses_.at(static_cast<size_t>(entry));
  if (cached) return cached;
  const EntryPointName name = NameOf(entry);
  void* address = loader_.Find(LibraryFor(name.library), name.function);
  if (!address) {
    throw AutomationError(kErrDllEntryPoint,
                          u"Can't find DLL entry point " + Widen(name.function) + u" in " + Widen(name.library),
                          std::u16string(kProjectSource));
  }
  cached = address;
  return address;
}

}  // namespace tarn
