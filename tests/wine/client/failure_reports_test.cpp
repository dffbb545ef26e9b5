// Failures reach a late-bound client as errors it can explain: an object
// without IDispatch where an object is read is a type mismatch (never a bare
// E_NOINTERFACE), a random text longer than a String can hold is error 7
// without any work done first, and a number the platform does not convert is
// the platform's own answer.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tests/wine/client/client_support.h"

namespace tarn::client {
namespace {

// A client object with IUnknown only.
class WithoutDispatch final : public IUnknown {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (IsEqualIID(riid, IID_IUnknown)) {
      *object = this;
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references); }
  ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--references); }
  LONG references = 1;
};

VARIANT UnknownArg(IUnknown* object) {
  VARIANT v;
  V_VT(&v) = VT_UNKNOWN;
  V_UNKNOWN(&v) = object;  // lent: the caller keeps its reference
  return v;
}

struct Outcome {
  HRESULT hr;
  UINT bad_argument;
  SCODE scode;
  std::wstring description;
};

// Invokes with arguments given last to first, as Invoke takes them. With
// `read_value`, an object answered is read in turn through its default
// member, as `x = c(key)` does.
Outcome Invoke(IDispatch* object, const wchar_t* name, WORD flags, std::vector<VARIANT> reversed,
               bool read_value = false) {
  Outcome outcome{};
  DISPID id = 0;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  outcome.hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(outcome.hr)) return outcome;
  DISPID put_id = DISPID_PROPERTYPUT;
  const bool put = flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF);
  DISPPARAMS params{reversed.data(), put ? &put_id : nullptr, static_cast<UINT>(reversed.size()), put ? 1u : 0u};
  Variant result;
  EXCEPINFO exception{};
  outcome.bad_argument = 0xFFFFu;
  outcome.hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result.get(), &exception,
                              &outcome.bad_argument);
  if (read_value && outcome.hr == S_OK && V_VT(result.get()) == VT_DISPATCH && V_DISPATCH(result.get())) {
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    Variant value;
    outcome.hr = V_DISPATCH(result.get())
                     ->Invoke(DISPID_VALUE, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, value.get(),
                              &exception, &outcome.bad_argument);
  }
  outcome.scode = exception.scode;
  outcome.description = Text(exception.bstrDescription);
  ReleaseException(exception);
  for (VARIANT& v : reversed) {
    if (V_VT(&v) != VT_UNKNOWN) VariantClear(&v);
  }
  return outcome;
}

TEST(WrongObjectType, AnObjectWithoutDispatchWhereAnObjectIsReadIsATypeMismatch) {
  WithoutDispatch plain;
  ComPtr<IDispatch> collection = CreateFromDll<IDispatch>(CLSID_ExCollection);
  ComPtr<IDispatch> utility = CreateFromDll<IDispatch>(CLSID_GeneralUtility);
  ASSERT_TRUE(collection && utility);
  Invoke(collection.Get(), L"Add", DISPATCH_METHOD, {BstrArg(L"a"), BstrArg(L"first")});
  const struct Row {
    const char* what;
    IDispatch* object;
    const wchar_t* name;
    WORD flags;
    std::vector<VARIANT> args;  // last to first
    UINT object_at;             // the object's place in `args`, for puArgErr
    bool read_value = false;
  } rows[] = {
      {"LimitCursor obj", utility.Get(), L"LimitCursor", DISPATCH_METHOD, {UnknownArg(&plain)}, 0},
      {"Set c(\"a\") = obj",
       collection.Get(),
       L"Item",
       DISPATCH_PROPERTYPUTREF,
       {UnknownArg(&plain), BstrArg(L"a")},
       0},
      // The item view resolves its selector when it is read.
      {"x = c.Item(obj)",
       collection.Get(),
       L"Item",
       DISPATCH_PROPERTYGET | DISPATCH_METHOD,
       {UnknownArg(&plain)},
       0,
       true},
      {"c(obj) = 1", collection.Get(), L"Item", DISPATCH_PROPERTYPUT, {LongArg(1), UnknownArg(&plain)}, 1},
      {"c.Remove obj", collection.Get(), L"Remove", DISPATCH_METHOD, {UnknownArg(&plain)}, 0},
      {"c.Add 1, \"k\", obj",
       collection.Get(),
       L"Add",
       DISPATCH_METHOD,
       {UnknownArg(&plain), BstrArg(L"k"), LongArg(1)},
       0},
  };
  for (const Row& row : rows) {
    const Outcome got = Invoke(row.object, row.name, row.flags, row.args, row.read_value);
    EXPECT_NE(got.hr, E_NOINTERFACE) << row.what;
    if (got.hr == DISP_E_TYPEMISMATCH) {
      // Refused by the dispatch itself: the client names the argument.
      EXPECT_EQ(got.bad_argument, row.object_at) << row.what;
    } else {
      // Refused by the member: error 13 with its text.
      EXPECT_EQ(got.hr, DISP_E_EXCEPTION) << row.what;
      EXPECT_EQ(got.scode, static_cast<SCODE>(0x800A000D)) << row.what;
      EXPECT_EQ(got.description, L"Type mismatch") << row.what;
    }
  }
  collection.Reset();              // the item view keeps its last selector
  EXPECT_EQ(plain.references, 1);  // every reference taken was given back
}

