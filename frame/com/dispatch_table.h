// What IDispatch needs to know about one dual interface, read once from the
// type information of the embedded type library: every member with its
// dispatch id, kind, v-table offset and parameters (types as the v-table slot
// takes them, flags, default values), and every name a client may ask for with
// the names of its parameters. A table is built on the first call that needs
// it, published without a lock on the read path, and never changed afterwards;
// the module drops all tables when it releases its cached type information.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tarn::com {

struct DispatchParam {
  VARTYPE type;           // as the slot takes it: VT_BSTR, VT_BYREF | VT_VARIANT, VT_BYREF | VT_ARRAY | VT_BSTR...
  USHORT flags;           // PARAMFLAG_*
  VARIANT default_value;  // owned; VT_EMPTY unless PARAMFLAG_FHASDEFAULT
};

struct DispatchMember {
  DISPID id;
  WORD kind;    // INVOKE_FUNC, INVOKE_PROPERTYGET, INVOKE_PROPERTYPUT or INVOKE_PROPERTYPUTREF
  UINT offset;  // byte offset of the v-table slot
  CALLCONV convention;
  bool varargs;
  bool word_slot;    // every parameter one machine word, __stdcall: called without DispCallFunc
  UINT first_param;  // index of its first parameter in the table's list
  UINT param_count;  // every parameter, the [retval] one included
};

class DispatchTable {
 public:
  // The table of the interface `iid`, built on first use; null when the type
  // information cannot be read.
  static const DispatchTable* Of(REFIID iid) noexcept;
  // Drops every table (the module is being unloaded).
  static void ReleaseAll() noexcept;

  DispatchTable(const DispatchTable&) = delete;
  DispatchTable& operator=(const DispatchTable&) = delete;
  ~DispatchTable();

  // The first member, in declaration order, with dispatch id `id` whose kind
  // is among `flags`; null when there is none.
  const DispatchMember* Find(DISPID id, WORD flags) const noexcept;
  const DispatchParam* ParamsOf(const DispatchMember& member) const noexcept {
    return params_.data() + member.first_param;
  }

  // IDispatch::GetIDsOfNames: names[0] a member, the others its parameters,
  // all matched ignoring case. Every name not found gets DISPID_UNKNOWN and
  // the answer is then DISP_E_UNKNOWNNAME.
  HRESULT IdsOfNames(const LPOLESTR* names, UINT count, DISPID* ids) const noexcept;

 private:
  struct Name {
    std::u16string folded;  // ASCII letters in lower case
    DISPID id;
    std::vector<std::u16string> param_names;  // folded the same way
  };

  explicit DispatchTable(ITypeInfo* dispatch_view) noexcept : dispatch_view_(dispatch_view) {}
  static DispatchTable* Build(ITypeInfo* dispatch_view);
  void AddMembers(ITypeInfo* vtable_view);
  void AddNames(ITypeInfo* info, int depth);
  void IndexNames();
  const Name* FindName(const wchar_t* name) const noexcept;

  ITypeInfo* dispatch_view_;             // owned by the module's cache
  std::vector<DispatchMember> members_;  // sorted by id, declaration order among equal ids
  std::vector<DispatchParam> params_;
  std::vector<Name> names_;
  std::vector<int16_t> name_slots_;  // open addressing over names_, -1 empty; size a power of two
};

}  // namespace tarn::com
