// What the bad-input fuzzer knows about the library's members, read from the
// type information at run time: nothing is listed by hand, so a member added
// to the type library is fuzzed without a change here.
#pragma once

#include <windows.h>
#include <wrl/client.h>

#include <map>
#include <string>
#include <vector>

namespace tarn::fuzz {

// One parameter as the v-table takes it. `type` is the VARTYPE that
// DispCallFunc passes: VT_BSTR, VT_I2, VT_I4 (also enumerations), VT_BOOL,
// VT_VARIANT, VT_DISPATCH, VT_UNKNOWN, or VT_BYREF | one of them (also
// VT_BYREF | VT_ARRAY | element) for a pointer.
struct Parameter {
  VARTYPE type = VT_EMPTY;
  USHORT flags = 0;  // PARAMFLAG_*
  bool retval() const { return (flags & PARAMFLAG_FRETVAL) != 0; }
  bool optional() const { return (flags & PARAMFLAG_FOPT) != 0; }
  bool out() const { return (flags & PARAMFLAG_FOUT) != 0; }
};

struct Member {
  std::wstring name;
  MEMBERID id = 0;
  INVOKEKIND kind = INVOKE_FUNC;
  CALLCONV convention = CC_STDCALL;
  SHORT vtable_offset = 0;
  std::vector<Parameter> params;  // every parameter, the [retval] one included
};

struct Interface {
  std::wstring name;
  IID iid{};
  std::vector<Member> members;
  const Member* Find(const wchar_t* name, INVOKEKIND kind) const;
};

struct CreatableClass {
  std::wstring name;
  CLSID clsid{};
  const Interface* default_interface = nullptr;
};

// Every interface of the type library, by IID, and the classes with their
// default interface.
class TypeCatalog {
 public:
  // Reads the type library embedded in the DLL at `dll_path`.
  explicit TypeCatalog(const std::wstring& dll_path);
  bool ok() const { return library_ != nullptr; }
  const GUID& library_id() const { return library_id_; }
  const std::vector<CreatableClass>& classes() const { return classes_; }
  // The interface described by `info` (a dispatch view or a v-table
  // interface), added on first sight; nullptr when it is not one of ours.
  const Interface* InterfaceOf(ITypeInfo* info);

 private:
  const Interface* Read(ITypeInfo* vtable_info);

  Microsoft::WRL::ComPtr<ITypeLib> library_;
  GUID library_id_{};
  std::vector<CreatableClass> classes_;
  std::map<std::wstring, Interface> interfaces_;  // by IID text: stable addresses
};

}  // namespace tarn::fuzz
