#include "frame/com/dispatch_table.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <memory>
#include <new>

#include "frame/com/module.h"
#include "frame/com/slot_call.h"

namespace tarn::com {
namespace {

// Type information references and descriptions released on every exit.
class TypeInfoRef {
 public:
  TypeInfoRef() noexcept = default;
  TypeInfoRef(const TypeInfoRef&) = delete;
  TypeInfoRef& operator=(const TypeInfoRef&) = delete;
  ~TypeInfoRef() {
    if (info_) info_->Release();
  }
  ITypeInfo* get() const noexcept { return info_; }
  ITypeInfo** put() noexcept { return &info_; }

 private:
  ITypeInfo* info_ = nullptr;
};

class TypeAttr {
 public:
  explicit TypeAttr(ITypeInfo* info) noexcept : info_(info) {
    if (FAILED(info_->GetTypeAttr(&attr_))) attr_ = nullptr;
  }
  TypeAttr(const TypeAttr&) = delete;
  TypeAttr& operator=(const TypeAttr&) = delete;
  ~TypeAttr() {
    if (attr_) info_->ReleaseTypeAttr(attr_);
  }
  const TYPEATTR* get() const noexcept { return attr_; }

 private:
  ITypeInfo* info_;
  TYPEATTR* attr_ = nullptr;
};

class FuncDesc {
 public:
  FuncDesc(ITypeInfo* info, UINT index) noexcept : info_(info) {
    if (FAILED(info_->GetFuncDesc(index, &desc_))) desc_ = nullptr;
  }
  FuncDesc(const FuncDesc&) = delete;
  FuncDesc& operator=(const FuncDesc&) = delete;
  ~FuncDesc() {
    if (desc_) info_->ReleaseFuncDesc(desc_);
  }
  const FUNCDESC* get() const noexcept { return desc_; }

 private:
  ITypeInfo* info_;
  FUNCDESC* desc_ = nullptr;
};

// The Variant type in which a slot of type `desc` takes its value: a pointer
// to an interface is the interface itself, any other pointer a by-reference
// value, an enumeration a Long.
HRESULT SlotTypeOf(ITypeInfo* info, const TYPEDESC& desc, VARTYPE& type, int depth = 0) {
  if (depth > 8) return TYPE_E_TYPEMISMATCH;
  switch (desc.vt) {
    case VT_USERDEFINED: {
      TypeInfoRef target;
      HRESULT hr = info->GetRefTypeInfo(desc.hreftype, target.put());
      if (FAILED(hr)) return hr;
      const TypeAttr attr(target.get());
      if (!attr.get()) return E_FAIL;
      switch (attr.get()->typekind) {
        case TKIND_ENUM:
          type = VT_I4;
          return S_OK;
        case TKIND_ALIAS:
          return SlotTypeOf(target.get(), attr.get()->tdescAlias, type, depth + 1);
        case TKIND_DISPATCH:
          type = VT_DISPATCH;
          return S_OK;
        case TKIND_INTERFACE:
          type = (attr.get()->wTypeFlags & TYPEFLAG_FDISPATCHABLE) ? VT_DISPATCH : VT_UNKNOWN;
          return S_OK;
        default:
          return TYPE_E_TYPEMISMATCH;
      }
    }
    case VT_PTR: {
      VARTYPE inner = VT_EMPTY;
      const HRESULT hr = SlotTypeOf(info, *desc.lptdesc, inner, depth + 1);
      if (FAILED(hr)) return hr;
      if (desc.lptdesc->vt == VT_USERDEFINED && (inner == VT_DISPATCH || inner == VT_UNKNOWN)) {
        type = inner;
      } else if (inner & VT_BYREF) {
        return TYPE_E_TYPEMISMATCH;
      } else {
        type = VT_BYREF | inner;
      }
      return S_OK;
    }
    case VT_SAFEARRAY: {
      VARTYPE element = VT_EMPTY;
      const HRESULT hr = SlotTypeOf(info, *desc.lptdesc, element, depth + 1);
      if (FAILED(hr)) return hr;
      type = VT_ARRAY | element;
      return S_OK;
    }
    case VT_HRESULT:
      type = VT_ERROR;
      return S_OK;
    case VT_VOID:
      type = VT_EMPTY;
      return S_OK;
    case VT_LPSTR:
    case VT_LPWSTR:
    case VT_CARRAY:
      return TYPE_E_TYPEMISMATCH;
    default:
      type = desc.vt;
      return S_OK;
  }
}

constexpr wchar_t FoldAscii(wchar_t c) noexcept { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + 32) : c; }

std::u16string Folded(BSTR name) {
  std::u16string out;
  const UINT n = SysStringLen(name);
  out.reserve(n);
  for (UINT i = 0; i < n; ++i) out.push_back(static_cast<char16_t>(FoldAscii(name[i])));
  return out;
}

uint32_t HashOf(const char16_t* text, size_t length) noexcept {
  uint32_t h = 2166136261u;
  for (size_t i = 0; i < length; ++i) h = (h ^ text[i]) * 16777619u;
  return h;
}

bool IsAscii(const wchar_t* name) noexcept {
  for (; *name; ++name) {
    if (static_cast<unsigned>(*name) >= 0x80) return false;
  }
  return true;
}

// `name` equals `folded` when both are folded.
bool EqualsFolded(const wchar_t* name, const std::u16string& folded) noexcept {
  size_t i = 0;
  for (; name[i]; ++i) {
    if (i == folded.size() || static_cast<char16_t>(FoldAscii(name[i])) != folded[i]) return false;
  }
  return i == folded.size();
}

// Tables of the library's interfaces. Readers scan the published entries
// without a lock; a writer appends under the lock and then publishes the count.
constexpr size_t kMostInterfaces = 16;
struct Entry {
  IID iid;
  DispatchTable* table;
};
SRWLOCK g_lock = SRWLOCK_INIT;
std::array<Entry, kMostInterfaces> g_entries{};
std::atomic<size_t> g_count{0};

const DispatchTable* FindPublished(REFIID iid, size_t count) noexcept {
  for (size_t i = 0; i < count; ++i) {
    if (IsEqualIID(g_entries[i].iid, iid)) return g_entries[i].table;
  }
  return nullptr;
}

}  // namespace

