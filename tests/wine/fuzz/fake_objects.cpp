#include "tests/wine/fuzz/fake_objects.h"

#include <climits>

namespace tarn::fuzz {

IUnknown* FakeUnknown::Create() { return new FakeUnknown(); }

HRESULT STDMETHODCALLTYPE FakeUnknown::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!IsEqualIID(iid, IID_IUnknown)) return E_NOINTERFACE;
  *out = static_cast<IUnknown*>(this);
  AddRef();
  return S_OK;
}

ULONG STDMETHODCALLTYPE FakeUnknown::AddRef() { return ++references_; }

ULONG STDMETHODCALLTYPE FakeUnknown::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

IDispatch* FakeDispatch::Create(uint64_t seed, const AnswerLimits* limits) { return new FakeDispatch(seed, limits); }

HRESULT STDMETHODCALLTYPE FakeDispatch::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDispatch)) return E_NOINTERFACE;
  *out = static_cast<IDispatch*>(this);
  AddRef();
  return S_OK;
}

ULONG STDMETHODCALLTYPE FakeDispatch::AddRef() { return ++references_; }

ULONG STDMETHODCALLTYPE FakeDispatch::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT STDMETHODCALLTYPE FakeDispatch::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE FakeDispatch::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info) *info = nullptr;
  return DISP_E_BADINDEX;
}

HRESULT STDMETHODCALLTYPE FakeDispatch::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  if (!names || !ids) return E_POINTER;
  // Every name is known, one in eight not: both roads of a late-bound read.
  for (UINT i = 0; i < count; ++i) ids[i] = static_cast<DISPID>(i + 1 + random_() % 4);
  return random_() % 8 == 0 ? DISP_E_UNKNOWNNAME : S_OK;
}

HRESULT STDMETHODCALLTYPE FakeDispatch::Invoke(DISPID, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                               EXCEPINFO* exception, UINT*) {
  if (!params) return E_INVALIDARG;
  const unsigned pick = static_cast<unsigned>(random_() % 14);
  if (pick == 0) return DISP_E_MEMBERNOTFOUND;
  if (pick == 1) {
    if (exception) {
      *exception = EXCEPINFO{};
      exception->scode = static_cast<SCODE>(0x800A0005);  // error 5, from the control
      exception->bstrDescription = SysAllocString(L"raised by the test object");
      exception->bstrSource = SysAllocString(L"FakeDispatch");
    }
    return DISP_E_EXCEPTION;
  }
  if (!(flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD)) || !result) return S_OK;
  VariantInit(result);
  const bool small = limits_->small_numbers;
  switch (pick) {
    case 2:
      break;  // Empty
    case 3:
      V_VT(result) = VT_NULL;
      break;
    case 4:
      V_VT(result) = VT_I4;
      V_I4(result) = small ? 7 : INT_MAX;
      break;
    case 5:
      V_VT(result) = VT_I4;
      V_I4(result) = -1;
      break;
    case 6:
      V_VT(result) = VT_I4;
      V_I4(result) = static_cast<LONG>(reinterpret_cast<INT_PTR>(limits_->window));
      break;
    case 7:
      V_VT(result) = VT_I2;
      V_I2(result) = static_cast<SHORT>(random_() % 5);
      break;
    case 8:
      V_VT(result) = VT_BSTR;
      V_BSTR(result) = SysAllocString(limits_->no_names ? L"x.invalid" : L"Text1");
      break;
    case 9:
      V_VT(result) = VT_BSTR;
      V_BSTR(result) = SysAllocString(L"");
      break;
    case 10:
      V_VT(result) = VT_BOOL;
      V_BOOL(result) = VARIANT_TRUE;
      break;
    case 11:
      V_VT(result) = VT_R8;
      V_R8(result) = small ? 2.5 : 1e300;
      break;
    case 12:
      V_VT(result) = VT_DISPATCH;
      V_DISPATCH(result) = this;
      AddRef();
      break;
    default:
      V_VT(result) = VT_I4;
      V_I4(result) = static_cast<LONG>(random_() % 100);
      break;
  }
  return S_OK;
}

}  // namespace tarn::fuzz
