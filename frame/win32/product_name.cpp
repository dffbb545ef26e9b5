#include "frame/win32/product_name.h"

#include <windows.h>

#include "frame/automation_error.h"
#include "frame/com/module.h"
#include "frame/version_info.h"

namespace tarn::com {

std::u16string ProductName() {
  // Resources of a loaded module stay mapped while it is loaded: nothing to free.
  const HMODULE module = ModuleHandle();
  const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(VS_VERSION_INFO), MAKEINTRESOURCEW(16) /* RT_VERSION */);
  const HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (data) {
    const std::span block(static_cast<const uint8_t*>(data), SizeofResource(module, found));
    if (auto name = FindVersionString(block, u"ProductName")) return std::move(*name);
  }
  RaiseStandardError(kErrInternal);
}

}  // namespace tarn::com
