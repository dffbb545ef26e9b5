// Base of every class: reference counting, QueryInterface over the class's
// dual interface, IDispatch through the table read from the type information
// of the embedded type library (the type library is the only table of
// dispatch ids), ISupportErrorInfo, and the module's count of live objects.
// A class with a class entry in the type library (`ClassId` not null) also
// answers IProvideClassInfo with that entry's type information, as object
// browsers and hosts expect; one without (clsExItem) does not.
#pragma once

#include <windows.h>
// After windows.h: IProvideClassInfo's GetClassInfo and user32's macro of the
// same name must agree.
#include <ocidl.h>

#include <utility>

#include "frame/com/dispatch_table.h"
#include "frame/com/dispatcher.h"
#include "frame/com/module.h"

namespace tarn::com {

// Whether a class has a class entry, known at compile time.
template <const CLSID* ClassId>
inline constexpr bool kHasClassEntry = true;
template <>
inline constexpr bool kHasClassEntry<nullptr> = false;

template <typename Derived, typename Interface, const CLSID* ClassId = nullptr>
class DispatchObject : public Interface, public ISupportErrorInfo, public IProvideClassInfo {
 public:
  static const IID& InterfaceId() noexcept { return __uuidof(Interface); }

  // Creates an object with one reference, owned by the caller.
  template <typename... Args>
  static Derived* Create(Args&&... args) {
    return new Derived(std::forward<Args>(args)...);
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, InterfaceId())) {
      *object = static_cast<Interface*>(this);
    } else if (IsEqualIID(riid, IID_ISupportErrorInfo)) {
      *object = static_cast<ISupportErrorInfo*>(this);
    } else if (kHasClassEntry<ClassId> && IsEqualIID(riid, IID_IProvideClassInfo)) {
      *object = static_cast<IProvideClassInfo*>(this);
    } else {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }

  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete static_cast<Derived*>(this);
    return static_cast<ULONG>(left);
  }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
    if (!info) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    const HRESULT hr = CachedTypeInfo(InterfaceId(), info);
    if (SUCCEEDED(hr)) (*info)->AddRef();
    return hr;
  }

  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    const DispatchTable* table = DispatchTable::Of(InterfaceId());
    if (!table) return E_UNEXPECTED;
    return table->IdsOfNames(names, count, ids);
  }

  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO* exception, UINT* bad_argument) override {
    const DispatchTable* table = DispatchTable::Of(InterfaceId());
    if (!table) return E_UNEXPECTED;
    // Argument conversion may call back into the client before the member's
    // own frame starts; the object stays alive across all of it.
    AddRef();
    const HRESULT hr =
        InvokeMember(*table, static_cast<Interface*>(this), id, flags, params, result, exception, bad_argument);
    Release();
    return hr;
  }

  HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override {
    return IsEqualIID(riid, InterfaceId()) ? S_OK : S_FALSE;
  }

  // The class entry (coclass) of the embedded type library.
  HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** info) override {
    if (!info) return E_POINTER;
    *info = nullptr;
    if constexpr (kHasClassEntry<ClassId>) {
      const HRESULT hr = CachedTypeInfo(*ClassId, info);
      if (SUCCEEDED(hr)) (*info)->AddRef();
      return hr;
    } else {
      return E_NOTIMPL;
    }
  }

 protected:
  DispatchObject() noexcept { ObjectCreated(); }
  virtual ~DispatchObject() { ObjectDestroyed(); }

  Interface* Self() noexcept { return static_cast<Interface*>(this); }

 private:
  LONG references_ = 1;
};

}  // namespace tarn::com
