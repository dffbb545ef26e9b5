// What DllRegisterServer writes and DllUnregisterServer removes, under
// HKEY_CLASSES_ROOT: the type library with its interfaces (for type-library
// marshalling), and for every class of the library its CLSID with an
// apartment-threaded in-process server, and the ProgIDs TarnLib.<Class> and
// TarnLib.<Class>.<major version>. The classes are read from the embedded type
// library, so the list is the IDL's.
#pragma once

#include <windows.h>

namespace tarn::com {

HRESULT RegisterServer() noexcept;
HRESULT UnregisterServer() noexcept;

}  // namespace tarn::com