TEST(WrongObjectType, AnObjectWithoutDispatchIsStoredAsAValue) {
  // Only reading it as an object fails: a collection holds any value.
  WithoutDispatch plain;
  ComPtr<IDispatch> collection = CreateFromDll<IDispatch>(CLSID_ExCollection);
  ASSERT_TRUE(collection);
  EXPECT_EQ(Invoke(collection.Get(), L"Add", DISPATCH_METHOD, {BstrArg(L"k"), UnknownArg(&plain)}).hr, S_OK);
  EXPECT_EQ(plain.references, 2);
  collection.Reset();
  EXPECT_EQ(plain.references, 1);
}

TEST(RandomText, LongerThanAStringCanHoldIsOutOfMemoryAtOnce) {
  ComPtr<IDispatch> strings = CreateFromDll<IDispatch>(CLSID_StringFunction);
  ASSERT_TRUE(strings);
  // 0x3FFFFFFF characters is the largest String; beyond it nothing can be allocated.
  for (const LONG length : {LONG{0x40000000}, LONG{0x7FFFFFFF}}) {
    const Outcome got = Invoke(strings.Get(), L"GetRndString", DISPATCH_METHOD, {LongArg(length)});
    EXPECT_EQ(got.hr, DISP_E_EXCEPTION) << length;
    EXPECT_EQ(got.scode, static_cast<SCODE>(0x800A0007)) << length;
    EXPECT_EQ(got.description, L"Out of memory") << length;
  }
  // The empty set is still checked first.
  const Outcome empty =
      Invoke(strings.Get(), L"GetRndString", DISPATCH_METHOD, {BstrArg(L""), LongArg(LONG{0x7FFFFFFF})});
  EXPECT_EQ(empty.scode, static_cast<SCODE>(0x80040BB9));
}

TEST(RandomText, ALongTextIsDrawnWholeFromTheSet) {
  ComPtr<_StringFunction> strings = NewStringFunction();
  ASSERT_TRUE(strings);
  Bstr text;
  ASSERT_EQ(strings->GetRndString(3'000'000, Bstr(u"xyz").get(), text.put()), S_OK);
  ASSERT_EQ(SysStringLen(text.get()), 3'000'000u);
  size_t counts[3] = {};
  for (const wchar_t c : std::wstring_view(text.get(), 3'000'000)) {
    ASSERT_TRUE(c == L'x' || c == L'y' || c == L'z');
    ++counts[c - L'x'];
  }
  // Each character near a third; 6 standard deviations is about 4,900.
  for (const size_t count : counts) EXPECT_NEAR(static_cast<double>(count), 1e6, 5000.0);
}

// A Long parameter given a NaN: the dispatch converts with the platform's
// VariantChangeType, so the member answers as for whatever the platform made
// of it, or the call fails as the conversion did.
TEST(PlatformConversion, NaNForALongIsWhateverThePlatformMakesOfIt) {
  ComPtr<IDispatch> strings = CreateFromDll<IDispatch>(CLSID_StringFunction);
  ASSERT_TRUE(strings);
  VARIANT nan;
  V_VT(&nan) = VT_R8;
  V_R8(&nan) = std::numeric_limits<double>::quiet_NaN();
  Variant converted;
  const HRESULT conversion = VariantChangeType(converted.get(), &nan, 0, VT_I4);
  std::printf("platform: VariantChangeType(NaN, VT_I4) = 0x%08lx, value %ld\n", static_cast<unsigned long>(conversion),
              SUCCEEDED(conversion) ? static_cast<long>(V_I4(converted.get())) : 0L);
  const Outcome from_nan = Invoke(strings.Get(), L"InStrEx", DISPATCH_METHOD, {BstrArg(L"b"), BstrArg(L"abc"), nan});
  if (FAILED(conversion)) {
    EXPECT_EQ(from_nan.hr, conversion);
    EXPECT_EQ(from_nan.bad_argument, 2u);
  } else {
    Variant a, b;
    DISPID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(L"InStrEx")};
    ASSERT_EQ(strings->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK);
    VARIANT args_nan[] = {BstrArg(L"b"), BstrArg(L"abc"), nan};
    VARIANT args_value[] = {BstrArg(L"b"), BstrArg(L"abc"), LongArg(V_I4(converted.get()))};
    DISPPARAMS p1{args_nan, nullptr, 3, 0}, p2{args_value, nullptr, 3, 0};
    const HRESULT h1 = strings->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &p1, a.get(), nullptr, nullptr);
    const HRESULT h2 = strings->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &p2, b.get(), nullptr, nullptr);
    EXPECT_EQ(h1, h2);
    EXPECT_EQ(VarCmp(a.get(), b.get(), 0, 0), static_cast<HRESULT>(VARCMP_EQ));
    for (VARIANT* args : {args_nan, args_value}) {
      VariantClear(&args[0]);
      VariantClear(&args[1]);
    }
  }
}

}  // namespace
}  // namespace tarn::client
