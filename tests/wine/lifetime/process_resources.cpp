#include "tests/wine/lifetime/process_resources.h"

#include <algorithm>
#include <string>
#include <vector>

namespace tarn::lifetime {

long FreeTlsSlots() {
  std::vector<DWORD> taken;
  taken.reserve(2048);
  for (;;) {
    const DWORD slot = TlsAlloc();
    if (slot == TLS_OUT_OF_INDEXES) break;
    taken.push_back(slot);
  }
  for (const DWORD slot : taken) TlsFree(slot);
  return static_cast<long>(taken.size());
}

namespace {

// The sum of committed private regions: the heap's growth shows here whatever
// the platform reports as "private bytes".
int64_t CommittedPrivateBytes() {
  int64_t total = 0;
  MEMORY_BASIC_INFORMATION info;
  const char* address = nullptr;
  while (VirtualQuery(address, &info, sizeof info) == sizeof info) {
    if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) total += static_cast<int64_t>(info.RegionSize);
    const char* next = static_cast<const char*>(info.BaseAddress) + info.RegionSize;
    if (next <= address) break;
    address = next;
  }
  return total;
}

// The kind of object a handle refers to ("Event", "Thread", ...), from
// NtQueryObject; empty when it cannot be told.
std::wstring HandleKind(HANDLE handle) {
  using Query = LONG(NTAPI*)(HANDLE, int, void*, ULONG, ULONG*);
  static const auto query =
      reinterpret_cast<Query>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryObject")));
  alignas(8) unsigned char buffer[1024];
  if (!query || query(handle, 2 /* ObjectTypeInformation */, buffer, sizeof buffer, nullptr) < 0) return {};
  struct Name {
    USHORT length;
    USHORT maximum;
    const wchar_t* text;
  };
  const auto* name = reinterpret_cast<const Name*>(buffer);
  return std::wstring(name->text, name->length / sizeof(wchar_t));
}

}  // namespace

std::vector<ULONG_PTR> HandleValues() {
  std::vector<ULONG_PTR> values;
  ULONG_PTR unused_run = 0;
  for (ULONG_PTR value = 4; unused_run < 4096; value += 4) {
    DWORD flags = 0;
    if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) {
      values.push_back(value);
      unused_run = 0;
    } else {
      ++unused_run;
    }
  }
  return values;
}

void PrintNewHandles(const std::vector<ULONG_PTR>& before, size_t most) {
  size_t shown = 0;
  for (const ULONG_PTR value : HandleValues()) {
    if (std::find(before.begin(), before.end(), value) != before.end()) continue;
    std::printf("  new handle 0x%llx: %ls\n", static_cast<unsigned long long>(value),
                HandleKind(reinterpret_cast<HANDLE>(value)).c_str());
    if (++shown == most) break;
  }
}

ProcessResources Measure() {
  ProcessResources r;
  r.tls_free = FreeTlsSlots();
  DWORD handles = 0;
  GetProcessHandleCount(GetCurrentProcess(), &handles);
  // Wine answers GetProcessHandleCount with 0: then the handles are counted one by one.
  r.handles = handles != 0 ? static_cast<long>(handles) : static_cast<long>(HandleValues().size());
  r.private_bytes = CommittedPrivateBytes();
  return r;
}

void Print(const char* label, const ProcessResources& r) {
  std::printf("%-28s free TLS slots %5ld, handles %5ld, private bytes %10lld\n", label, r.tls_free, r.handles,
              static_cast<long long>(r.private_bytes));
}

}  // namespace tarn::lifetime
