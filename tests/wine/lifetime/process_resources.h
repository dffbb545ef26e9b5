// What a process holds that a loaded and unloaded library could leave behind:
// free thread-local storage slots, open handles and committed private memory.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <vector>

namespace tarn::lifetime {

struct ProcessResources {
  long tls_free = 0;          // slots TlsAlloc can still hand out
  long handles = 0;           // open handles of the process
  int64_t private_bytes = 0;  // committed private pages (heaps, stacks, VirtualAlloc)
};

// Counts the free slots by taking every one and giving them back.
long FreeTlsSlots();
ProcessResources Measure();
// Values of the open handles: handle values are multiples of 4 handed out
// lowest first, so the scan stops after a long run of values that are not
// handles.
std::vector<ULONG_PTR> HandleValues();
// Prints up to `most` handles opened since `before` was taken, with their kind.
void PrintNewHandles(const std::vector<ULONG_PTR>& before, size_t most);
void Print(const char* label, const ProcessResources& r);

}  // namespace tarn::lifetime
