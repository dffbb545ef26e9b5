#include "frame/win32/thread_runtime.h"

#include <cstdint>
#include <exception>

// The runtime's release of its emergency exception pool (memory it takes on
// load for throwing when the heap is exhausted and otherwise never frees).
namespace __gnu_cxx {
void __freeres() noexcept;
}

namespace {

// The layout the runtime expects of a thread's exception state.
struct EhGlobals {
  void* caught_exceptions;
  unsigned int uncaught_exceptions;
};

// Each thread's block, linked so that unloading can free the blocks of
// threads that are still running.
struct ThreadBlock {
  EhGlobals globals;
  ThreadBlock* next;
  ThreadBlock* previous;
};

DWORD g_slot = TLS_OUT_OF_INDEXES;
SRWLOCK g_blocks_lock = SRWLOCK_INIT;
ThreadBlock* g_blocks = nullptr;

void Unlink(ThreadBlock* block) noexcept {
  if (block->previous) {
    block->previous->next = block->next;
  } else {
    g_blocks = block->next;
  }
  if (block->next) block->next->previous = block->previous;
}

// TlsGetValue clears the thread's last error: a throw must leave it as the
// failed call that led to it set it.
ThreadBlock* ThisThreadBlock() noexcept {
  const DWORD last_error = GetLastError();
  auto* block = static_cast<ThreadBlock*>(TlsGetValue(g_slot));
  SetLastError(last_error);
  return block;
}

ThreadBlock* NewBlock() noexcept {
  auto* block = static_cast<ThreadBlock*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(ThreadBlock)));
  if (!block) return nullptr;
  AcquireSRWLockExclusive(&g_blocks_lock);
  block->next = g_blocks;
  if (g_blocks) g_blocks->previous = block;
  g_blocks = block;
  ReleaseSRWLockExclusive(&g_blocks_lock);
  const DWORD last_error = GetLastError();
  TlsSetValue(g_slot, block);
  SetLastError(last_error);
  return block;
}

// Guards of function-local statics: byte 0 says "initialized" (the compiler
// tests it inline), byte 1 "being initialized by some thread".
SRWLOCK g_guard_lock = SRWLOCK_INIT;
CONDITION_VARIABLE g_guard_done = CONDITION_VARIABLE_INIT;

SRWLOCK g_once_lock = SRWLOCK_INIT;

unsigned char* GuardBytes(int64_t* guard) noexcept { return reinterpret_cast<unsigned char*>(guard); }

}  // namespace

extern "C" {

// The runtime asks for the calling thread's exception state on every throw
// and catch. Without memory for it no exception can be handled at all.
EhGlobals* __cxa_get_globals_fast() noexcept {
  auto* block = ThisThreadBlock();
  return block ? &block->globals : nullptr;
}

EhGlobals* __cxa_get_globals() noexcept {
  auto* block = ThisThreadBlock();
  if (!block) block = NewBlock();
  if (!block) std::terminate();
  return &block->globals;
}

int __cxa_guard_acquire(int64_t* guard) noexcept {
  unsigned char* bytes = GuardBytes(guard);
  if (__atomic_load_n(&bytes[0], __ATOMIC_ACQUIRE)) return 0;
  AcquireSRWLockExclusive(&g_guard_lock);
  int initialize = 0;
  for (;;) {
    if (bytes[0]) break;
    if (!bytes[1]) {
      bytes[1] = 1;
      initialize = 1;
      break;
    }
    SleepConditionVariableSRW(&g_guard_done, &g_guard_lock, INFINITE, 0);
  }
  ReleaseSRWLockExclusive(&g_guard_lock);
  return initialize;
}

void __cxa_guard_release(int64_t* guard) noexcept {
  unsigned char* bytes = GuardBytes(guard);
  AcquireSRWLockExclusive(&g_guard_lock);
  bytes[1] = 0;
  __atomic_store_n(&bytes[0], 1, __ATOMIC_RELEASE);
  ReleaseSRWLockExclusive(&g_guard_lock);
  WakeAllConditionVariable(&g_guard_done);
}

// The initializer threw: another thread may try again.
void __cxa_guard_abort(int64_t* guard) noexcept {
  AcquireSRWLockExclusive(&g_guard_lock);
  GuardBytes(guard)[1] = 0;
  ReleaseSRWLockExclusive(&g_guard_lock);
  WakeAllConditionVariable(&g_guard_done);
}

// One-time initializations of the runtime's 32-bit unwinder (registering the
// module's unwind tables on load, its register table on the first throw):
// the threading layer's pthread_once would give the calling thread a
// threading-layer identity (a TLS slot, an event and a duplicated thread
// handle) that is never given back. The link redirects the runtime's calls
// here (--wrap=pthread_once). The initializers run under one lock; they do
// not start other one-time initializations.

int __wrap_pthread_once(long* once, void (*initialize)()) noexcept {
  if (__atomic_load_n(once, __ATOMIC_ACQUIRE) == 1) return 0;
  AcquireSRWLockExclusive(&g_once_lock);
  if (*once != 1) {
    initialize();
    __atomic_store_n(once, 1, __ATOMIC_RELEASE);
  }
  ReleaseSRWLockExclusive(&g_once_lock);
  return 0;
}

}  // extern "C"

namespace tarn::com {

bool ThreadRuntimeAttach() noexcept {
  g_slot = TlsAlloc();
  return g_slot != TLS_OUT_OF_INDEXES;
}

void ThreadRuntimeThreadDetach() noexcept {
  auto* block = static_cast<ThreadBlock*>(TlsGetValue(g_slot));
  if (!block) return;
  TlsSetValue(g_slot, nullptr);
  AcquireSRWLockExclusive(&g_blocks_lock);
  Unlink(block);
  ReleaseSRWLockExclusive(&g_blocks_lock);
  HeapFree(GetProcessHeap(), 0, block);
}

void ThreadRuntimeDetach(bool process_exit) noexcept {
  if (process_exit || g_slot == TLS_OUT_OF_INDEXES) return;
  // No code of the module runs any more: every thread's block goes.
  AcquireSRWLockExclusive(&g_blocks_lock);
  while (g_blocks) {
    ThreadBlock* block = g_blocks;
    Unlink(block);
    HeapFree(GetProcessHeap(), 0, block);
  }
  ReleaseSRWLockExclusive(&g_blocks_lock);
  TlsFree(g_slot);
  g_slot = TLS_OUT_OF_INDEXES;
  __gnu_cxx::__freeres();
}

}  // namespace tarn::com
