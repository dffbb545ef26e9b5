#include "frame/com/dispatcher.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

#include "frame/com/slot_call.h"

namespace tarn::com {
namespace {

constexpr UINT kInlineParams = 16;
constexpr UINT kMostNamed = 64;

// Where a Variant keeps its value; a Decimal fills the whole Variant.
void* ValueAddress(VARIANT& v) noexcept {
  return (V_VT(&v) & VT_TYPEMASK) == VT_DECIMAL ? static_cast<void*>(&V_DECIMAL(&v)) : static_cast<void*>(&V_UI1(&v));
}

// Size of a value of `type` held directly in a Variant, or 0 when it must
// not be lent bit for bit.
size_t ValueSize(VARTYPE type) noexcept {
  if (type & VT_ARRAY) return sizeof(SAFEARRAY*);
  switch (type) {
    case VT_I1:
    case VT_UI1:
      return 1;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
      return 2;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_R4:
    case VT_ERROR:
      return 4;
    case VT_I8:
    case VT_UI8:
    case VT_R8:
    case VT_CY:
    case VT_DATE:
      return 8;
    case VT_BSTR:
    case VT_DISPATCH:
    case VT_UNKNOWN:
      return sizeof(void*);
    default:
      return 0;
  }
}

// Lends the value of `type` at `from` to `to`, without a copy of what it
// refers to. False when the type cannot be lent.
bool Lend(VARTYPE type, const void* from, VARIANTARG& to) noexcept {
  const size_t size = ValueSize(type);
  if (size == 0 || !from) return false;
  std::memset(&to, 0, sizeof(to));
  V_VT(&to) = type;
  std::memcpy(&V_UI1(&to), from, size);
  return true;
}

bool IsMissing(const VARIANTARG& v) noexcept { return V_VT(&v) == VT_ERROR && V_ERROR(&v) == DISP_E_PARAMNOTFOUND; }

// One parameter's slot: the Variant the v-table slot reads, and a value the
// dispatcher owns (a converted copy, or the target of a by-reference slot).
// A caller's array storage that held no array yet gets the array the member
// leaves in `owned` (see TakeVariantArray): `array_home` or `variable_home`
// names where it goes, `placeholder` the address of the array lent before the
// call. A member builds its new array before it destroys the one it replaces
// (ReplaceStringArray does), so the two never share an address.
struct Slot {
  VARIANTARG value;
  VARIANT owned;
  SAFEARRAY** array_home;
  VARIANT* variable_home;
  uintptr_t placeholder;
};

// Slots for one call, on the stack for every member of reasonable size; what
// they own is cleared when the call is over.
class CallSlots {
 public:
  CallSlots(const DispatchParam* params, UINT count) : count_(count) {
    if (count > kInlineParams) {
      heap_slots_.resize(count);
      heap_pointers_.resize(count);
      heap_types_.resize(count);
      slots_ = heap_slots_.data();
      pointers_ = heap_pointers_.data();
      types_ = heap_types_.data();
    }
    for (UINT i = 0; i < count; ++i) {
      VariantInit(&slots_[i].value);
      VariantInit(&slots_[i].owned);
      slots_[i].array_home = nullptr;
      slots_[i].variable_home = nullptr;
      slots_[i].placeholder = 0;
      pointers_[i] = &slots_[i].value;
      types_[i] = params[i].type;
    }
  }
  CallSlots(const CallSlots&) = delete;
  CallSlots& operator=(const CallSlots&) = delete;
  ~CallSlots() {
    for (UINT i = 0; i < count_; ++i) VariantClear(&slots_[i].owned);
  }

