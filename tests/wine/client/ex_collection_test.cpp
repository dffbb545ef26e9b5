// ExCollection and its item view through the v-table and IDispatch: object
// identity and the releases of stored objects (no leaked cycle), the selector
// rule, errors in both modes, the enumerator, late resolution of the item.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/wine/client/client_support.h"

namespace tarn::client {
namespace {

// A client object that counts the references the library takes and drops.
class CountingObject final : public IDispatch {
 public:
  LONG references = 1;
  int releases = 0;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch)) {
      *object = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references); }
  ULONG STDMETHODCALLTYPE Release() override {
    ++releases;
    return static_cast<ULONG>(--references);
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return DISP_E_MEMBERNOTFOUND;
  }
};

ComPtr<_ExCollection> NewCollection() { return CreateFromDll<_ExCollection>(CLSID_ExCollection); }

Variant ObjectValue(IDispatch* object) {
  Variant v;
  V_VT(v.get()) = VT_DISPATCH;
  V_DISPATCH(v.get()) = object;
  object->AddRef();
  return v;
}
Variant TextValue(const wchar_t* text) {
  Variant v;
  *v.get() = BstrArg(text);
  return v;
}
Variant LongValue(LONG n) {
  Variant v;
  *v.get() = LongArg(n);
  return v;
}

HRESULT AddValue(_ExCollection* c, Variant& value, const wchar_t* key) {
  Bstr k(std::u16string(reinterpret_cast<const char16_t*>(key)));
  Variant missing_before, missing_after, result;
  *missing_before.get() = MissingArg();
  *missing_after.get() = MissingArg();
  BSTR raw = k.get();
  return c->Add(value.get(), &raw, missing_before.get(), missing_after.get(), result.get());
}

// The Value of the entry `selector` chooses, read through the item view.
HRESULT ReadValue(_ExCollection* c, Variant& selector, Variant& value) {
  ComPtr<clsExItem> item;
  HRESULT hr = c->get_Item(selector.get(), item.GetAddressOf());
  if (FAILED(hr)) return hr;
  return item->get_Value(value.get());
}

TEST(ExCollection, ObjectsKeepTheirIdentityThroughValueAddAndNewEnum) {
  CountingObject object;
  {
    auto c = NewCollection();
    ASSERT_TRUE(c);
    Variant value = ObjectValue(&object);
    Bstr key(u"obj");
    BSTR raw = key.get();
    Variant before, after, added;
    *before.get() = MissingArg();
    *after.get() = MissingArg();
    ASSERT_EQ(c->Add(value.get(), &raw, before.get(), after.get(), added.get()), S_OK);
    EXPECT_EQ(V_VT(added.get()), VT_DISPATCH);
    EXPECT_EQ(V_DISPATCH(added.get()), &object);

    Variant selector = TextValue(L"OBJ"), read;
    ASSERT_EQ(ReadValue(c.Get(), selector, read), S_OK);
    EXPECT_EQ(V_DISPATCH(read.get()), &object);

    ComPtr<IUnknown> unknown;
    ASSERT_EQ(c->NewEnum(unknown.GetAddressOf()), S_OK);
    ComPtr<IEnumVARIANT> enumerator;
    ASSERT_EQ(unknown.As(&enumerator), S_OK);
    Variant yielded;
    ULONG fetched = 0;
    ASSERT_EQ(enumerator->Next(1, yielded.get(), &fetched), S_OK);
    EXPECT_EQ(V_DISPATCH(yielded.get()), &object);

    // Set c(1) = object stores the object itself, not a copy.
    CountingObject other;
    IDispatch* other_pointer = &other;
    Variant position = LongValue(1);
    ASSERT_EQ(c->putref_Item(position.get(), &other_pointer), S_OK);
    Variant replaced;
    ASSERT_EQ(ReadValue(c.Get(), position, replaced), S_OK);
    EXPECT_EQ(V_DISPATCH(replaced.get()), &other);
    VariantClear(replaced.get());
    ASSERT_EQ(c->TerminateClass(), S_OK);
    // The enumerator still holds the list it walks, and with it the values.
    EXPECT_EQ(other.references, 2);
    enumerator.Reset();
    unknown.Reset();
    EXPECT_EQ(other.references, 1);
  }
  EXPECT_EQ(object.references, 1) << "every reference the library took is released";
}

