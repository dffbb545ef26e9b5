#include "frame/com/direct_invoke.h"

#include <array>
#include <vector>

#include "frame/com/module.h"

namespace tarn::com {
namespace {

// A member that takes only Strings by value, and perhaps returns a value.
struct DirectMember {
  DISPID id;
  UINT slot;        // v-table slot, counting the seven IUnknown and IDispatch slots
  UINT strings;     // number of String parameters
  VARTYPE returns;  // type of the [out, retval] parameter, VT_EMPTY without one
};

constexpr UINT kMostStrings = 8;

struct InterfaceMembers {
  IID iid;
  std::vector<DirectMember> members;
};

SRWLOCK g_lock = SRWLOCK_INIT;
std::array<InterfaceMembers, 8> g_tables{};
size_t g_table_count = 0;

bool IsPlainResultType(VARTYPE type) {
  switch (type) {
    case VT_BSTR:
    case VT_I2:
    case VT_I4:
    case VT_BOOL:
    case VT_VARIANT:
      return true;
    default:
      return false;
  }
}

// The member at v-table index `index` of `vtable`, if it qualifies.
bool Describe(ITypeInfo* vtable, UINT index, DirectMember& member) {
  FUNCDESC* func = nullptr;
  if (FAILED(vtable->GetFuncDesc(index, &func))) return false;
  bool fits = func->invkind == INVOKE_FUNC && func->callconv == CC_STDCALL && func->cParamsOpt == 0 &&
              func->cParams <= static_cast<SHORT>(kMostStrings + 1);
  member = {func->memid, 7 + index, 0, VT_EMPTY};
  for (SHORT p = 0; fits && p < func->cParams; ++p) {
    const ELEMDESC& param = func->lprgelemdescParam[p];
    const USHORT flags = param.paramdesc.wParamFlags;
    if ((flags & PARAMFLAG_FRETVAL) && p == func->cParams - 1) {
      fits = param.tdesc.vt == VT_PTR && IsPlainResultType(param.tdesc.lptdesc->vt);
      if (fits) member.returns = param.tdesc.lptdesc->vt;
    } else {
      fits = param.tdesc.vt == VT_BSTR && (flags & ~PARAMFLAG_FIN) == 0;
      ++member.strings;
    }
  }
  vtable->ReleaseFuncDesc(func);
  return fits;
}

std::vector<DirectMember> BuildMembers(REFIID iid) {
  std::vector<DirectMember> members;
  ITypeInfo* dispatch_view = nullptr;
  if (FAILED(CachedTypeInfo(iid, &dispatch_view))) return members;
  HREFTYPE partner = 0;
  ITypeInfo* vtable = nullptr;
  if (FAILED(dispatch_view->GetRefTypeOfImplType(static_cast<UINT>(-1), &partner)) ||
      FAILED(dispatch_view->GetRefTypeInfo(partner, &vtable))) {
    return members;
  }
  TYPEATTR* attr = nullptr;
  if (SUCCEEDED(vtable->GetTypeAttr(&attr))) {
    for (UINT i = 0; i < attr->cFuncs; ++i) {
      DirectMember member{};
      if (Describe(vtable, i, member)) members.push_back(member);
    }
    vtable->ReleaseTypeAttr(attr);
  }
  vtable->Release();
  return members;
}

bool FindMember(REFIID iid, DISPID id, DirectMember& found) {
  AcquireSRWLockExclusive(&g_lock);
  const std::vector<DirectMember>* members = nullptr;
  for (size_t i = 0; i < g_table_count && !members; ++i) {
    if (IsEqualIID(g_tables[i].iid, iid)) members = &g_tables[i].members;
  }
  if (!members && g_table_count < g_tables.size()) {
    try {
      g_tables[g_table_count] = {iid, BuildMembers(iid)};
      members = &g_tables[g_table_count++].members;
    } catch (...) {
      members = nullptr;
    }
  }
  bool hit = false;
  if (members) {
    for (const auto& member : *members) {
      if (member.id == id) {
        found = member;
        hit = true;
        break;
      }
    }
  }
  ReleaseSRWLockExclusive(&g_lock);
  return hit;
}

// The String an argument already holds, or null when it would need converting.
const BSTR* StringIn(const VARIANT& arg) {
  switch (V_VT(&arg)) {
    case VT_BSTR:
      return &V_BSTR(&arg);
    case VT_BSTR | VT_BYREF:
      return V_BSTRREF(&arg);
    case VT_VARIANT | VT_BYREF:
      return V_VARIANTREF(&arg) && V_VT(V_VARIANTREF(&arg)) == VT_BSTR ? &V_BSTR(V_VARIANTREF(&arg)) : nullptr;
    default:
      return nullptr;
  }
}

void FillException(HRESULT hr, EXCEPINFO* exception) {
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

}  // namespace

bool TryDirectInvoke(void* self, REFIID iid, DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result,
                     EXCEPINFO* exception, HRESULT* outcome) noexcept {
  if (!(flags & DISPATCH_METHOD) || !params || params->cNamedArgs != 0 || !result) return false;
  DirectMember member{};
  if (!FindMember(iid, id, member) || params->cArgs != member.strings) return false;

  std::array<VARIANTARG, kMostStrings + 1> holders{};
  std::array<VARIANTARG*, kMostStrings + 1> pointers{};
  std::array<VARTYPE, kMostStrings + 1> types{};
  UINT count = 0;
  for (; count < member.strings; ++count) {
    const BSTR* text = StringIn(params->rgvarg[member.strings - 1 - count]);  // rgvarg runs last to first
    if (!text) return false;
    // The caller's string itself, borrowed for the call: never cleared here.
    V_VT(&holders[count]) = VT_BSTR;
    V_BSTR(&holders[count]) = *text;
    types[count] = VT_BSTR;
    pointers[count] = &holders[count];
  }
  VARIANT value;
  VariantInit(&value);
  if (member.returns != VT_EMPTY) {
    V_VT(&holders[count]) = VT_BYREF | member.returns;
    V_BYREF(&holders[count]) = member.returns == VT_VARIANT ? static_cast<void*>(&value) : &V_UI1(&value);
    types[count] = V_VT(&holders[count]);
    pointers[count] = &holders[count];
    ++count;
  }
  VARIANT returned;
  VariantInit(&returned);
  if (FAILED(DispCallFunc(self, member.slot * sizeof(void*), CC_STDCALL, VT_ERROR, count, types.data(), pointers.data(),
                          &returned))) {
    return false;
  }
  const HRESULT hr = V_ERROR(&returned);
  // The member's result, or after an error the empty value of its type that
  // the member left, passes to the caller, written over whatever `result` held, as the type
  // information's Invoke does.
  if (member.returns != VT_EMPTY && member.returns != VT_VARIANT) V_VT(&value) = member.returns;
  *result = value;
  if (SUCCEEDED(hr)) {
    *outcome = S_OK;
  } else {
    FillException(hr, exception);
    *outcome = DISP_E_EXCEPTION;
  }
  return true;
}

}  // namespace tarn::com
