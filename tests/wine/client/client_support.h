// Shared pieces of the COM test client: the DLL under test, creation of its
// objects, and small owning helpers.
#pragma once

#include <windows.h>
#include <wrl/client.h>

#include <string>

#include "TarnLib_h.h"
#include "frame/com/bstr.h"
#include "frame/com/variant.h"

namespace tarn::client {

using Microsoft::WRL::ComPtr;
using tarn::com::Bstr;
using tarn::com::Variant;

// Path of the DLL under test (from --dll=).
const std::wstring& DllPath();
// The DLL under test, loaded into this process.
HMODULE DllModule();

template <typename Export>
Export DllExport(const char* name) {
  return reinterpret_cast<Export>(reinterpret_cast<void*>(GetProcAddress(DllModule(), name)));
}

// Creates an object of `clsid` through the DLL's own class factory, without
// the registry.
template <typename Interface>
ComPtr<Interface> CreateFromDll(const CLSID& clsid) {
  using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
  ComPtr<IClassFactory> factory;
  ComPtr<Interface> object;
  const auto get = DllExport<GetClassObject>("DllGetClassObject");
  if (get && SUCCEEDED(get(clsid, IID_PPV_ARGS(&factory)))) {
    factory->CreateInstance(nullptr, __uuidof(Interface), reinterpret_cast<void**>(object.GetAddressOf()));
  }
  return object;
}

// A new StringFunction object from the DLL's class factory.
inline ComPtr<_StringFunction> NewStringFunction() { return CreateFromDll<_StringFunction>(CLSID_StringFunction); }

// The module's answer to DllCanUnloadNow.
HRESULT CanUnloadNow();

// Description, source and GUID of the thread's error information; `present`
// false when there is none.
struct ErrorInfoSnapshot {
  bool present = false;
  std::wstring description;
  std::wstring source;
  GUID guid{};
};
ErrorInfoSnapshot TakeErrorInfo();

std::wstring Text(BSTR s);

// Frees the strings that Invoke left in exception information.
void ReleaseException(EXCEPINFO& exception);

// Calls a member by name through IDispatch::Invoke with positional arguments
// given in natural order.
HRESULT InvokeByName(IDispatch* object, const wchar_t* name, WORD flags, std::initializer_list<VARIANT> args,
                     VARIANT* result, EXCEPINFO* exception);

VARIANT BstrArg(const wchar_t* text);  // owned by the caller: VariantClear
VARIANT LongArg(LONG value);
VARIANT BoolArg(bool value);
VARIANT MissingArg();

}  // namespace tarn::client
