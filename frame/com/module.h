// Per-process state of the module: its handle, the count of live objects and
// server locks that DllCanUnloadNow answers from, and the type information of
// the embedded type library, loaded on first use and cached.
#pragma once

#include <windows.h>

namespace tarn::com {

void SetModuleHandle(HMODULE module) noexcept;
HMODULE ModuleHandle() noexcept;
// Full path of this DLL.
HRESULT ModulePath(wchar_t* buffer, DWORD size) noexcept;

void ObjectCreated() noexcept;
void ObjectDestroyed() noexcept;
void LockModule() noexcept;
void UnlockModule() noexcept;
bool ModuleInUse() noexcept;

// The embedded type library, with a new reference.
HRESULT LoadModuleTypeLib(ITypeLib** library) noexcept;
// Type information of one of the library's interfaces; the reference stays
// owned by the cache. Safe from any thread; once an interface's entry is
// cached, reading it takes no lock.
HRESULT CachedTypeInfo(REFIID iid, ITypeInfo** info) noexcept;
// Drops the dispatch tables, the cached type library and type information.
void ReleaseTypeInfoCache() noexcept;

}  // namespace tarn::com