const DispatchTable* DispatchTable::Of(REFIID iid) noexcept {
  if (const DispatchTable* table = FindPublished(iid, g_count.load(std::memory_order_acquire))) return table;
  AcquireSRWLockExclusive(&g_lock);
  const size_t count = g_count.load(std::memory_order_relaxed);
  const DispatchTable* found = FindPublished(iid, count);
  ITypeInfo* info = nullptr;
  if (!found && count < g_entries.size() && SUCCEEDED(CachedTypeInfo(iid, &info))) {
    try {
      DispatchTable* built = Build(info);
      g_entries[count] = {iid, built};
      g_count.store(count + 1, std::memory_order_release);
      found = built;
    } catch (const std::bad_alloc&) {
      found = nullptr;
    }
  }
  ReleaseSRWLockExclusive(&g_lock);
  return found;
}

void DispatchTable::ReleaseAll() noexcept {
  AcquireSRWLockExclusive(&g_lock);
  const size_t count = g_count.load(std::memory_order_relaxed);
  g_count.store(0, std::memory_order_release);
  for (size_t i = 0; i < count; ++i) delete g_entries[i].table;
  ReleaseSRWLockExclusive(&g_lock);
}

DispatchTable::~DispatchTable() {
  for (auto& param : params_) VariantClear(&param.default_value);
}

DispatchTable* DispatchTable::Build(ITypeInfo* dispatch_view) {
  std::unique_ptr<DispatchTable> table(new DispatchTable(dispatch_view));
  HREFTYPE partner = 0;
  TypeInfoRef vtable_view;
  if (SUCCEEDED(dispatch_view->GetRefTypeOfImplType(static_cast<UINT>(-1), &partner)) &&
      SUCCEEDED(dispatch_view->GetRefTypeInfo(partner, vtable_view.put()))) {
    table->AddMembers(vtable_view.get());
    // Names from the v-table view, whose parameter lists keep the [retval]
    // parameter as the platform's name lookup does, then those of the
    // interfaces it derives from.
    table->AddNames(vtable_view.get(), 0);
  }
  table->IndexNames();
  return table.release();
}

void DispatchTable::AddMembers(ITypeInfo* vtable_view) {
  const TypeAttr attr(vtable_view);
  if (!attr.get()) return;
  for (UINT i = 0; i < attr.get()->cFuncs; ++i) {
    const FuncDesc func(vtable_view, i);
    const FUNCDESC* f = func.get();
    if (!f) continue;
    // Restricted members cannot be called late-bound, except those with a
    // reserved negative id such as the enumerator.
    if ((f->wFuncFlags & FUNCFLAG_FRESTRICTED) && f->memid >= 0) continue;
    if (f->funckind != FUNC_PUREVIRTUAL && f->funckind != FUNC_VIRTUAL) continue;
    DispatchMember member{};
    member.id = f->memid;
    member.kind = static_cast<WORD>(f->invkind);
    member.offset = static_cast<UINT>(f->oVft) & ~3u;
    member.convention = f->callconv;
    member.varargs = f->cParamsOpt < 0;
    member.word_slot = f->callconv == CC_STDCALL && static_cast<UINT>(f->cParams) <= kMostWordArguments;
    member.first_param = static_cast<UINT>(params_.size());
    member.param_count = static_cast<UINT>(f->cParams);
    bool supported = true;
    const size_t first = params_.size();
    for (SHORT p = 0; p < f->cParams && supported; ++p) {
      const ELEMDESC& elem = f->lprgelemdescParam[p];
      DispatchParam param{VT_EMPTY, elem.paramdesc.wParamFlags, {}};
      VariantInit(&param.default_value);
      supported = SUCCEEDED(SlotTypeOf(vtable_view, elem.tdesc, param.type));
      member.word_slot = member.word_slot && IsWordArgument(param.type);
      if (supported && (param.flags & PARAMFLAG_FHASDEFAULT) && elem.paramdesc.pparamdescex) {
        const HRESULT hr = VariantCopy(&param.default_value, &elem.paramdesc.pparamdescex->varDefaultValue);
        if (hr == E_OUTOFMEMORY) throw std::bad_alloc();
        supported = SUCCEEDED(hr);
      }
      params_.push_back(param);
    }
    if (supported) {
      members_.push_back(member);
    } else {
      for (size_t k = first; k < params_.size(); ++k) VariantClear(&params_[k].default_value);
      params_.resize(first);
    }
  }
  std::stable_sort(members_.begin(), members_.end(),
                   [](const DispatchMember& a, const DispatchMember& b) { return a.id < b.id; });
}

