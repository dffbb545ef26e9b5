// What DllRegisterServer writes and DllUnregisterServer removes, under
// HKEY_CLASSES_ROOT: the type library for its locale and for the neutral
// locale (which the type-library marshaler asks for), its interfaces (for
// type-library marshalling), and for every class of the library its CLSID with
// an apartment-threaded in-process server, and the ProgIDs TarnLib.<Class> and
// TarnLib.<Class>.<major version>. The classes are read from the embedded type
// library, so the list is the IDL's.
//
// The 32- and 64-bit DLLs register side by side: each type library names its
// own target system (win32 or win64 entries) and CLSID keys live in each
// bitness's registry view; the keys both bitnesses use (ProgIDs, the type
// library's version key, the interfaces, which are the same for both) are
// removed only with the last bitness.
#pragma once

#include <windows.h>

namespace tarn::com {

HRESULT RegisterServer() noexcept;
HRESULT UnregisterServer() noexcept;

}  // namespace tarn::com
