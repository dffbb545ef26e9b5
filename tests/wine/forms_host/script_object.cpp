#include "tests/wine/forms_host/script_object.h"

#include <cwchar>

namespace tarn::client {

using com::Variant;

Microsoft::WRL::ComPtr<ScriptObject> ScriptObject::Create() {
  Microsoft::WRL::ComPtr<ScriptObject> object;
  object.Attach(new ScriptObject());
  return object;
}

void ScriptObject::Define(const std::wstring& name, Getter get, Setter put) {
  members_.push_back({name, std::move(get), std::move(put)});
}

HRESULT ScriptObject::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch)) {
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG ScriptObject::Release() {
  const LONG left = InterlockedDecrement(&references_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

HRESULT ScriptObject::GetTypeInfoCount(UINT* count) {
  *count = 0;
  return S_OK;
}

HRESULT ScriptObject::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  *info = nullptr;
  return E_NOTIMPL;
}

HRESULT ScriptObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  if (count != 1) return E_INVALIDARG;
  for (size_t i = 0; i < members_.size(); ++i) {
    if (_wcsicmp(members_[i].name.c_str(), names[0]) == 0) {
      ids[0] = static_cast<DISPID>(i + 1);
      return S_OK;
    }
  }
  ids[0] = DISPID_UNKNOWN;
  return DISP_E_UNKNOWNNAME;
}

HRESULT ScriptObject::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                             EXCEPINFO* exception, UINT*) {
  flags_seen_.push_back(flags);
  try {
    if (id == DISPID_VALUE) {
      if (!item_) return DISP_E_MEMBERNOTFOUND;
      if (params->cArgs != 1) return DISP_E_BADPARAMCOUNT;
      Variant value = item_(params->rgvarg[0]);
      if (result) *result = value.release();
      return S_OK;
    }
    if (id < 1 || static_cast<size_t>(id) > members_.size()) return DISP_E_MEMBERNOTFOUND;
    const Member& member = members_[static_cast<size_t>(id - 1)];
    if (flags & DISPATCH_PROPERTYPUT) {
      if (!member.put) return DISP_E_MEMBERNOTFOUND;
      if (params->cArgs != 1) return DISP_E_BADPARAMCOUNT;
      member.put(params->rgvarg[0]);
      return S_OK;
    }
    if (params->cArgs != 0) return DISP_E_BADPARAMCOUNT;
    Variant value = member.get();
    if (result) *result = value.release();
    return S_OK;
  } catch (const ScriptError& error) {
    if (!exception) return error.scode;
    *exception = EXCEPINFO{};
    exception->scode = error.scode;
    exception->bstrSource = SysAllocString(L"FormsHost");
    exception->bstrDescription = SysAllocString(error.description.c_str());
    return DISP_E_EXCEPTION;
  }
}

Variant StringValue(const std::wstring& text) {
  Variant v;
  V_VT(v.get()) = VT_BSTR;
  V_BSTR(v.get()) = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return v;
}

Variant LongValue(LONG value) {
  Variant v;
  V_VT(v.get()) = VT_I4;
  V_I4(v.get()) = value;
  return v;
}

Variant IntegerValue(SHORT value) {
  Variant v;
  V_VT(v.get()) = VT_I2;
  V_I2(v.get()) = value;
  return v;
}

Variant ObjectValue(IDispatch* object) {
  Variant v;
  V_VT(v.get()) = VT_DISPATCH;
  V_DISPATCH(v.get()) = object;
  if (object) object->AddRef();
  return v;
}

}  // namespace tarn::client
