// A mutex for state of the library that threads share. On Windows it is a
// slim reader/writer lock: it owns no kernel object and no memory, so a DLL
// unloaded with it leaves nothing behind (the toolchain's std::mutex would
// allocate on first use and never give it back). Elsewhere it is std::mutex.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include <mutex>
#endif

namespace tarn {

#ifdef _WIN32
class ModuleMutex {
 public:
  ModuleMutex() = default;
  ModuleMutex(const ModuleMutex&) = delete;
  ModuleMutex& operator=(const ModuleMutex&) = delete;
  void lock() noexcept { AcquireSRWLockExclusive(&lock_); }
  void unlock() noexcept { ReleaseSRWLockExclusive(&lock_); }

 private:
  SRWLOCK lock_ = SRWLOCK_INIT;
};
#else
using ModuleMutex = std::mutex;
#endif

}  // namespace tarn