TEST(ExCollection, ReleasedWithoutTerminateClassReleasesItsObjects) {
  CountingObject object;
  auto c = NewCollection();
  Variant value = ObjectValue(&object);
  ASSERT_EQ(AddValue(c.Get(), value, L"a"), S_OK);
  VariantClear(value.get());
  ASSERT_EQ(object.references, 2);
  ComPtr<clsExItem> item;
  Variant selector = TextValue(L"a");
  ASSERT_EQ(c->get_Item(selector.get(), item.GetAddressOf()), S_OK);
  EXPECT_EQ(CanUnloadNow(), S_FALSE);
  c.Reset();
  // The item held by the client keeps its collection alive and readable.
  EXPECT_EQ(object.references, 2);
  Variant read;
  ASSERT_EQ(item->get_Value(read.get()), S_OK);
  EXPECT_EQ(V_DISPATCH(read.get()), &object);
  VariantClear(read.get());
  const int releases_before = object.releases;
  item.Reset();
  EXPECT_EQ(object.references, 1) << "the collection was destroyed with the item";
  EXPECT_EQ(object.releases, releases_before + 1);
  EXPECT_EQ(CanUnloadNow(), S_OK);
}

TEST(ExCollection, TerminateClassReleasesAtOnceAndDetachesTheItem) {
  CountingObject object;
  auto c = NewCollection();
  Variant value = ObjectValue(&object);
  ASSERT_EQ(AddValue(c.Get(), value, L"a"), S_OK);
  VariantClear(value.get());
  ComPtr<clsExItem> item;
  Variant selector = TextValue(L"a");
  ASSERT_EQ(c->get_Item(selector.get(), item.GetAddressOf()), S_OK);
  ASSERT_EQ(c->TerminateClass(), S_OK);
  EXPECT_EQ(object.references, 1);
  EXPECT_EQ(c->TerminateClass(), static_cast<HRESULT>(0x800A005B));
  LONG count = 7;
  EXPECT_EQ(c->get_Count(&count), static_cast<HRESULT>(0x800A005B));
  VARIANT_BOOL sorted = 1;
  EXPECT_EQ(c->get_Sorted(&sorted), S_OK);
  EXPECT_EQ(sorted, 0);
  Variant read;
  EXPECT_EQ(item->get_Value(read.get()), S_OK);
  EXPECT_EQ(V_VT(read.get()), VT_EMPTY);
  Bstr key;
  EXPECT_EQ(item->Key(key.put()), S_OK);
  EXPECT_EQ(key.view(), u"");
  c.Reset();
  item.Reset();
  EXPECT_EQ(CanUnloadNow(), S_OK);
}

TEST(ExCollection, SelectorRule) {
  auto c = NewCollection();
  for (const wchar_t* key : {L"x", L"2", L"y"}) {
    Variant value = TextValue(key);
    ASSERT_EQ(AddValue(c.Get(), value, key), S_OK);
  }
  BSTR by_reference_text = SysAllocString(L"2");
  struct Row {
    const char* name;
    VARIANT selector;
    HRESULT hr;
    const wchar_t* value;
  };
  Row rows[] = {
      {"String 2 selects by key", BstrArg(L"2"), S_OK, L"2"},
      {"Long 2 selects by position", LongArg(2), S_OK, L"2"},
      {"Long 3", LongArg(3), S_OK, L"y"},
      {"Double 2.6 rounds to 3", {}, S_OK, L"y"},
      {"String by reference selects by key", {}, S_OK, L"2"},
      {"Null cannot be a position", {}, static_cast<HRESULT>(0x800A000D), nullptr},
      {"Double 1e10 overflows a Long", {}, static_cast<HRESULT>(0x800A0006), nullptr},
      {"Empty is position 0", {}, static_cast<HRESULT>(0x800A0009), nullptr},
      {"missing key", BstrArg(L"zz"), static_cast<HRESULT>(0x800A0005), nullptr},
  };
  V_VT(&rows[3].selector) = VT_R8;
  V_R8(&rows[3].selector) = 2.6;
  V_VT(&rows[4].selector) = VT_BYREF | VT_BSTR;
  V_BSTRREF(&rows[4].selector) = &by_reference_text;
  V_VT(&rows[5].selector) = VT_NULL;
  V_VT(&rows[6].selector) = VT_R8;
  V_R8(&rows[6].selector) = 1e10;
  V_VT(&rows[7].selector) = VT_EMPTY;
  for (auto& row : rows) {
    Variant selector;
    *selector.get() = row.selector;
    Variant value;
    EXPECT_EQ(ReadValue(c.Get(), selector, value), row.hr) << row.name;
    if (row.value) {
      EXPECT_EQ(Text(V_BSTR(value.get())), row.value) << row.name;
    } else {
      EXPECT_EQ(V_VT(value.get()), VT_EMPTY) << row.name;
    }
    if (V_VT(selector.get()) == (VT_BYREF | VT_BSTR)) selector.release();
  }
  SysFreeString(by_reference_text);
}

