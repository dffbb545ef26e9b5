// The embedded type library as clients see it: identity, classes and their
// instancing, interfaces with every member's dispatch id and v-table slot,
// help strings, optional arguments and defaults, and the month enumeration.
#include <gtest/gtest.h>

#include <vector>

#include "tests/wine/client/client_support.h"

namespace tarn::client {
namespace {

ComPtr<ITypeLib> LoadLibraryOfDll() {
  ComPtr<ITypeLib> library;
  EXPECT_EQ(LoadTypeLibEx(DllPath().c_str(), REGKIND_NONE, library.GetAddressOf()), S_OK);
  return library;
}

ComPtr<ITypeInfo> InfoOf(ITypeLib* library, const GUID& guid) {
  ComPtr<ITypeInfo> info;
  EXPECT_EQ(library->GetTypeInfoOfGuid(guid, info.GetAddressOf()), S_OK);
  return info;
}

// The v-table view of a dual interface.
ComPtr<ITypeInfo> VtableView(ITypeInfo* dispatch_view) {
  HREFTYPE partner = 0;
  ComPtr<ITypeInfo> info;
  EXPECT_EQ(dispatch_view->GetRefTypeOfImplType(static_cast<UINT>(-1), &partner), S_OK);
  EXPECT_EQ(dispatch_view->GetRefTypeInfo(partner, info.GetAddressOf()), S_OK);
  return info;
}

std::wstring NameOf(ITypeInfo* info, MEMBERID id) {
  Bstr name;
  info->GetDocumentation(id, name.put(), nullptr, nullptr, nullptr);
  return Text(name.get());
}

std::wstring HelpOf(ITypeInfo* info, MEMBERID id) {
  Bstr help;
  info->GetDocumentation(id, nullptr, help.put(), nullptr, nullptr);
  return Text(help.get());
}

TEST(TypeLibrary, Identity) {
  auto library = LoadLibraryOfDll();
  ASSERT_TRUE(library);
  TLIBATTR* attr = nullptr;
  ASSERT_EQ(library->GetLibAttr(&attr), S_OK);
  EXPECT_TRUE(IsEqualGUID(attr->guid, LIBID_TarnLib));
  EXPECT_EQ(attr->wMajorVerNum, 11);
  EXPECT_EQ(attr->wMinorVerNum, 0);
  EXPECT_EQ(attr->lcid, 0x0409u);
  // Each bitness targets its own system, so that both can be registered side by side.
  EXPECT_EQ(attr->syskind, sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32);
  library->ReleaseTLibAttr(attr);
  Bstr name, help;
  ASSERT_EQ(library->GetDocumentation(-1, name.put(), help.put(), nullptr, nullptr), S_OK);
  EXPECT_EQ(Text(name.get()), L"TarnLib");
  EXPECT_EQ(Text(help.get()), L"Tarn General Utility Library");
}

TEST(TypeLibrary, ClassEntriesAndInstancing) {
  constexpr WORD kGlobal = TYPEFLAG_FAPPOBJECT | TYPEFLAG_FCANCREATE | TYPEFLAG_FPREDECLID;
  const struct {
    const CLSID* clsid;
    const wchar_t* name;
    WORD flags;
    const IID* default_interface;
  } rows[] = {
      {&CLSID_StringFunction, L"StringFunction", kGlobal, &IID__StringFunction},
      {&CLSID_GeneralUtility, L"GeneralUtility", kGlobal, &IID__GeneralUtility},
      {&CLSID_ExCollection, L"ExCollection", TYPEFLAG_FCANCREATE, &IID__ExCollection},
      {&CLSID_Network, L"Network", kGlobal, &IID__Network},
      {&CLSID_TimeUtility, L"TimeUtility", kGlobal, &IID__TimeUtility},
      {&CLSID_CRegSettings, L"CRegSettings", TYPEFLAG_FCANCREATE, &IID__CRegSettings},
  };
  auto library = LoadLibraryOfDll();
  ASSERT_TRUE(library);
  for (const auto& row : rows) {
    auto info = InfoOf(library.Get(), *row.clsid);
    ASSERT_TRUE(info) << row.name;
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->typekind, TKIND_COCLASS) << row.name;
    EXPECT_EQ(attr->wTypeFlags, row.flags) << row.name;
    EXPECT_EQ(attr->cImplTypes, 1) << row.name;
    info->ReleaseTypeAttr(attr);
    EXPECT_EQ(NameOf(info.Get(), MEMBERID_NIL), row.name);
    HREFTYPE ref = 0;
    ComPtr<ITypeInfo> interface_info;
    INT impl_flags = 0;
    ASSERT_EQ(info->GetRefTypeOfImplType(0, &ref), S_OK);
    ASSERT_EQ(info->GetRefTypeInfo(ref, interface_info.GetAddressOf()), S_OK);
    ASSERT_EQ(info->GetImplTypeFlags(0, &impl_flags), S_OK);
    EXPECT_EQ(impl_flags, IMPLTYPEFLAG_FDEFAULT) << row.name;
    ASSERT_EQ(interface_info->GetTypeAttr(&attr), S_OK);
    EXPECT_TRUE(IsEqualGUID(attr->guid, *row.default_interface)) << row.name;
    interface_info->ReleaseTypeAttr(attr);
  }
  // Six class entries; clsExItem has none, only its interface.
  int classes = 0;
  for (UINT i = 0; i < library->GetTypeInfoCount(); ++i) {
    TYPEKIND kind;
    library->GetTypeInfoType(i, &kind);
    if (kind == TKIND_COCLASS) ++classes;
  }
  EXPECT_EQ(classes, 6);
}

struct Member {
  const wchar_t* name;
  MEMBERID id;
  INVOKEKIND kind;
};

constexpr INVOKEKIND kMethod = INVOKE_FUNC;
constexpr INVOKEKIND kGet = INVOKE_PROPERTYGET;
constexpr INVOKEKIND kLet = INVOKE_PROPERTYPUT;
constexpr INVOKEKIND kSet = INVOKE_PROPERTYPUTREF;

struct InterfaceLayout {
  const IID* iid;
  const wchar_t* name;
  bool hidden;
  std::vector<Member> members;  // in v-table order
};

const std::vector<InterfaceLayout>& Layouts() {
  static const std::vector<InterfaceLayout> layouts = {
      {&IID__StringFunction,
       L"_StringFunction",
       true,
       {{L"MATCH_UPPER_CHARS", 0x60030008, kMethod},
        {L"MATCH_LOWER_CHARS", 0x60030009, kMethod},
        {L"MATCH_CHARS", 0x6003000A, kMethod},
        {L"MATCH_DIGITS", 0x6003000B, kMethod},
        {L"MATCH_SPACES", 0x6003000C, kMethod},
        {L"CountStringInString", 0x6003000D, kMethod},
        {L"InStrEx", 0x6003000E, kMethod},
        {L"ParseString", 0x6003000F, kMethod},
        {L"ReplaceString", 0x60030010, kMethod},
        {L"FirstUCase", 0x60030011, kMethod},
        {L"InsertFirstUCase", 0x60030012, kMethod},
        {L"NoNull", 0x60030013, kMethod},
        {L"SelectAllText", 0x60030014, kMethod},
        {L"ConvertRetToTab", 0x60030015, kMethod},
        {L"RemoveSpaces", 0x60030016, kMethod},
        {L"OnlyOneSpace", 0x60030017, kMethod},
        {L"CSql", 0x60030018, kMethod},
        {L"IsCustomString", 0x60030019, kMethod},
        {L"GetRndString", 0x6003001A, kMethod}}},
      {&IID__GeneralUtility,
       L"_GeneralUtility",
       true,
       {{L"FindControlIndex", 0x60030000, kMethod},
        {L"FileExists", 0x60030001, kMethod},
        {L"GetFileName", 0x60030002, kMethod},
        {L"GetDirName", 0x60030003, kMethod},
        {L"LimitCursor", 0x60030004, kMethod},
        {L"ReleaseCursor", 0x60030005, kMethod}}},
      {&IID_clsExItem, L"clsExItem", false, {{L"Value", 0, kGet}, {L"Key", 0x60030002, kMethod}}},
      {&IID__ExCollection,
       L"_ExCollection",
       true,
       {{L"RaiseErrors", 0x40030000, kGet},
        {L"RaiseErrors", 0x40030000, kLet},
        {L"Err", 0x40030001, kGet},
        {L"Err", 0x40030001, kLet},
        {L"ErrDescription", 0x40030002, kGet},
        {L"ErrDescription", 0x40030002, kLet},
        {L"TerminateClass", 0x60030003, kMethod},
        {L"NewEnum", -4, kMethod},
        {L"Add", 0x60030007, kMethod},
        {L"Count", 0x68030001, kGet},
        {L"Item", 0, kGet},
        {L"Item", 0, kLet},
        {L"Item", 0, kSet},
        {L"Remove", 0x60030008, kMethod},
        {L"Sorted", 0x68030000, kGet},
        {L"Sorted", 0x68030000, kLet},
        {L"Key", 0x60030009, kMethod},
        {L"Index", 0x6003000A, kMethod},
        {L"ExistKey", 0x6003000B, kMethod}}},
      {&IID__Network, L"_Network", true, {{L"GetIp", 0x60030004, kMethod}, {L"HostByAddr", 0x60030006, kMethod}}},
      {&IID__TimeUtility,
       L"_TimeUtility",
       true,
       {{L"UltimoMese", 0x60030000, kMethod},
        {L"isLeapYear", 0x60030001, kMethod},
        {L"SecFrom1970", 0x60030002, kMethod}}},
      {&IID__CRegSettings,
       L"_CRegSettings",
       true,
       {{L"Company", 0x68030001, kLet},
        {L"Company", 0x68030001, kGet},
        {L"AppName", 0x68030000, kLet},
        {L"AppName", 0x68030000, kGet},
        {L"DeleteSetting", 0x60030003, kMethod},
        {L"GetSetting", 0x60030004, kMethod},
        {L"SaveSetting", 0x60030005, kMethod}}},
  };
  return layouts;
}

TEST(TypeLibrary, InterfacesAreDualWithMembersInVtableOrder) {
  auto library = LoadLibraryOfDll();
  ASSERT_TRUE(library);
  for (const auto& layout : Layouts()) {
    auto dispatch_view = InfoOf(library.Get(), *layout.iid);
    ASSERT_TRUE(dispatch_view) << layout.name;
    EXPECT_EQ(NameOf(dispatch_view.Get(), MEMBERID_NIL), layout.name);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(dispatch_view->GetTypeAttr(&attr), S_OK);
    WORD expected_flags = TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE;
    if (layout.hidden) expected_flags |= TYPEFLAG_FHIDDEN;
    EXPECT_EQ(attr->typekind, TKIND_DISPATCH) << layout.name;
    EXPECT_EQ(attr->wTypeFlags & ~TYPEFLAG_FOLEAUTOMATION, expected_flags & ~TYPEFLAG_FOLEAUTOMATION) << layout.name;
    dispatch_view->ReleaseTypeAttr(attr);

    auto vtable = VtableView(dispatch_view.Get());
    ASSERT_TRUE(vtable) << layout.name;
    ASSERT_EQ(vtable->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->typekind, TKIND_INTERFACE) << layout.name;
    EXPECT_EQ(attr->wTypeFlags, expected_flags) << layout.name;
    ASSERT_EQ(attr->cFuncs, layout.members.size()) << layout.name;
    vtable->ReleaseTypeAttr(attr);
    for (UINT i = 0; i < layout.members.size(); ++i) {
      const Member& expected = layout.members[i];
      FUNCDESC* func = nullptr;
      ASSERT_EQ(vtable->GetFuncDesc(i, &func), S_OK);
      EXPECT_EQ(NameOf(vtable.Get(), func->memid), expected.name) << layout.name << " slot " << i;
      EXPECT_EQ(func->memid, expected.id) << layout.name << "." << expected.name;
      EXPECT_EQ(func->invkind, expected.kind) << layout.name << "." << expected.name;
      // Seven IUnknown and IDispatch slots come first.
      EXPECT_EQ(func->oVft / static_cast<SHORT>(sizeof(void*)), static_cast<SHORT>(7 + i))
          << layout.name << "." << expected.name;
      EXPECT_EQ(func->elemdescFunc.tdesc.vt, VT_HRESULT) << layout.name << "." << expected.name;
      const bool hidden = (func->wFuncFlags & FUNCFLAG_FHIDDEN) != 0;
      EXPECT_EQ(hidden, expected.id == DISPID_NEWENUM) << layout.name << "." << expected.name;
      vtable->ReleaseFuncDesc(func);
    }
  }
}

TEST(TypeLibrary, HelpStringsKeepTheirAccentsAndBlanks) {
  const struct {
    const IID* iid;
    MEMBERID id;
    const wchar_t* help;
  } rows[] = {
      {&IID__StringFunction, 0x60030008,
       L"Ritorna una stringa contenente tutte le lettere dell'alfabeto in  maiuscolo"},
      {&IID__StringFunction, 0x6003000D,
       L"Trova il numero di ricorrenze della stringa Match nella stringa Source, utilizzando una comparazione "
       L"\"case sensitive\" se Exact \u00e8 vero o risulta omesso altrimenti usa una comparazione \"case "
       L"insensitive\""},
      {&IID__StringFunction, 0x60030017,
       L"Converte la stringa eliminando gli spazi multipli al suo interno, nonch\u00e8 quelli iniziali e finali"},
      {&IID__StringFunction, 0x60030010, L""},
      {&IID__TimeUtility, 0x60030001, L"Torna TRUE se l'anno \u00e8 bisestile altrimenti FALSE"},
      {&IID__Network, 0x60030006,
       L"Ritorna, se possibile il FQDN relativo all'indirizzo IP IPAddress. Torna una stringa nulla se non \u00e8 "
       L"stato possibile determinalo."},
      {&IID__GeneralUtility, 0x60030000, L"Ritorna l'INDEX del controllo con nome S"},
  };
  auto library = LoadLibraryOfDll();
  ASSERT_TRUE(library);
  for (const auto& row : rows) {
    auto info = InfoOf(library.Get(), *row.iid);
    ASSERT_TRUE(info);
    EXPECT_EQ(HelpOf(info.Get(), row.id), row.help) << std::hex << row.id;
  }
}

// One parameter's flags and default, read from the v-table view.
struct ParameterFacts {
  USHORT flags = 0;
  VARTYPE type = VT_EMPTY;
  bool has_default = false;
  VARIANT default_value{};
};

ParameterFacts ParameterOf(ITypeLib* library, const IID& iid, MEMBERID id, int index) {
  ParameterFacts facts;
  auto vtable = VtableView(InfoOf(library, iid).Get());
  TYPEATTR* attr = nullptr;
  vtable->GetTypeAttr(&attr);
  for (UINT i = 0; i < attr->cFuncs; ++i) {
    FUNCDESC* func = nullptr;
    vtable->GetFuncDesc(i, &func);
    if (func->memid == id && index < func->cParams) {
      const ELEMDESC& param = func->lprgelemdescParam[index];
      facts.flags = param.paramdesc.wParamFlags;
      facts.type = param.tdesc.vt;
      facts.has_default = (facts.flags & PARAMFLAG_FHASDEFAULT) != 0;
      if (facts.has_default) VariantCopy(&facts.default_value, &param.paramdesc.pparamdescex->varDefaultValue);
    }
    vtable->ReleaseFuncDesc(func);
  }
  vtable->ReleaseTypeAttr(attr);
  return facts;
}

TEST(TypeLibrary, OptionalArgumentsAndDefaults) {
  auto library = LoadLibraryOfDll();
  ASSERT_TRUE(library);
  auto exact = ParameterOf(library.Get(), IID__StringFunction, 0x6003000D, 2);
  EXPECT_TRUE(exact.flags & PARAMFLAG_FOPT);
  ASSERT_TRUE(exact.has_default);
  EXPECT_EQ(V_VT(&exact.default_value), VT_BOOL);
  EXPECT_EQ(V_BOOL(&exact.default_value), VARIANT_TRUE);

  auto compare = ParameterOf(library.Get(), IID__StringFunction, 0x6003000E, 3);
  EXPECT_EQ(compare.type, VT_USERDEFINED);
  ASSERT_TRUE(compare.has_default);
  EXPECT_EQ(V_I4(&compare.default_value), 0);

  auto chars = ParameterOf(library.Get(), IID__StringFunction, 0x6003001A, 1);
  ASSERT_TRUE(chars.has_default);
  EXPECT_EQ(Text(V_BSTR(&chars.default_value)), L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789");
  VariantClear(&chars.default_value);

  auto key = ParameterOf(library.Get(), IID__CRegSettings, 0x60030003, 1);
  ASSERT_TRUE(key.has_default);
  EXPECT_EQ(Text(V_BSTR(&key.default_value)), L"");
  VariantClear(&key.default_value);

  // Optional without a default: an omitted argument arrives as missing.
  for (const auto& [iid, id, index] :
       {std::tuple{&IID__Network, 0x60030004, 0}, std::tuple{&IID__GeneralUtility, 0x60030000, 1},
        std::tuple{&IID__ExCollection, 0x60030007, 2}, std::tuple{&IID__ExCollection, 0x60030007, 3}}) {
    auto facts = ParameterOf(library.Get(), *iid, id, index);
    EXPECT_TRUE(facts.flags & PARAMFLAG_FOPT) << std::hex << id << " " << index;
    EXPECT_FALSE(facts.has_default) << std::hex << id << " " << index;
  }
}

TEST(TypeLibrary, MonthEnumerationCarriesItsNamesAsHelpStrings) {
  const wchar_t* months[] = {L"Gennaio", L"Febbraio", L"Marzo",     L"Aprile",  L"Maggio",   L"Giugno",
                             L"Luglio",  L"Agosto",   L"Settembre", L"Ottobre", L"Novembre", L"Dicembre"};
  auto library = LoadLibraryOfDll();
  ASSERT_TRUE(library);
  ComPtr<ITypeInfo> info;
  for (UINT i = 0; i < library->GetTypeInfoCount() && !info; ++i) {
    Bstr name;
    library->GetDocumentation(static_cast<INT>(i), name.put(), nullptr, nullptr, nullptr);
    if (Text(name.get()) == L"eMesiAnno") library->GetTypeInfo(i, info.GetAddressOf());
  }
  ASSERT_TRUE(info);
  TYPEATTR* attr = nullptr;
  ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
  EXPECT_EQ(attr->typekind, TKIND_ENUM);
  ASSERT_EQ(attr->cVars, 12);
  info->ReleaseTypeAttr(attr);
  for (UINT i = 0; i < 12; ++i) {
    VARDESC* var = nullptr;
    ASSERT_EQ(info->GetVarDesc(i, &var), S_OK);
    EXPECT_EQ(V_I4(var->lpvarValue), static_cast<LONG>(i + 1));
    EXPECT_EQ(NameOf(info.Get(), var->memid), months[i]);
    EXPECT_EQ(HelpOf(info.Get(), var->memid), months[i]);
    info->ReleaseVarDesc(var);
  }
}

}  // namespace
}  // namespace tarn::client
