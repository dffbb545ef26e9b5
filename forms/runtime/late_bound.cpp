#include "forms/runtime/late_bound.h"

#include <dispex.h>
#include <wrl/client.h>

#include <new>
#include <string>

#include "frame/com/bstr.h"

namespace tarn::com {
namespace {

constexpr int32_t kErrWrongArgumentCount = 450;
constexpr int32_t kErrNamedArgumentNotFound = 448;
constexpr int32_t kErrNotACollection = 451;

[[noreturn]] void RaiseStandard(int32_t number) { throw MakeStandardError(number); }

[[noreturn]] void RaiseConversionFailure(HRESULT hr) {
  switch (hr) {
    case E_OUTOFMEMORY:
      throw std::bad_alloc();
    case DISP_E_OVERFLOW:
      RaiseStandard(kErrOverflow);
    default:
      RaiseStandard(kErrTypeMismatch);
  }
}

DISPID IdOf(IDispatch* object, std::u16string_view name) {
  if (!object) RaiseStandard(kErrObjectNotSet);
  std::u16string terminated(name);
  LPOLESTR names[] = {reinterpret_cast<LPOLESTR>(terminated.data())};
  DISPID id = DISPID_UNKNOWN;
  HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (hr == E_NOTIMPL) {
    // Script objects that resolve names only through IDispatchEx, as some
    // script engines' class instances do.
    Microsoft::WRL::ComPtr<IDispatchEx> extended;
    if (SUCCEEDED(object->QueryInterface(IID_PPV_ARGS(extended.GetAddressOf())))) {
      const Bstr text(name);
      hr = extended->GetDispID(text.get(), fdexNameCaseInsensitive, &id);
    }
  }
  if (hr == E_OUTOFMEMORY) throw std::bad_alloc();
  if (FAILED(hr)) RaiseStandard(kErrNoSuchMember);
  return id;
}

// Invoke with the exception information owned here.
Variant InvokeChecked(IDispatch* object, DISPID id, WORD flags, DISPPARAMS& params) {
  Variant result;
  EXCEPINFO exception{};
  UINT bad_argument = 0;
  const HRESULT hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                                    flags == DISPATCH_PROPERTYPUT ? nullptr : result.get(), &exception, &bad_argument);
  if (FAILED(hr)) RaiseDispatchFailure(hr, exception);
  return result;
}

}  // namespace

void RaiseDispatchFailure(HRESULT hr, EXCEPINFO& exception) {
  if (hr == DISP_E_EXCEPTION && exception.pfnDeferredFillIn) exception.pfnDeferredFillIn(&exception);
  // The strings become ours whatever happens next.
  Bstr description, source, help;
  *description.put() = exception.bstrDescription;
  *source.put() = exception.bstrSource;
  *help.put() = exception.bstrHelpFile;
  exception.bstrDescription = exception.bstrSource = exception.bstrHelpFile = nullptr;
  switch (hr) {
    case DISP_E_EXCEPTION: {
      int32_t number = exception.wCode;
      if (number == 0) {
        const auto code = static_cast<uint32_t>(exception.scode);
        number = (code & 0xFFFF0000u) == 0x800A0000u ? static_cast<int32_t>(code & 0xFFFFu)
                                                     : static_cast<int32_t>(exception.scode);
      }
      std::u16string text = description.get() ? std::u16string(description.view()) : StandardErrorText(number);
      std::u16string origin = source.get() ? std::u16string(source.view()) : std::u16string(kProjectSource);
      throw AutomationError(number, std::move(text), std::move(origin));
    }
    case DISP_E_MEMBERNOTFOUND:
    case DISP_E_UNKNOWNNAME:
      RaiseStandard(kErrNoSuchMember);
    case DISP_E_TYPEMISMATCH:
      RaiseStandard(kErrTypeMismatch);
    case DISP_E_OVERFLOW:
      RaiseStandard(kErrOverflow);
    case DISP_E_BADINDEX:
      RaiseStandard(kErrSubscript);
    case DISP_E_BADPARAMCOUNT:
      RaiseStandard(kErrWrongArgumentCount);
    case DISP_E_PARAMNOTOPTIONAL:
      RaiseStandard(kErrNotOptional);
    case DISP_E_PARAMNOTFOUND:
      RaiseStandard(kErrNamedArgumentNotFound);
    case DISP_E_NOTACOLLECTION:
      RaiseStandard(kErrNotACollection);
    case E_OUTOFMEMORY:
      throw std::bad_alloc();
    default:
      throw AutomationError(static_cast<int32_t>(hr), u"Automation error", std::u16string(kProjectSource));
  }
}

Variant GetProperty(IDispatch* object, std::u16string_view name) {
  const DISPID id = IdOf(object, name);
  DISPPARAMS params{nullptr, nullptr, 0, 0};
  return InvokeChecked(object, id, DISPATCH_PROPERTYGET | DISPATCH_METHOD, params);
}

void LetProperty(IDispatch* object, std::u16string_view name, const VARIANT& value) {
  const DISPID id = IdOf(object, name);
  VARIANT argument = value;  // a shallow view: Invoke does not take ownership
  DISPID put_id = DISPID_PROPERTYPUT;
  DISPPARAMS params{&argument, &put_id, 1, 1};
  InvokeChecked(object, id, DISPATCH_PROPERTYPUT, params);
}