TEST(ExCollection, OneItemObjectResolvedWhenRead) {
  auto c = NewCollection();
  for (const wchar_t* key : {L"a", L"b"}) {
    Variant value = TextValue(key);
    ASSERT_EQ(AddValue(c.Get(), value, key), S_OK);
  }
  Variant position = LongValue(2), key_b = TextValue(L"b");
  ComPtr<clsExItem> first, second;
  ASSERT_EQ(c->get_Item(position.get(), first.GetAddressOf()), S_OK);
  // Inserting before position 1 moves "a" to position 2: the item reads it.
  Variant inserted = TextValue(L"new");
  Bstr key(u"n");
  BSTR raw = key.get();
  Variant before = LongValue(1), after, result;
  *after.get() = MissingArg();
  ASSERT_EQ(c->Add(inserted.get(), &raw, before.get(), after.get(), result.get()), S_OK);
  Bstr read_key;
  ASSERT_EQ(first->Key(read_key.put()), S_OK);
  EXPECT_EQ(read_key.view(), u"a");
  ASSERT_EQ(c->get_Item(key_b.get(), second.GetAddressOf()), S_OK);
  EXPECT_EQ(first.Get(), second.Get());
  ASSERT_EQ(first->Key(read_key.put()), S_OK);
  EXPECT_EQ(read_key.view(), u"b");
}

TEST(ExCollection, ArraysAreCopiedDeeply) {
  auto c = NewCollection();
  SAFEARRAY* array = SafeArrayCreateVector(VT_I4, 0, 2);
  LONG* data = nullptr;
  ASSERT_EQ(SafeArrayAccessData(array, reinterpret_cast<void**>(&data)), S_OK);
  data[0] = 10;
  SafeArrayUnaccessData(array);
  Variant value;
  V_VT(value.get()) = VT_ARRAY | VT_I4;
  V_ARRAY(value.get()) = array;
  ASSERT_EQ(AddValue(c.Get(), value, L"arr"), S_OK);
  ASSERT_EQ(SafeArrayAccessData(array, reinterpret_cast<void**>(&data)), S_OK);
  data[0] = 99;  // the client changes its own array afterwards
  SafeArrayUnaccessData(array);
  Variant selector = TextValue(L"arr"), read;
  ASSERT_EQ(ReadValue(c.Get(), selector, read), S_OK);
  ASSERT_EQ(V_VT(read.get()), VT_ARRAY | VT_I4);
  EXPECT_NE(V_ARRAY(read.get()), array);
  ASSERT_EQ(SafeArrayAccessData(V_ARRAY(read.get()), reinterpret_cast<void**>(&data)), S_OK);
  EXPECT_EQ(data[0], 10);
  SafeArrayUnaccessData(V_ARRAY(read.get()));
}

// The value a client reads back is the Automation copy (VariantCopy) of the
// one it stored: the same type, the same bytes for a String (short ones are
// kept inside the entry, so lengths around that limit, odd byte counts,
// embedded zeros and a null String are rows; the platform's copy of a null
// String is what comes back for it), the same data for other types, the
// whole Decimal.
bool SameValue(const VARIANT& a, const VARIANT& b) {
  if (V_VT(&a) != V_VT(&b)) return false;
  switch (V_VT(&a)) {
    case VT_EMPTY:
    case VT_NULL:
      return true;
    case VT_BSTR:
      if (!V_BSTR(&a) || !V_BSTR(&b)) return V_BSTR(&a) == V_BSTR(&b);
      return SysStringByteLen(V_BSTR(&a)) == SysStringByteLen(V_BSTR(&b)) &&
             std::memcmp(V_BSTR(&a), V_BSTR(&b), SysStringByteLen(V_BSTR(&a))) == 0;
    case VT_DECIMAL:
      return V_DECIMAL(&a).scale == V_DECIMAL(&b).scale && V_DECIMAL(&a).sign == V_DECIMAL(&b).sign &&
             V_DECIMAL(&a).Hi32 == V_DECIMAL(&b).Hi32 && V_DECIMAL(&a).Lo64 == V_DECIMAL(&b).Lo64;
    case VT_I2:
    case VT_BOOL:
      return V_I2(&a) == V_I2(&b);
    case VT_I4:
      return V_I4(&a) == V_I4(&b);
    default:  // 8 bytes of data: Double, Currency, Date
      return V_I8(&a) == V_I8(&b);
  }
}

