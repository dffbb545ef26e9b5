// The C++ runtime's per-thread and per-process state, kept by the module on
// the platform's own primitives instead of the toolchain's threading layer.
//
// The compiler's runtime would keep the exception state of each thread in
// emulated thread-local storage, backed by the threading layer's keys: a TLS
// slot per load, and per thread an event and a duplicated thread handle, none
// of which is given back when the DLL is unloaded. Function-local statics
// would be guarded by that layer's mutex and condition variable (semaphores,
// never closed). Here the module defines those runtime entry points itself:
// one TLS slot taken on load and freed on unload, a small block per thread
// freed when the thread ends or the DLL is unloaded, and guards on a slim
// reader/writer lock and a condition variable, which own no kernel object.
// The runtime's emergency exception pool, allocated on load, is freed on
// unload.
#pragma once

#include <windows.h>

namespace tarn::com {

// From DllMain. Attach fails when no TLS slot is left.
bool ThreadRuntimeAttach() noexcept;
void ThreadRuntimeThreadDetach() noexcept;
// `process_exit`: the process is ending (other threads are already gone and
// nothing needs giving back); otherwise the DLL is being unloaded.
void ThreadRuntimeDetach(bool process_exit) noexcept;

}  // namespace tarn::com