  Slot& operator[](UINT i) noexcept { return slots_[i]; }
  // After the member ran: an array it left in place of a placeholder moves
  // to the caller's storage.
  void HandBackArrays() noexcept {
    for (UINT i = 0; i < count_; ++i) {
      Slot& slot = slots_[i];
      if (!slot.placeholder || reinterpret_cast<uintptr_t>(V_ARRAY(&slot.owned)) == slot.placeholder) continue;
      SAFEARRAY* made = V_ARRAY(&slot.owned);
      V_VT(&slot.owned) = VT_EMPTY;
      if (!made) continue;
      if (slot.array_home) {
        *slot.array_home = made;
      } else {
        VARTYPE type = VT_VARIANT;
        SafeArrayGetVartype(made, &type);
        V_VT(slot.variable_home) = VT_ARRAY | type;
        V_ARRAY(slot.variable_home) = made;
      }
    }
  }
  VARIANTARG*& pointer(UINT i) noexcept { return pointers_[i]; }
  VARIANTARG** pointers() noexcept { return pointers_; }
  VARTYPE* types() noexcept { return types_; }

 private:
  UINT count_;
  std::array<Slot, kInlineParams> inline_slots_;
  std::array<VARIANTARG*, kInlineParams> inline_pointers_;
  std::array<VARTYPE, kInlineParams> inline_types_;
  std::vector<Slot> heap_slots_;
  std::vector<VARIANTARG*> heap_pointers_;
  std::vector<VARTYPE> heap_types_;
  Slot* slots_ = inline_slots_.data();
  VARIANTARG** pointers_ = inline_pointers_.data();
  VARTYPE* types_ = inline_types_.data();
};

// Points a by-reference slot of `type` at the value the dispatcher owns.
void PointAtOwned(VARTYPE type, Slot& slot) noexcept {
  V_VT(&slot.value) = type;
  V_BYREF(&slot.value) = type == (VT_BYREF | VT_VARIANT) ? static_cast<void*>(&slot.owned) : ValueAddress(slot.owned);
}

// A caller's Variant array, or a variable that is Empty, taken into a
// by-reference array parameter of another element type (ParseString's String
// array, as a script calls it): scripts have only Variant arrays. The member
// gets the caller's own array in place, and decides what it accepts (fixed
// arrays are refused there, with the member's error). Where the caller has no
// array yet, the member gets a new empty dynamic array of Variants, which
// tells it the kind of array to make; what it makes goes to the caller's
// storage after the call. False when `arg` is not such an argument.
bool TakeVariantArray(VARTYPE want, VARIANTARG& arg, Slot& slot, HRESULT& hr) noexcept {
  if (!(want & VT_BYREF) || !(want & VT_ARRAY) || (want & VT_TYPEMASK) == VT_VARIANT) return false;
  constexpr VARTYPE kVariantArray = VT_ARRAY | VT_VARIANT;
  SAFEARRAY** home = nullptr;
  VARIANT* variable = nullptr;
  if (V_VT(&arg) == (VT_BYREF | kVariantArray)) {
    home = V_ARRAYREF(&arg);
  } else if (V_VT(&arg) == (VT_BYREF | VT_VARIANT)) {
    VARIANT* inner = V_VARIANTREF(&arg);
    if (V_VT(inner) == kVariantArray) {
      home = &V_ARRAY(inner);
    } else if (V_VT(inner) == (VT_BYREF | kVariantArray) && V_ARRAYREF(inner)) {
      home = V_ARRAYREF(inner);  // a script's array variable declared with Dim a()
    } else if (V_VT(inner) == VT_EMPTY) {
      variable = inner;
    } else {
      return false;
    }
  } else {
    return false;
  }
  V_VT(&slot.value) = want;
  if (home && *home) {
    V_BYREF(&slot.value) = home;
    hr = S_OK;
    return true;
  }
  SAFEARRAYBOUND none{0, 0};
  SAFEARRAY* placeholder = SafeArrayCreate(VT_VARIANT, 1, &none);
  if (!placeholder) {
    hr = E_OUTOFMEMORY;
    return true;
  }
  V_VT(&slot.owned) = kVariantArray;
  V_ARRAY(&slot.owned) = placeholder;
  V_BYREF(&slot.value) = &V_ARRAY(&slot.owned);
  slot.placeholder = reinterpret_cast<uintptr_t>(placeholder);
  slot.array_home = home;
  slot.variable_home = variable;
  hr = S_OK;
  return true;
}

// An object without IDispatch where the parameter takes one fails the
// conversion with E_NOINTERFACE, which clients show as an unexplained error:
// it is an argument of the wrong type, as for any other value that does not
// convert, and clients report it as error 13, "Type mismatch".
HRESULT ConversionResult(HRESULT hr) noexcept { return hr == E_NOINTERFACE ? DISP_E_TYPEMISMATCH : hr; }

// Takes an argument the caller passed into the slot of `param`.
HRESULT TakeArgument(const DispatchParam& param, VARIANTARG& arg, Slot& slot, VARIANTARG*& pointer) noexcept {
  const VARTYPE want = param.type;
  const VARTYPE have = V_VT(&arg);
  // A reference to nothing would reach the member as a null pointer to write
  // through.
  if ((have & VT_BYREF) && !V_BYREF(&arg)) return E_INVALIDARG;
  // Nor may a Variant reference lead to one: conversions and copies follow it.
  if (have == (VT_BYREF | VT_VARIANT)) {
    const VARIANT& inner = *V_VARIANTREF(&arg);
    if ((V_VT(&inner) & VT_BYREF) && !V_BYREF(&inner)) return E_INVALIDARG;
  }
  if (have == want) {
    pointer = &arg;  // the caller's own Variant, by value or by reference
    return S_OK;
  }
  pointer = &slot.value;
  if (want == VT_VARIANT) {
    slot.value = arg;  // lent: the member reads an [in] Variant and never changes it
    return S_OK;
  }
  if (want == (VT_BYREF | VT_VARIANT)) {
    // A Variant the member may change, so not the caller's value of another
    // shape: a copy of it, or nothing for an [out] parameter.
    const HRESULT hr = (param.flags & PARAMFLAG_FIN) ? VariantCopy(&slot.owned, &arg) : S_OK;
    PointAtOwned(want, slot);
    return hr;
  }
  VARIANT* inner = have == (VT_BYREF | VT_VARIANT) ? V_VARIANTREF(&arg) : nullptr;
  if (want & VT_BYREF) {
    const VARTYPE base = want & ~VT_BYREF;
    if (inner && V_VT(inner) == base) {
      // The caller's variable holds a value of the parameter's type: the member
      // reads and writes it in place, as with a by-reference value of that type.
      V_VT(&slot.value) = want;
      V_BYREF(&slot.value) = ValueAddress(*inner);
      return S_OK;
    }
    if (inner && V_VT(inner) == want) {
      V_VT(&slot.value) = want;
      V_BYREF(&slot.value) = V_BYREF(inner);
      return S_OK;
    }
    HRESULT taken = S_OK;
    if (TakeVariantArray(want, arg, slot, taken)) return taken;
    const HRESULT hr = ConversionResult(VariantChangeType(&slot.owned, &arg, 0, base));
    if (FAILED(hr)) return hr;
    PointAtOwned(want, slot);
    return S_OK;
  }
  // By value: a String, number or object that arrives by reference is lent.
  if (have == (VT_BYREF | want) && Lend(want, V_BYREF(&arg), slot.value)) return S_OK;
  if (inner && V_VT(inner) == want && Lend(want, ValueAddress(*inner), slot.value)) return S_OK;
  if (inner && V_VT(inner) == (VT_BYREF | want) && Lend(want, V_BYREF(inner), slot.value)) return S_OK;
  const HRESULT hr = ConversionResult(VariantChangeType(&slot.owned, &arg, 0, want));
  if (FAILED(hr)) return hr;
  pointer = &slot.owned;
  return S_OK;
}

// Fills the slot of an optional `param` the caller left out: its default
// value; without one, the missing-argument marker for a Variant, or else the
// empty value of the parameter's type (a null String, zero).
HRESULT TakeOmitted(const DispatchParam& param, Slot& slot, VARIANTARG*& pointer) noexcept {
  const VARTYPE want = param.type;
  const VARTYPE base = want & ~VT_BYREF;
  pointer = &slot.value;
  if (param.flags & PARAMFLAG_FHASDEFAULT) {
    // The platform's conversion functions take no const source; they do not change it.
    VARIANT* fallback = const_cast<VARIANT*>(&param.default_value);
    if (want == VT_VARIANT) {
      slot.value = *fallback;  // lent from the table, never changed
      return S_OK;
    }
    HRESULT hr = S_OK;
    if (want == (VT_BYREF | VT_VARIANT)) {
      hr = VariantCopy(&slot.owned, fallback);
    } else if (want & VT_BYREF) {
      hr = VariantChangeType(&slot.owned, fallback, 0, base);
    } else {
      if (V_VT(fallback) == want && Lend(want, &V_UI1(fallback), slot.value)) return S_OK;
      hr = VariantChangeType(&slot.owned, fallback, 0, want);
      pointer = &slot.owned;
      return hr;
    }
    if (SUCCEEDED(hr)) PointAtOwned(want, slot);
    return hr;
  }
  if (want == VT_VARIANT || want == (VT_BYREF | VT_VARIANT)) {
    VARIANT& marker = want == VT_VARIANT ? slot.value : slot.owned;
    V_VT(&marker) = VT_ERROR;
    V_ERROR(&marker) = DISP_E_PARAMNOTFOUND;
    if (want != VT_VARIANT) PointAtOwned(want, slot);
    return S_OK;
  }
  std::memset(&slot.owned, 0, sizeof(slot.owned));
  V_VT(&slot.owned) = base;
  if (want & VT_BYREF) {
    PointAtOwned(want, slot);
  } else {
    pointer = &slot.owned;
  }
  return S_OK;
}

void FillException(HRESULT hr, EXCEPINFO* exception) noexcept {
  if (!exception) return;
  *exception = EXCEPINFO{};
  exception->scode = hr;
  IErrorInfo* info = nullptr;
  if (GetErrorInfo(0, &info) == S_OK && info) {
    info->GetSource(&exception->bstrSource);
    info->GetDescription(&exception->bstrDescription);
    info->GetHelpFile(&exception->bstrHelpFile);
    info->GetHelpContext(&exception->dwHelpContext);
    info->Release();
  }
}

HRESULT InvokeFound(const DispatchTable& table, const DispatchMember& member, void* self, WORD flags,
                    DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception, UINT* bad_argument) {
  const UINT args = params->cArgs;
  const UINT named = params->cNamedArgs;
  const DISPID* named_ids = params->rgdispidNamedArgs;
  VARIANTARG* const rgvarg = params->rgvarg;
  if ((member.kind & (INVOKE_PROPERTYPUT | INVOKE_PROPERTYPUTREF)) &&
      (named == 0 || named_ids[0] != DISPID_PROPERTYPUT)) {
    return DISP_E_PARAMNOTFOUND;
  }
  if (member.varargs && named != 0) return DISP_E_NONAMEDARGS;
  if (named > kMostNamed) return DISP_E_BADPARAMCOUNT;

  const UINT n = member.param_count;
  const DispatchParam* const param = table.ParamsOf(member);
  CallSlots slots(param, n);
  VARIANT returned;
  std::memset(&returned, 0, sizeof(returned));
  UINT positional = 0;
  UINT named_taken = 0;
  uint64_t taken = 0;  // named arguments given to a parameter
  int retval = -1;
  HRESULT hr = S_OK;
  for (UINT i = 0; i < n && SUCCEEDED(hr); ++i) {
    VARIANTARG* arg = nullptr;
    for (UINT j = 0; j < named; ++j) {
      if (named_ids[j] == static_cast<DISPID>(i) || (i == n - 1 && named_ids[j] == DISPID_PROPERTYPUT)) {
        arg = &rgvarg[j];
        if (!(taken & (uint64_t{1} << j))) ++named_taken;
        taken |= uint64_t{1} << j;
        break;
      }
    }
    if (!arg && positional + named < args) arg = &rgvarg[args - 1 - positional++];  // rgvarg runs last to first

    if (param[i].flags & PARAMFLAG_FRETVAL) {
      // Arguments reach the result's place only when a property without
      // arguments is read with some: they go to the default member of the
      // object it returns.
      if (i < args && (n != 1 || !result || !(member.kind & INVOKE_PROPERTYGET))) {
        hr = DISP_E_BADPARAMCOUNT;
      } else if (i != n - 1) {
        hr = E_UNEXPECTED;
      } else {
        retval = static_cast<int>(i);
        V_VT(&slots[i].value) = param[i].type;
        V_BYREF(&slots[i].value) =
            param[i].type == (VT_BYREF | VT_VARIANT) ? static_cast<void*>(&returned) : ValueAddress(returned);
      }
    } else if (arg && !((param[i].flags & PARAMFLAG_FOPT) && IsMissing(*arg))) {
      hr = TakeArgument(param[i], *arg, slots[i], slots.pointer(i));
      if (FAILED(hr) && bad_argument && (hr == DISP_E_TYPEMISMATCH || hr == DISP_E_PARAMNOTFOUND)) {
        *bad_argument = static_cast<UINT>(arg - rgvarg);
      }
    } else if (param[i].flags & PARAMFLAG_FOPT) {
      hr = TakeOmitted(param[i], slots[i], slots.pointer(i));
    } else {
      hr = DISP_E_BADPARAMCOUNT;
    }
  }
  if (FAILED(hr)) return hr;

  for (UINT j = 0; j < named; ++j) {
    if (!(taken & (uint64_t{1} << j))) {
      if (bad_argument) *bad_argument = j;
      return DISP_E_PARAMNOTFOUND;  // a name that is no parameter of this member, or given twice
    }
  }
  const bool default_of_result = retval == 0 && n == 1 && result && (member.kind & INVOKE_PROPERTYGET) && args != 0;
  if (!default_of_result && positional + named_taken < args) return DISP_E_BADPARAMCOUNT;

  VARIANT outcome;
  VariantInit(&outcome);
  if (member.word_slot) {
    V_VT(&outcome) = VT_ERROR;
    V_ERROR(&outcome) = CallWordSlot(self, member.offset, n, slots.pointers());
    hr = S_OK;
  } else {
    hr = DispCallFunc(self, member.offset, member.convention, VT_ERROR, n, slots.types(), slots.pointers(), &outcome);
  }
  slots.HandBackArrays();
  if (retval >= 0) {
    // The member's result, or after an error the empty value of its type,
    // written over whatever `result` held, as the platform's dispatch does.
    if (param[retval].type != (VT_BYREF | VT_VARIANT)) V_VT(&returned) = param[retval].type & ~VT_BYREF;
    if (result && SUCCEEDED(hr)) {
      *result = returned;
    } else {
      VariantClear(&returned);
    }
  }
  if (FAILED(hr)) return hr;
  if (FAILED(V_ERROR(&outcome))) {
    FillException(V_ERROR(&outcome), exception);
    return DISP_E_EXCEPTION;
  }
  if (default_of_result) {
    if (V_VT(result) == VT_DISPATCH && V_DISPATCH(result)) {
      IDispatch* object = V_DISPATCH(result);
      VariantInit(result);
      hr = object->Invoke(DISPID_VALUE, IID_NULL, GetSystemDefaultLCID(), flags, params, result, exception,
                          bad_argument);
      object->Release();
      return hr;
    }
    VariantClear(result);
    return DISP_E_NOTACOLLECTION;
  }
  return S_OK;
}

}  // namespace

HRESULT InvokeMember(const DispatchTable& table, void* self, DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result,
                     EXCEPINFO* exception, UINT* bad_argument) noexcept {
  if (!params) return E_INVALIDARG;
  const DispatchMember* member = table.Find(id, flags);
  if (!member) return DISP_E_MEMBERNOTFOUND;
  if (params->cNamedArgs > params->cArgs || (params->cArgs != 0 && !params->rgvarg) ||
      (params->cNamedArgs != 0 && !params->rgdispidNamedArgs)) {
    return E_INVALIDARG;
  }
  try {
    return InvokeFound(table, *member, self, flags, params, result, exception, bad_argument);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

}  // namespace tarn::com