Variant GetDefaultItem(IDispatch* object, int16_t position) {
  if (!object) RaiseStandard(kErrObjectNotSet);
  SHORT by_reference = position;
  VARIANT argument;
  V_VT(&argument) = VT_I2 | VT_BYREF;
  V_I2REF(&argument) = &by_reference;
  DISPPARAMS params{&argument, nullptr, 1, 0};
  return InvokeChecked(object, DISPID_VALUE, DISPATCH_PROPERTYGET | DISPATCH_METHOD, params);
}

std::u16string StringOf(const VARIANT& value) {
  const VARIANT* v = &value;
  while (V_VT(v) == (VT_VARIANT | VT_BYREF)) v = V_VARIANTREF(v);
  if ((V_VT(v) & ~VT_BYREF) == VT_NULL) RaiseStandard(kErrInvalidUseOfNull);
  Variant converted;
  const HRESULT hr = VariantChangeType(converted.get(), const_cast<VARIANT*>(v), 0, VT_BSTR);
  if (FAILED(hr)) RaiseConversionFailure(hr);
  return std::u16string(ViewOf(V_BSTR(converted.get())));
}

int32_t LongOf(const VARIANT& value) {
  const VARIANT* v = &value;
  while (V_VT(v) == (VT_VARIANT | VT_BYREF)) v = V_VARIANTREF(v);
  if ((V_VT(v) & ~VT_BYREF) == VT_NULL) RaiseStandard(kErrInvalidUseOfNull);
  Variant converted;
  const HRESULT hr = VariantChangeType(converted.get(), const_cast<VARIANT*>(v), 0, VT_I4);
  if (FAILED(hr)) RaiseConversionFailure(hr);
  return V_I4(converted.get());
}

FormValue FormValueOf(const VARIANT& value) {
  Variant plain = Variant::CopyOf(value);  // by-reference values dereferenced
  VARIANT* v = plain.get();
  switch (V_VT(v)) {
    case VT_EMPTY:
      return FormValue();
    case VT_NULL:
      return FormValue::Null();
    case VT_BOOL:
      return FormValue::Boolean(V_BOOL(v) != VARIANT_FALSE);
    case VT_UI1:
      return FormValue::Integer(V_UI1(v));
    case VT_I2:
      return FormValue::Integer(V_I2(v));
    case VT_I4:
      return FormValue::Long(V_I4(v));
    case VT_BSTR:
      return FormValue::String(std::u16string(ViewOf(V_BSTR(v))));
    case VT_I1:
    case VT_UI2:
    case VT_UI4:
    case VT_I8:
    case VT_UI8:
    case VT_INT:
    case VT_UINT:
    case VT_R4:
    case VT_R8:
    case VT_CY:
    case VT_DATE:
    case VT_DECIMAL: {
      Variant number;
      const HRESULT hr = VariantChangeType(number.get(), v, 0, VT_R8);
      if (FAILED(hr)) RaiseConversionFailure(hr);
      return FormValue::Double(V_R8(number.get()));
    }
    default:
      return FormValue::Other();
  }
}

Variant VariantOf(const FormValue& value) {
  Variant v;
  switch (value.kind()) {
    case FormValue::Kind::kEmpty:
      break;
    case FormValue::Kind::kNull:
      V_VT(v.get()) = VT_NULL;
      break;
    case FormValue::Kind::kBoolean:
      V_VT(v.get()) = VT_BOOL;
      V_BOOL(v.get()) = value.number() != 0 ? VARIANT_TRUE : VARIANT_FALSE;
      break;
    case FormValue::Kind::kInteger:
      V_VT(v.get()) = VT_I2;
      V_I2(v.get()) = static_cast<SHORT>(value.number());
      break;
    case FormValue::Kind::kLong:
      V_VT(v.get()) = VT_I4;
      V_I4(v.get()) = static_cast<LONG>(value.number());
      break;
    case FormValue::Kind::kDouble:
      V_VT(v.get()) = VT_R8;
      V_R8(v.get()) = value.number();
      break;
    case FormValue::Kind::kString:
      V_BSTR(v.get()) = Bstr(value.text()).release();
      V_VT(v.get()) = VT_BSTR;
      break;
    case FormValue::Kind::kOther:
      RaiseStandard(kErrTypeMismatch);
  }
  return v;
}

IDispatch* ObjectOf(const VARIANT& value) {
  const VARIANT* v = &value;
  while (V_VT(v) == (VT_VARIANT | VT_BYREF)) v = V_VARIANTREF(v);
  IUnknown* unknown = nullptr;
  switch (V_VT(v)) {
    case VT_EMPTY:
      return nullptr;
    case VT_DISPATCH:
      unknown = V_DISPATCH(v);
      break;
    case VT_UNKNOWN:
      unknown = V_UNKNOWN(v);
      break;
    case VT_DISPATCH | VT_BYREF:
      unknown = *V_DISPATCHREF(v);
      break;
    case VT_UNKNOWN | VT_BYREF:
      unknown = *V_UNKNOWNREF(v);
      break;
    default:
      RaiseStandard(kErrTypeMismatch);
  }
  if (!unknown) return nullptr;
  IDispatch* object = nullptr;
  if (FAILED(unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&object)))) {
    RaiseStandard(kErrTypeMismatch);
  }
  return object;
}

}  // namespace tarn::com