VARIANT TextOfBytes(const char* bytes, UINT length) {
  VARIANT v{};
  V_VT(&v) = VT_BSTR;
  V_BSTR(&v) = SysAllocStringByteLen(bytes, length);
  return v;
}

TEST(ExCollection, ValuesComeBackAsStoredThroughItemAndNewEnum) {
  struct Row {
    const char* name;
    VARIANT (*make)();
  };
  const Row rows[] = {
      {"Empty", [] { return VARIANT{}; }},
      {"Null",
       [] {
         VARIANT v{};
         V_VT(&v) = VT_NULL;
         return v;
       }},
      {"Integer",
       [] {
         VARIANT v{};
         V_VT(&v) = VT_I2;
         V_I2(&v) = -12345;
         return v;
       }},
      {"Long",
       [] {
         VARIANT v{};
         V_VT(&v) = VT_I4;
         V_I4(&v) = -2147483647;
         return v;
       }},
      {"Double",
       [] {
         VARIANT v{};
         V_VT(&v) = VT_R8;
         V_R8(&v) = -1.25e300;
         return v;
       }},
      {"Currency",
       [] {
         VARIANT v{};
         V_VT(&v) = VT_CY;
         V_CY(&v).int64 = 0x123456789ABCDEFll;
         return v;
       }},
      {"Date",
       [] {
         VARIANT v{};
         V_VT(&v) = VT_DATE;
         V_DATE(&v) = 45000.75;
         return v;
       }},
      {"Boolean",
       [] {
         VARIANT v{};
         V_VT(&v) = VT_BOOL;
         V_BOOL(&v) = VARIANT_TRUE;
         return v;
       }},
      {"Decimal",
       [] {
         VARIANT v{};
         V_DECIMAL(&v).scale = 3;
         V_DECIMAL(&v).sign = DECIMAL_NEG;
         V_DECIMAL(&v).Hi32 = 0x89ABCDEF;
         V_DECIMAL(&v).Lo64 = 0x0123456789ABCDEFull;
         V_VT(&v) = VT_DECIMAL;
         return v;
       }},
      {"null String",
       [] {
         VARIANT v{};
         V_VT(&v) = VT_BSTR;
         V_BSTR(&v) = nullptr;
         return v;
       }},
      {"empty String", [] { return TextOfBytes("", 0); }},
      {"1 byte", [] { return TextOfBytes("a", 1); }},
      {"5 characters", [] { return BstrArg(L"v1234"); }},
      {"13 bytes", [] { return TextOfBytes("abcdefghijklm", 13); }},
      {"7 characters", [] { return BstrArg(L"1234567"); }},
      {"8 characters", [] { return BstrArg(L"12345678"); }},
      {"embedded zeros", [] { return TextOfBytes("a\0\0b\0", 5); }},
      {"1000 characters", [] { return BstrArg(std::wstring(1000, L'x').c_str()); }},
  };
  auto c = NewCollection(), refs = NewCollection();
  for (size_t i = 0; i < std::size(rows); ++i) {
    Variant value;
    *value.get() = rows[i].make();
    Variant copy;
    ASSERT_EQ(VariantCopy(copy.get(), value.get()), S_OK) << rows[i].name;
    ASSERT_EQ(AddValue(c.Get(), value, std::to_wstring(i).c_str()), S_OK) << rows[i].name;
    Variant selector = LongValue(static_cast<LONG>(i + 1)), read;
    ASSERT_EQ(ReadValue(c.Get(), selector, read), S_OK) << rows[i].name;
    EXPECT_TRUE(SameValue(*read.get(), *copy.get())) << rows[i].name;
    // The same value by reference, and behind a Variant reference, as scripts pass it.
    Variant by_reference, behind_variant;
    V_VT(by_reference.get()) = V_VT(value.get()) | VT_BYREF;
    V_BYREF(by_reference.get()) = V_VT(value.get()) == VT_DECIMAL ? static_cast<void*>(&V_DECIMAL(value.get()))
                                                                  : static_cast<void*>(&V_I8(value.get()));
    V_VT(behind_variant.get()) = VT_VARIANT | VT_BYREF;
    V_VARIANTREF(behind_variant.get()) = value.get();
    for (Variant* argument : {&by_reference, &behind_variant}) {
      const std::wstring key = L"ref" + std::to_wstring(i) + (argument == &by_reference ? L"a" : L"b");
      if (V_VT(value.get()) == VT_EMPTY || V_VT(value.get()) == VT_NULL) continue;  // no by-reference form
      ASSERT_EQ(AddValue(refs.Get(), *argument, key.c_str()), S_OK) << rows[i].name;
      Variant by_key = TextValue(key.c_str()), again;
      ASSERT_EQ(ReadValue(refs.Get(), by_key, again), S_OK) << rows[i].name;
      EXPECT_TRUE(SameValue(*again.get(), *copy.get())) << rows[i].name << " by reference";
    }
  }
  // The enumerator copies every stored value.
  ComPtr<IUnknown> unknown;
  ASSERT_EQ(c->NewEnum(unknown.GetAddressOf()), S_OK);
  ComPtr<IEnumVARIANT> items;
  ASSERT_EQ(unknown.As(&items), S_OK);
  for (size_t i = 0; i < std::size(rows); ++i) {
    Variant next, made, expected;
    *made.get() = rows[i].make();
    ASSERT_EQ(VariantCopy(expected.get(), made.get()), S_OK) << rows[i].name;
    ASSERT_EQ(items->Next(1, next.get(), nullptr), S_OK) << rows[i].name;
    EXPECT_TRUE(SameValue(*next.get(), *expected.get())) << rows[i].name << " through NewEnum";
  }
}

