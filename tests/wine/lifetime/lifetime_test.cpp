// The library loaded and unloaded by a host, used from threads that come and
// go, and raced by apartment threads, with the process's resources counted.
//
//   tarnlib_lifetime_tests unload N   N cycles of create, raising call, release,
//                                     CoFreeUnusedLibrariesEx(0, 0)
//   tarnlib_lifetime_tests threads N  N short-lived threads using the library,
//                                     half with the DLL held loaded, half loading
//                                     and unloading it themselves
//   tarnlib_lifetime_tests race       8 STA threads start on a barrier, each
//                                     creating and calling every class; their
//                                     answers are compared with a run on one thread
// Exit code 0 when every check holds.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "tests/wine/lifetime/late_calls.h"
#include "tests/wine/lifetime/process_resources.h"

namespace tarn::lifetime {
namespace {

const wchar_t kDllName[] = L"TarnLib.dll";

bool DllLoaded() { return GetModuleHandleW(kDllName) != nullptr; }

// A cycle as a host makes it: the DLL is loaded by the first creation and
// unloaded once everything is released.
bool LoadUseUnload() {
  const bool used = UseWithRaisedError();
  CoFreeUnusedLibrariesEx(0, 0);
  return used;
}

// After warm-up the counts must come back: not one TLS slot and (beyond what
// the platform itself caches) no handle and no memory per cycle.
bool Compare(const ProcessResources& before, const ProcessResources& after, int cycles, double platform_handles = 0) {
  Print("before", before);
  Print("after", after);
  const long tls_lost = before.tls_free - after.tls_free;
  const long handles_gained = after.handles - before.handles;
  const long long bytes_gained = after.private_bytes - before.private_bytes;
  std::printf("per cycle: %.3f TLS slots, %.3f handles, %.1f private bytes\n", double(tls_lost) / cycles,
              double(handles_gained) / cycles, double(bytes_gained) / cycles);
  bool ok = true;
  if (tls_lost > 0) {
    std::printf("FAIL: %ld TLS slots lost\n", tls_lost);
    ok = false;
  }
  // A few handles and pages may be the platform's own lazily made objects;
  // a leak of one per cycle is far above these bounds. `platform_handles`:
  // what the platform itself leaves per cycle (see PlatformHandlesPerLoad).
  if (handles_gained > 8 + static_cast<long>(platform_handles * cycles + 0.5)) {
    std::printf("FAIL: %ld handles gained\n", handles_gained);
    ok = false;
  }
  if (bytes_gained > 64 * 1024 + 16LL * cycles) {
    std::printf("FAIL: %lld private bytes gained\n", bytes_gained);
    ok = false;
  }
  return ok;
}

// Wine 8 leaves registry key handles open each time a type library is loaded,
// the base interface IDispatch resolved from the imported standard type
// library, and released (3 for this one), with no code of the DLL run:
// measured here on the DLL's type library alone, so that the library is
// charged only with what it leaves itself.
double PlatformHandlesPerLoad(const std::wstring& dll_path) {
  auto load = [&dll_path] {
    ITypeLib* library = nullptr;
    if (FAILED(LoadTypeLibEx(dll_path.c_str(), REGKIND_NONE, &library))) return false;
    // An interface's base, IDispatch, is the imported type library's: reading
    // it is where the handles are left.
    bool resolved = false;
    for (UINT i = 0; i < library->GetTypeInfoCount() && !resolved; ++i) {
      ITypeInfo* info = nullptr;
      if (FAILED(library->GetTypeInfo(i, &info))) continue;
      HREFTYPE base_ref = 0;
      ITypeInfo* base = nullptr;
      if (SUCCEEDED(info->GetRefTypeOfImplType(0, &base_ref)) && SUCCEEDED(info->GetRefTypeInfo(base_ref, &base))) {
        base->Release();
        resolved = true;
      }
      info->Release();
    }
    library->Release();
    return resolved;
  };
  constexpr int kLoads = 100;
  for (int i = 0; i < 5; ++i) load();
  const long before = Measure().handles;
  for (int i = 0; i < kLoads; ++i) {
    if (!load()) return 0;
  }
  const double per_load = static_cast<double>(Measure().handles - before) / kLoads;
  std::printf("the platform alone: %.2f handles per load of the type library\n", per_load);
  return per_load;
}

// The DLL's path, as COM loads it.
std::wstring DllPath() {
  IDispatch* object = Create(L"TarnLib.TimeUtility");
  std::wstring path;
  if (HMODULE module = GetModuleHandleW(kDllName)) {
    wchar_t buffer[MAX_PATH];
    const DWORD n = GetModuleFileNameW(module, buffer, MAX_PATH);
    if (n > 0 && n < MAX_PATH) path.assign(buffer, n);
  }
  if (object) object->Release();
  CoFreeUnusedLibrariesEx(0, 0);
  return path;
}

int Unload(int cycles) {
  const double platform = PlatformHandlesPerLoad(DllPath());
  for (int i = 0; i < 20; ++i) LoadUseUnload();  // the platform's own first-use allocations
  if (DllLoaded()) {
    std::printf("FAIL: the DLL stays loaded after its objects are released\n");
    return 1;
  }
  const ProcessResources before = Measure();
  const std::vector<ULONG_PTR> handles_before = HandleValues();
  int failed_uses = 0, still_loaded = 0;
  for (int i = 0; i < cycles; ++i) {
    if (!LoadUseUnload()) ++failed_uses;
    if (DllLoaded()) ++still_loaded;
  }
  const ProcessResources after = Measure();
  std::printf("%d load-use-unload cycles, %d uses answered wrongly, %d left the DLL loaded\n", cycles, failed_uses,
              still_loaded);
  const bool ok = Compare(before, after, cycles, platform) && failed_uses == 0 && still_loaded == 0;
  if (!ok) PrintNewHandles(handles_before, 12);
  return ok ? 0 : 1;
}

DWORD WINAPI ShortLivedThread(void* unload) {
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
  bool ok = UseWithRaisedError();
  if (unload) CoFreeUnusedLibrariesEx(0, 0);
  CoUninitialize();
  return ok ? 0 : 1;
}

// Runs `count` threads, two at a time, and counts those that failed.
int RunThreads(int count, bool unload) {
  int failed = 0;
  for (int i = 0; i < count; i += 2) {
    HANDLE threads[2];
    for (HANDLE& thread : threads) {
      thread = CreateThread(nullptr, 0, ShortLivedThread, unload ? &thread : nullptr, 0, nullptr);
    }
    for (HANDLE thread : threads) {
      if (!thread) {
        ++failed;
        continue;
      }
      WaitForSingleObject(thread, INFINITE);
      DWORD code = 1;
      GetExitCodeThread(thread, &code);
      if (code != 0) ++failed;
      CloseHandle(thread);
    }
  }
  return failed;
}

int Threads(int count) {
  const double platform = PlatformHandlesPerLoad(DllPath());
  RunThreads(10, true);  // warm-up
  CoFreeUnusedLibrariesEx(0, 0);
  // First half: an object held here keeps the DLL loaded while threads come
  // and go; nothing may be left per thread.
  IDispatch* holder = Create(L"TarnLib.TimeUtility");
  if (!holder) {
    std::printf("FAIL: cannot create the holder object\n");
    return 1;
  }
  ProcessResources before = Measure();
  int failed = RunThreads(count / 2, false);
  std::printf("%d short-lived threads with the DLL held loaded, %d failed\n", count / 2, failed);
  bool ok = Compare(before, Measure(), count / 2) && failed == 0;
  holder->Release();
  CoFreeUnusedLibrariesEx(0, 0);
  // Second half: each thread's apartment loads and unloads the DLL (at most
  // one load per thread).
  before = Measure();
  failed = RunThreads(count - count / 2, true);
  CoFreeUnusedLibrariesEx(0, 0);
  std::printf("%d short-lived threads loading and unloading the DLL, %d failed\n", count - count / 2, failed);
  ok = Compare(before, Measure(), count - count / 2, platform) && failed == 0 && ok;
  if (DllLoaded()) {
    std::printf("FAIL: the DLL stays loaded\n");
    return 1;
  }
  return ok ? 0 : 1;
}

// The same cycle with a class of the platform's own (no call made): what
// loading and unloading any in-process server costs here.
int Control(const wchar_t* prog_id, int cycles) {
  auto cycle = [prog_id] {
    if (std::wcsncmp(prog_id, L"typelib:", 8) != 0 && std::wcsstr(prog_id, L".dll")) {  // a system library alone
      HMODULE module = LoadLibraryW(prog_id);
      if (module) FreeLibrary(module);
      return module != nullptr;
    }
    if (std::wcsncmp(prog_id, L"typelib:", 8) == 0) {
      ITypeLib* library = nullptr;
      const HRESULT loaded = LoadTypeLibEx(prog_id + 8, REGKIND_NONE, &library);
      if (FAILED(loaded)) std::printf("LoadTypeLibEx %ls: 0x%08lx\n", prog_id + 8, static_cast<unsigned long>(loaded));
      if (FAILED(loaded)) return false;
      ITypeInfo* info = nullptr;
      if (SUCCEEDED(library->GetTypeInfo(0, &info))) {
        TYPEATTR* attr = nullptr;
        if (SUCCEEDED(info->GetTypeAttr(&attr))) info->ReleaseTypeAttr(attr);
        HREFTYPE ref = 0;
        ITypeInfo* base = nullptr;
        if (SUCCEEDED(info->GetRefTypeOfImplType(0, &ref)) && SUCCEEDED(info->GetRefTypeInfo(ref, &base)))
          base->Release();
        info->Release();
      }
      library->Release();
      return true;
    }
    IDispatch* object = Create(prog_id);
    wchar_t member[64] = L"";
    if (object && GetEnvironmentVariableW(L"TCALL", member, 64)) Call(object, member, {});
    if (object) object->Release();
    CoFreeUnusedLibrariesEx(0, 0);
    return object != nullptr;
  };
  for (int i = 0; i < 20; ++i) cycle();
  const ProcessResources before = Measure();
  const std::vector<ULONG_PTR> handles_before = HandleValues();
  int failed = 0;
  for (int i = 0; i < cycles; ++i) failed += cycle() ? 0 : 1;
  std::printf("%ls: %d create-release-free cycles, %d failed\n", prog_id, cycles, failed);
  Compare(before, Measure(), cycles);
  PrintNewHandles(handles_before, 6);
  return 0;
}

constexpr int kRacers = 8;
// A barrier of our own (Wine has no synchronization barrier): the last
// thread to arrive opens the gate for all.
LONG g_waiting = kRacers;
HANDLE g_gate = nullptr;
std::wstring g_answers[kRacers];
bool g_ok[kRacers];

DWORD WINAPI Racer(void* parameter) {
  const int index = static_cast<int>(reinterpret_cast<INT_PTR>(parameter));
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
  if (InterlockedDecrement(&g_waiting) == 0) SetEvent(g_gate);
  WaitForSingleObject(g_gate, INFINITE);
  g_answers[index] = UseEveryClass(g_ok[index]);
  CoUninitialize();
  return 0;
}

int Race() {
  g_gate = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE threads[kRacers];
  for (int i = 0; i < kRacers; ++i) {
    threads[i] = CreateThread(nullptr, 0, Racer, reinterpret_cast<void*>(static_cast<INT_PTR>(i)), 0, nullptr);
    if (!threads[i]) {
      std::printf("FAIL: cannot start thread %d\n", i);
      return 1;
    }
  }
  WaitForMultipleObjects(kRacers, threads, TRUE, INFINITE);
  for (HANDLE thread : threads) CloseHandle(thread);
  CloseHandle(g_gate);
  bool single_ok = false;
  const std::wstring expected = UseEveryClass(single_ok);
  int differing = 0;
  for (int i = 0; i < kRacers; ++i) {
    if (!g_ok[i] || g_answers[i] != expected) {
      ++differing;
      std::printf("FAIL: thread %d answered differently:\n%ls\n", i, g_answers[i].c_str());
    }
  }
  std::printf("answers of the single-threaded run:\n%ls", expected.c_str());
  std::printf("%d STA threads raced the first use; %d answered as one thread does\n", kRacers, kRacers - differing);
  if (!single_ok || expected.empty()) {
    std::printf("FAIL: the single-threaded run failed:\n%ls\n", expected.c_str());
    return 1;
  }
  return differing == 0 ? 0 : 1;
}

}  // namespace
}  // namespace tarn::lifetime

int main(int argc, char** argv) {
  using namespace tarn::lifetime;
  std::printf("%d-bit process\n", static_cast<int>(sizeof(void*) * 8));
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s unload N | threads N | race\n", argv[0]);
    return 2;
  }
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
  const int count = argc > 2 ? std::atoi(argv[2]) : 0;
  int code = 2;
  if (std::strcmp(argv[1], "unload") == 0 && count > 0) code = Unload(count);
  if (std::strcmp(argv[1], "threads") == 0 && count > 0) code = Threads(count);
  if (std::strcmp(argv[1], "race") == 0) code = Race();
  if (std::strcmp(argv[1], "control") == 0 && count > 0 && argc > 3) {
    wchar_t prog_id[128];
    std::mbstowcs(prog_id, argv[3], 127);
    prog_id[127] = 0;
    code = Control(prog_id, count);
  }
  CoUninitialize();
  std::printf("%s\n", code == 0 ? "PASS" : "FAIL");
  std::fflush(stdout);
  return code;
}
