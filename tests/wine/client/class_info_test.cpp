// IProvideClassInfo: every class with a class entry names it, as object
// browsers and hosts ask an object for its class; the collection's item, which
// has no class entry, does not answer.
#include <gtest/gtest.h>
#include <ocidl.h>

#include <string>

#include "tests/wine/client/client_support.h"

namespace tarn::client {
namespace {

struct ClassRow {
  const wchar_t* name;
  const CLSID* clsid;
  const IID* iid;  // the default interface
};
const ClassRow kClassRows[] = {
    {L"StringFunction", &CLSID_StringFunction, &IID__StringFunction},
    {L"GeneralUtility", &CLSID_GeneralUtility, &IID__GeneralUtility},
    {L"ExCollection", &CLSID_ExCollection, &IID__ExCollection},
    {L"Network", &CLSID_Network, &IID__Network},
    {L"TimeUtility", &CLSID_TimeUtility, &IID__TimeUtility},
    {L"CRegSettings", &CLSID_CRegSettings, &IID__CRegSettings},
};

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// The interface that a class entry marks as its default.
GUID DefaultInterfaceOf(ITypeInfo* coclass, UINT count) {
  for (UINT i = 0; i < count; ++i) {
    INT flags = 0;
    HREFTYPE ref = 0;
    ComPtr<ITypeInfo> implemented;
    if (coclass->GetImplTypeFlags(i, &flags) != S_OK || !(flags & IMPLTYPEFLAG_FDEFAULT)) continue;
    if (coclass->GetRefTypeOfImplType(i, &ref) != S_OK) continue;
    if (coclass->GetRefTypeInfo(ref, implemented.GetAddressOf()) != S_OK) continue;
    TYPEATTR* attr = nullptr;
    if (implemented->GetTypeAttr(&attr) != S_OK) continue;
    const GUID guid = attr->guid;
    implemented->ReleaseTypeAttr(attr);
    return guid;
  }
  return GUID_NULL;
}

TEST(ClassInfo, EveryClassNamesItsClassEntryAndDefaultInterface) {
  for (const ClassRow& row : kClassRows) {
    const std::string label = Narrow(row.name);
    auto object = CreateFromDll<IDispatch>(*row.clsid);
    ASSERT_TRUE(object) << label;
    ComPtr<IProvideClassInfo> provider;
    ASSERT_EQ(object.As(&provider), S_OK) << label;
    // The same object behind either interface.
    ComPtr<IUnknown> a, b;
    object.As(&a);
    provider.As(&b);
    EXPECT_EQ(a.Get(), b.Get()) << label;

    ComPtr<ITypeInfo> info;
    ASSERT_EQ(provider->GetClassInfo(info.GetAddressOf()), S_OK) << label;
    ASSERT_TRUE(info) << label;
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attr), S_OK) << label;
    EXPECT_EQ(attr->typekind, TKIND_COCLASS) << label;
    EXPECT_TRUE(IsEqualGUID(attr->guid, *row.clsid)) << label;
    EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FCANCREATE) << label;
    EXPECT_TRUE(IsEqualGUID(DefaultInterfaceOf(info.Get(), attr->cImplTypes), *row.iid)) << label;
    info->ReleaseTypeAttr(attr);

    Bstr name;
    ASSERT_EQ(info->GetDocumentation(MEMBERID_NIL, name.put(), nullptr, nullptr, nullptr), S_OK) << label;
    EXPECT_EQ(Text(name.get()), row.name);
    ComPtr<ITypeLib> library;
    UINT index = 0;
    ASSERT_EQ(info->GetContainingTypeLib(library.GetAddressOf(), &index), S_OK) << label;
    TLIBATTR* library_attr = nullptr;
    ASSERT_EQ(library->GetLibAttr(&library_attr), S_OK) << label;
    EXPECT_TRUE(IsEqualGUID(library_attr->guid, LIBID_TarnLib)) << label;
    library->ReleaseTLibAttr(library_attr);

    EXPECT_EQ(provider->GetClassInfo(nullptr), E_POINTER) << label;
  }
}

// The class information holds no reference to the object that gave it.
TEST(ClassInfo, ObjectGoesAwayWhileItsClassInformationIsHeld) {
  auto object = CreateFromDll<IDispatch>(CLSID_TimeUtility);
  ASSERT_TRUE(object);
  ComPtr<IProvideClassInfo> provider;
  ASSERT_EQ(object.As(&provider), S_OK);
  ComPtr<ITypeInfo> info;
  ASSERT_EQ(provider->GetClassInfo(info.GetAddressOf()), S_OK);
  object.Reset();
  EXPECT_EQ(provider.Reset(), 0u);
  TYPEATTR* attr = nullptr;
  ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
  EXPECT_TRUE(IsEqualGUID(attr->guid, CLSID_TimeUtility));
  info->ReleaseTypeAttr(attr);
}

// The collection's item has no class entry: it answers no, and names its
// interface through IDispatch::GetTypeInfo as before.
TEST(ClassInfo, CollectionItemHasNoClassToName) {
  auto collection = CreateFromDll<_ExCollection>(CLSID_ExCollection);
  ASSERT_TRUE(collection);
  Variant selector;
  V_VT(selector.get()) = VT_I4;
  V_I4(selector.get()) = 1;
  ComPtr<clsExItem> item;
  ASSERT_EQ(collection->get_Item(selector.get(), item.GetAddressOf()), S_OK);
  ComPtr<IProvideClassInfo> provider;
  EXPECT_EQ(item.As(&provider), E_NOINTERFACE);
  EXPECT_FALSE(provider);
  ComPtr<ITypeInfo> info;
  ASSERT_EQ(item->GetTypeInfo(0, LOCALE_USER_DEFAULT, info.GetAddressOf()), S_OK);
  TYPEATTR* attr = nullptr;
  ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
  EXPECT_TRUE(IsEqualGUID(attr->guid, IID_clsExItem));
  info->ReleaseTypeAttr(attr);
  item.Reset();
  collection->TerminateClass();
}

}  // namespace
}  // namespace tarn::client