TEST(ExCollection, ErrorsInBothModes) {
  auto c = NewCollection();
  ComPtr<ISupportErrorInfo> support;
  ASSERT_EQ(c.As(&support), S_OK);
  EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID__ExCollection), S_OK);
  Variant value = TextValue(L"v");
  ASSERT_EQ(AddValue(c.Get(), value, L"a"), S_OK);
  Variant missing = TextValue(L"zz");
  EXPECT_EQ(c->Remove(missing.get()), static_cast<HRESULT>(0x800A0005));
  auto info = TakeErrorInfo();
  EXPECT_EQ(info.description, L"Invalid procedure call or argument");
  EXPECT_TRUE(IsEqualGUID(info.guid, IID__ExCollection));
  Bstr key;
  EXPECT_EQ(c->Key(0, key.put()), static_cast<HRESULT>(0x800A0009));
  short err = 0;
  ASSERT_EQ(c->get_Err(&err), S_OK);
  EXPECT_EQ(err, 9);

  ASSERT_EQ(c->put_RaiseErrors(VARIANT_FALSE), S_OK);
  EXPECT_EQ(c->Remove(missing.get()), S_OK);
  ASSERT_EQ(c->get_Err(&err), S_OK);
  EXPECT_EQ(err, 5);
  Bstr description;
  ASSERT_EQ(c->get_ErrDescription(description.put()), S_OK);
  EXPECT_EQ(description.view(), u"Invalid procedure call or argument");
  Variant duplicate = TextValue(L"w");
  EXPECT_EQ(AddValue(c.Get(), duplicate, L"A"), S_OK);
  ASSERT_EQ(c->get_Err(&err), S_OK);
  EXPECT_EQ(err, 457);
  ASSERT_EQ(c->Key(1, key.put()), S_OK);
  ASSERT_EQ(c->get_Err(&err), S_OK);
  EXPECT_EQ(err, 0);

  // Sorted let is never trapped: 511 whatever RaiseErrors says, not recorded.
  VARIANT_BOOL on = VARIANT_TRUE;
  EXPECT_EQ(c->put_Sorted(&on), static_cast<HRESULT>(0x800A01FF));
  info = TakeErrorInfo();
  EXPECT_EQ(info.description, L"Sorted property is read-only if the collection is not empty");
  ASSERT_EQ(c->get_Err(&err), S_OK);
  EXPECT_EQ(err, 0);
}