void DispatchTable::AddNames(ITypeInfo* info, int depth) {
  if (depth > 8) return;
  const TypeAttr attr(info);
  if (!attr.get()) return;
  for (UINT i = 0; i < attr.get()->cFuncs; ++i) {
    const FuncDesc func(info, i);
    if (!func.get()) continue;
    std::array<BSTR, 64> raw{};
    UINT got = 0;
    if (FAILED(info->GetNames(func.get()->memid, raw.data(), static_cast<UINT>(raw.size()), &got)) || got == 0) {
      continue;
    }
    Name name{Folded(raw[0]), func.get()->memid, {}};
    for (UINT k = 1; k < got; ++k) name.param_names.push_back(Folded(raw[k]));
    for (UINT k = 0; k < got; ++k) SysFreeString(raw[k]);
    const bool known =
        std::any_of(names_.begin(), names_.end(), [&name](const Name& other) { return other.folded == name.folded; });
    if (!known) names_.push_back(std::move(name));
  }
  if (attr.get()->cImplTypes > 0) {
    HREFTYPE base = 0;
    TypeInfoRef base_info;
    if (SUCCEEDED(info->GetRefTypeOfImplType(0, &base)) && SUCCEEDED(info->GetRefTypeInfo(base, base_info.put()))) {
      AddNames(base_info.get(), depth + 1);
    }
  }
}

void DispatchTable::IndexNames() {
  size_t size = 16;
  while (size < names_.size() * 2) size *= 2;
  name_slots_.assign(size, -1);
  for (size_t i = 0; i < names_.size(); ++i) {
    size_t slot = HashOf(names_[i].folded.data(), names_[i].folded.size()) & (size - 1);
    while (name_slots_[slot] >= 0) slot = (slot + 1) & (size - 1);
    name_slots_[slot] = static_cast<int16_t>(i);
  }
}

const DispatchTable::Name* DispatchTable::FindName(const wchar_t* name) const noexcept {
  // Fold and hash in one pass; no name of the library is longer than this.
  constexpr size_t kLongest = 128;
  char16_t folded[kLongest];
  size_t length = 0;
  for (; name[length]; ++length) {
    if (length == kLongest) return nullptr;
    folded[length] = static_cast<char16_t>(FoldAscii(name[length]));
  }
  const size_t mask = name_slots_.size() - 1;
  for (size_t slot = HashOf(folded, length) & mask;; slot = (slot + 1) & mask) {
    const int16_t index = name_slots_[slot];
    if (index < 0) return nullptr;
    const Name& candidate = names_[static_cast<size_t>(index)];
    if (candidate.folded.size() == length && std::equal(folded, folded + length, candidate.folded.begin())) {
      return &candidate;
    }
  }
}

HRESULT DispatchTable::IdsOfNames(const LPOLESTR* names, UINT count, DISPID* ids) const noexcept {
  if (count == 0) return S_OK;
  if (!names || !ids) return E_INVALIDARG;
  for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  bool ascii = true;
  for (UINT i = 0; i < count && ascii; ++i) ascii = !names[i] || IsAscii(names[i]);
  // Case folding beyond ASCII follows the platform's own rules: leave such
  // names to the type information.
  if (!ascii) return dispatch_view_->GetIDsOfNames(const_cast<LPOLESTR*>(names), count, ids);
  const Name* member = names[0] ? FindName(names[0]) : nullptr;
  if (!member) return DISP_E_UNKNOWNNAME;
  ids[0] = member->id;
  HRESULT hr = S_OK;
  for (UINT i = 1; i < count; ++i) {
    const auto& params = member->param_names;
    const auto found = names[i] ? std::find_if(params.begin(), params.end(),
                                               [&](const std::u16string& p) { return EqualsFolded(names[i], p); })
                                : params.end();
    if (found == params.end()) {
      hr = DISP_E_UNKNOWNNAME;
    } else {
      ids[i] = static_cast<DISPID>(found - params.begin());
    }
  }
  return hr;
}

const DispatchMember* DispatchTable::Find(DISPID id, WORD flags) const noexcept {
  auto it = std::lower_bound(members_.begin(), members_.end(), id,
                             [](const DispatchMember& m, DISPID value) { return m.id < value; });
  for (; it != members_.end() && it->id == id; ++it) {
    if (it->kind & flags) return &*it;
  }
  return nullptr;
}

}  // namespace tarn::com
