#include "tests/wine/fuzz/type_catalog.h"

namespace tarn::fuzz {
namespace {

using Microsoft::WRL::ComPtr;

std::wstring NameOf(ITypeInfo* info, MEMBERID id) {
  BSTR name = nullptr;
  info->GetDocumentation(id, &name, nullptr, nullptr, nullptr);
  std::wstring text = name ? std::wstring(name, SysStringLen(name)) : std::wstring(L"?");
  SysFreeString(name);
  return text;
}

std::wstring KeyOf(const IID& iid) {
  wchar_t text[40] = {};
  StringFromGUID2(iid, text, 40);
  return text;
}

// The kind of a user-defined type: an enumeration travels as a long, an
// interface as an object pointer.
VARTYPE UserDefined(ITypeInfo* info, HREFTYPE ref) {
  ComPtr<ITypeInfo> target;
  TYPEATTR* attr = nullptr;
  VARTYPE type = VT_EMPTY;
  if (SUCCEEDED(info->GetRefTypeInfo(ref, target.GetAddressOf())) && SUCCEEDED(target->GetTypeAttr(&attr))) {
    if (attr->typekind == TKIND_ENUM) {
      type = VT_I4;
    } else if (attr->typekind == TKIND_ALIAS) {
      type = attr->tdescAlias.vt;
    } else if (attr->typekind == TKIND_DISPATCH || (attr->wTypeFlags & TYPEFLAG_FDISPATCHABLE)) {
      type = VT_DISPATCH;
    } else {
      type = VT_UNKNOWN;
    }
    target->ReleaseTypeAttr(attr);
  }
  return type;
}

VARTYPE TypeOf(ITypeInfo* info, const TYPEDESC& desc) {
  switch (desc.vt) {
    case VT_PTR: {
      const TYPEDESC& inner = *desc.lptdesc;
      if (inner.vt == VT_USERDEFINED) {
        // A pointer to an interface is the object itself.
        const VARTYPE target = UserDefined(info, inner.hreftype);
        if (target == VT_DISPATCH || target == VT_UNKNOWN) return target;
        return static_cast<VARTYPE>(VT_BYREF | target);
      }
      return static_cast<VARTYPE>(VT_BYREF | TypeOf(info, inner));
    }
    case VT_SAFEARRAY:
      return static_cast<VARTYPE>(VT_ARRAY | TypeOf(info, *desc.lptdesc));
    case VT_USERDEFINED:
      return UserDefined(info, desc.hreftype);
    case VT_INT:
      return VT_I4;
    case VT_UINT:
      return VT_UI4;
    default:
      return desc.vt;
  }
}

}  // namespace

const Member* Interface::Find(const wchar_t* wanted, INVOKEKIND kind) const {
  for (const Member& member : members) {
    if (member.kind == kind && _wcsicmp(member.name.c_str(), wanted) == 0) return &member;
  }
  return nullptr;
}

TypeCatalog::TypeCatalog(const std::wstring& dll_path) {
  if (FAILED(LoadTypeLibEx(dll_path.c_str(), REGKIND_NONE, library_.GetAddressOf()))) {
    library_.Reset();
    return;
  }
  TLIBATTR* attr = nullptr;
  if (SUCCEEDED(library_->GetLibAttr(&attr))) {
    library_id_ = attr->guid;
    library_->ReleaseTLibAttr(attr);
  }
  const UINT count = library_->GetTypeInfoCount();
  for (UINT i = 0; i < count; ++i) {
    ComPtr<ITypeInfo> info;
    TYPEATTR* type = nullptr;
    if (FAILED(library_->GetTypeInfo(i, info.GetAddressOf())) || FAILED(info->GetTypeAttr(&type))) continue;
    if (type->typekind == TKIND_COCLASS) {
      CreatableClass created{NameOf(info.Get(), MEMBERID_NIL), type->guid, nullptr};
      for (UINT k = 0; k < type->cImplTypes; ++k) {
        INT flags = 0;
        HREFTYPE ref = 0;
        ComPtr<ITypeInfo> implemented;
        if (SUCCEEDED(info->GetImplTypeFlags(k, &flags)) && (flags & IMPLTYPEFLAG_FDEFAULT) &&
            SUCCEEDED(info->GetRefTypeOfImplType(k, &ref)) &&
            SUCCEEDED(info->GetRefTypeInfo(ref, implemented.GetAddressOf()))) {
          created.default_interface = InterfaceOf(implemented.Get());
        }
      }
      if (created.default_interface) classes_.push_back(created);
    }
    info->ReleaseTypeAttr(type);
  }
}

const Interface* TypeCatalog::InterfaceOf(ITypeInfo* info) {
  if (!info) return nullptr;
  ComPtr<ITypeLib> container;
  UINT index = 0;
  TLIBATTR* lib = nullptr;
  bool ours = false;
  if (SUCCEEDED(info->GetContainingTypeLib(container.GetAddressOf(), &index)) &&
      SUCCEEDED(container->GetLibAttr(&lib))) {
    ours = IsEqualGUID(lib->guid, library_id_);
    container->ReleaseTLibAttr(lib);
  }
  if (!ours) return nullptr;
  // A dual interface's dispatch view names its v-table partner as -1.
  ComPtr<ITypeInfo> vtable;
  HREFTYPE partner = 0;
  if (SUCCEEDED(info->GetRefTypeOfImplType(static_cast<UINT>(-1), &partner)) &&
      SUCCEEDED(info->GetRefTypeInfo(partner, vtable.GetAddressOf()))) {
    return Read(vtable.Get());
  }
  return Read(info);
}

const Interface* TypeCatalog::Read(ITypeInfo* info) {
  TYPEATTR* attr = nullptr;
  if (FAILED(info->GetTypeAttr(&attr))) return nullptr;
  const std::wstring key = KeyOf(attr->guid);
  auto found = interfaces_.find(key);
  if (found != interfaces_.end()) {
    info->ReleaseTypeAttr(attr);
    return &found->second;
  }
  Interface& read = interfaces_[key];
  read.name = NameOf(info, MEMBERID_NIL);
  read.iid = attr->guid;
  for (UINT i = 0; i < attr->cFuncs; ++i) {
    FUNCDESC* f = nullptr;
    if (FAILED(info->GetFuncDesc(i, &f))) continue;
    Member member;
    member.name = NameOf(info, f->memid);
    member.id = f->memid;
    member.kind = f->invkind;
    member.convention = f->callconv;
    member.vtable_offset = f->oVft;
    for (SHORT p = 0; p < f->cParams; ++p) {
      const ELEMDESC& elem = f->lprgelemdescParam[p];
      member.params.push_back({TypeOf(info, elem.tdesc), elem.paramdesc.wParamFlags});
    }
    info->ReleaseFuncDesc(f);
    read.members.push_back(std::move(member));
  }
  info->ReleaseTypeAttr(attr);
  return &read;
}

}  // namespace tarn::fuzz
