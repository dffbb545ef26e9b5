#include "frame/com/module.h"

#include <array>
#include <atomic>

#include "frame/com/dispatch_table.h"

namespace tarn::com {
namespace {

HMODULE g_module = nullptr;
LONG g_objects = 0;
LONG g_locks = 0;

struct CachedInfo {
  IID iid;
  ITypeInfo* info;
};

// The library has seven interfaces; the cache holds one entry for each.
// Entries are only ever appended: readers scan the published ones without a
// lock (name lookup and dispatch ask on every call), a writer fills the next
// entry under the lock and then publishes the new count.
SRWLOCK g_cache_lock = SRWLOCK_INIT;
ITypeLib* g_typelib = nullptr;
std::array<CachedInfo, 16> g_infos{};
std::atomic<size_t> g_info_count{0};

ITypeInfo* FindCached(REFIID iid, size_t count) noexcept {
  for (size_t i = 0; i < count; ++i) {
    if (IsEqualIID(g_infos[i].iid, iid)) return g_infos[i].info;
  }
  return nullptr;
}

HRESULT CachedTypeInfoLocked(REFIID iid, ITypeInfo** info) noexcept;

}  // namespace

void SetModuleHandle(HMODULE module) noexcept { g_module = module; }
HMODULE ModuleHandle() noexcept { return g_module; }

HRESULT ModulePath(wchar_t* buffer, DWORD size) noexcept {
  const DWORD n = GetModuleFileNameW(g_module, buffer, size);
  if (n == 0) return HRESULT_FROM_WIN32(GetLastError());
  if (n >= size) return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
  return S_OK;
}

void ObjectCreated() noexcept { InterlockedIncrement(&g_objects); }
void ObjectDestroyed() noexcept { InterlockedDecrement(&g_objects); }
void LockModule() noexcept { InterlockedIncrement(&g_locks); }
void UnlockModule() noexcept { InterlockedDecrement(&g_locks); }
bool ModuleInUse() noexcept { return g_objects != 0 || g_locks != 0; }

HRESULT LoadModuleTypeLib(ITypeLib** library) noexcept {
  wchar_t path[MAX_PATH];
  HRESULT hr = ModulePath(path, MAX_PATH);
  if (FAILED(hr)) return hr;
  return LoadTypeLibEx(path, REGKIND_NONE, library);
}

HRESULT CachedTypeInfo(REFIID iid, ITypeInfo** info) noexcept {
  if (ITypeInfo* found = FindCached(iid, g_info_count.load(std::memory_order_acquire))) {
    *info = found;
    return S_OK;
  }
  AcquireSRWLockExclusive(&g_cache_lock);
  const HRESULT hr = CachedTypeInfoLocked(iid, info);
  ReleaseSRWLockExclusive(&g_cache_lock);
  return hr;
}

namespace {

HRESULT CachedTypeInfoLocked(REFIID iid, ITypeInfo** info) noexcept {
  const size_t count = g_info_count.load(std::memory_order_relaxed);
  if (ITypeInfo* found = FindCached(iid, count)) {
    *info = found;
    return S_OK;
  }
  if (!g_typelib) {
    const HRESULT hr = LoadModuleTypeLib(&g_typelib);
    if (FAILED(hr)) return hr;
  }
  if (count == g_infos.size()) return E_UNEXPECTED;
  ITypeInfo* found = nullptr;
  const HRESULT hr = g_typelib->GetTypeInfoOfGuid(iid, &found);
  if (FAILED(hr)) return hr;
  g_infos[count] = {iid, found};
  g_info_count.store(count + 1, std::memory_order_release);
  *info = found;
  return S_OK;
}

}  // namespace

void ReleaseTypeInfoCache() noexcept {
  // The dispatch tables refer to the cached type information: they go first.
  DispatchTable::ReleaseAll();
  AcquireSRWLockExclusive(&g_cache_lock);
  const size_t count = g_info_count.load(std::memory_order_relaxed);
  g_info_count.store(0, std::memory_order_release);
  for (size_t i = 0; i < count; ++i) g_infos[i].info->Release();
  if (g_typelib) g_typelib->Release();
  g_typelib = nullptr;
  ReleaseSRWLockExclusive(&g_cache_lock);
}

}  // namespace tarn::com
