#include "frame/win32/system_entry_points.h"

#include <windows.h>

namespace tarn::com {
namespace {

class SystemModuleLoader final : public ModuleLoader {
 public:
  void* Load(const char* library) override { return LoadLibraryA(library); }
  void* Find(void* module, const char* function) override {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), function));
  }
  void Free(void* module) override { FreeLibrary(static_cast<HMODULE>(module)); }
};

}  // namespace

EntryPointTable& SystemEntryPoints() {
  static SystemModuleLoader loader;
  static EntryPointTable table(loader);
  return table;
}

}  // namespace tarn::com