TEST(ExCollection, EnumeratorNextSkipResetCloneAndChanges) {
  auto c = NewCollection();
  for (LONG n = 1; n <= 5; ++n) {
    Variant value = LongValue(n * 10);
    const std::wstring key = L"k" + std::to_wstring(n);
    ASSERT_EQ(AddValue(c.Get(), value, key.c_str()), S_OK);
  }
  ComPtr<IUnknown> unknown;
  ASSERT_EQ(c->NewEnum(unknown.GetAddressOf()), S_OK);
  ComPtr<IEnumVARIANT> e;
  ASSERT_EQ(unknown.As(&e), S_OK);
  VARIANT values[3];
  ULONG fetched = 0;
  ASSERT_EQ(e->Next(2, values, &fetched), S_OK);
  ASSERT_EQ(fetched, 2u);
  EXPECT_EQ(V_I4(&values[0]), 10);
  EXPECT_EQ(V_I4(&values[1]), 20);
  ComPtr<IEnumVARIANT> clone;
  ASSERT_EQ(e->Clone(clone.GetAddressOf()), S_OK);
  EXPECT_EQ(e->Skip(1), S_OK);
  ASSERT_EQ(e->Next(1, values, &fetched), S_OK);
  EXPECT_EQ(V_I4(&values[0]), 40);
  // Removing the entry at the enumerator's position shifts what it sees next.
  Variant position = LongValue(5);
  ASSERT_EQ(c->Remove(position.get()), S_OK);
  EXPECT_EQ(e->Next(3, values, &fetched), S_FALSE);
  EXPECT_EQ(fetched, 0u);
  ASSERT_EQ(clone->Next(3, values, &fetched), S_FALSE);
  ASSERT_EQ(fetched, 2u);
  EXPECT_EQ(V_I4(&values[0]), 30);
  EXPECT_EQ(V_I4(&values[1]), 40);
  EXPECT_EQ(clone->Skip(5), S_FALSE);
  ASSERT_EQ(clone->Reset(), S_OK);
  // After TerminateClass an enumerator still walks the list it was made over.
  ASSERT_EQ(c->TerminateClass(), S_OK);
  ASSERT_EQ(clone->Next(1, values, &fetched), S_OK);
  EXPECT_EQ(V_I4(&values[0]), 10);
  EXPECT_EQ(c->NewEnum(unknown.ReleaseAndGetAddressOf()), static_cast<HRESULT>(0x800A005B));
}

TEST(ExCollection, DefaultMemberAndNewEnumThroughInvoke) {
  auto c = NewCollection();
  Variant value = TextValue(L"v");
  ASSERT_EQ(AddValue(c.Get(), value, L"a"), S_OK);
  // c("a") = "w" is a property put of the default member.
  VARIANT put_args[] = {BstrArg(L"w"), BstrArg(L"a")};  // last to first
  DISPID put_id = DISPID_PROPERTYPUT;
  DISPPARAMS put{put_args, &put_id, 2, 1};
  EXCEPINFO exception{};
  UINT bad = 0;
  ASSERT_EQ(c->Invoke(DISPID_VALUE, IID_NULL, 0, DISPATCH_PROPERTYPUT, &put, nullptr, &exception, &bad), S_OK);
  VariantClear(&put_args[0]);
  VariantClear(&put_args[1]);
  // c("a") read through IDispatch: the item object, whose default is Value.
  VARIANT get_arg = BstrArg(L"A");
  DISPPARAMS get{&get_arg, nullptr, 1, 0};
  Variant item;
  ASSERT_EQ(
      c->Invoke(DISPID_VALUE, IID_NULL, 0, DISPATCH_PROPERTYGET | DISPATCH_METHOD, &get, item.get(), &exception, &bad),
      S_OK);
  VariantClear(&get_arg);
  ASSERT_EQ(V_VT(item.get()), VT_DISPATCH);
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  Variant read;
  ASSERT_EQ(V_DISPATCH(item.get())
                ->Invoke(DISPID_VALUE, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, read.get(), &exception, &bad),
            S_OK);
  EXPECT_EQ(Text(V_BSTR(read.get())), L"w");
  Variant enumerator;
  ASSERT_EQ(c->Invoke(DISPID_NEWENUM, IID_NULL, 0, DISPATCH_METHOD | DISPATCH_PROPERTYGET, &none, enumerator.get(),
                      &exception, &bad),
            S_OK);
  EXPECT_EQ(V_VT(enumerator.get()), VT_UNKNOWN);
  // A missing key raises through Invoke as an exception with our description.
  VARIANT missing = BstrArg(L"zz");
  DISPPARAMS remove{&missing, nullptr, 1, 0};
  EXPECT_EQ(InvokeByName(c.Get(), L"Remove", DISPATCH_METHOD, {missing}, nullptr, &exception), DISP_E_EXCEPTION);
  EXPECT_EQ(exception.scode, static_cast<HRESULT>(0x800A0005));
  EXPECT_EQ(Text(exception.bstrDescription), L"Invalid procedure call or argument");
  ReleaseException(exception);
  (void)remove;
  VariantClear(&missing);
}

}  // namespace
}  // namespace tarn::client
