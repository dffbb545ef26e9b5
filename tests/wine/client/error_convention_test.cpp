// How errors leave a member: HRESULT plus the thread's error information
// through the v-table, exception information through IDispatch::Invoke, the
// result left empty, no stale error information after success; and an object
// whose caller drops its last reference during a call.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>

#include "tests/wine/client/client_support.h"

namespace tarn::client {
namespace {

TEST(ErrorConvention, StandardErrorsThroughTheVtable) {
  auto object = NewStringFunction();
  ASSERT_TRUE(object);
  struct Row {
    const char* call;
    HRESULT (*run)(_StringFunction*, LONG*);
    HRESULT hr;
    const wchar_t* description;
  };
  const Row rows[] = {
      {"CountStringInString with empty Source",
       [](_StringFunction* o, LONG* r) { return o->CountStringInString(Bstr(u"").get(), Bstr(u"a").get(), -1, r); },
       static_cast<HRESULT>(0x800A0009), L"Subscript out of range"},
      {"CountStringInString with null Match",
       [](_StringFunction* o, LONG* r) { return o->CountStringInString(Bstr(u"abc").get(), nullptr, 0, r); },
       static_cast<HRESULT>(0x800A0009), L"Subscript out of range"},
      {"InStrEx from -2147483648",
       [](_StringFunction* o, LONG* r) {
         return o->InStrEx(LONG_MIN, Bstr(u"abc").get(), Bstr(u"b").get(), tlBinaryCompare, r);
       },
       static_cast<HRESULT>(0x800A0006), L"Overflow"},
      {"InStrEx with comparison method 2",
       [](_StringFunction* o, LONG* r) {
         // A method the enumeration does not name, as a late-bound caller can pass.
         const int database = 2;
         tlCompareMethod method;
         std::memcpy(&method, &database, sizeof method);
         return o->InStrEx(1, Bstr(u"abc").get(), Bstr(u"b").get(), method, r);
       },
       static_cast<HRESULT>(0x800A0005), L"Invalid procedure call or argument"},
  };
  for (const auto& row : rows) {
    LONG result = 12345;
    EXPECT_EQ(row.run(object.Get(), &result), row.hr) << row.call;
    EXPECT_EQ(result, 0) << row.call;
    const auto info = TakeErrorInfo();
    ASSERT_TRUE(info.present) << row.call;
    EXPECT_EQ(info.description, row.description) << row.call;
    EXPECT_EQ(info.source, L"TarnLib") << row.call;
    EXPECT_TRUE(IsEqualGUID(info.guid, IID__StringFunction)) << row.call;
  }
}

TEST(ErrorConvention, StringResultIsNullAfterAnError) {
  auto object = NewStringFunction();
  ASSERT_TRUE(object);
  BSTR result = SysAllocString(L"stale");
  BSTR stale = result;
  EXPECT_EQ(object->FirstUCase(Bstr(std::u16string(40000, u'a')).get(), &result), static_cast<HRESULT>(0x800A0006));
  EXPECT_EQ(result, nullptr);
  SysFreeString(stale);
  const auto info = TakeErrorInfo();
  ASSERT_TRUE(info.present);
  EXPECT_EQ(info.description, L"Overflow");
}

TEST(ErrorConvention, SuccessLeavesNoStaleErrorInformation) {
  auto object = NewStringFunction();
  ASSERT_TRUE(object);
  LONG result = 0;
  ASSERT_NE(object->CountStringInString(nullptr, nullptr, -1, &result), S_OK);
  ASSERT_EQ(object->CountStringInString(Bstr(u"aaaa").get(), Bstr(u"aa").get(), -1, &result), S_OK);
  EXPECT_EQ(result, 3);
  EXPECT_FALSE(TakeErrorInfo().present);
}

TEST(ErrorConvention, InvokeTurnsErrorsIntoExceptionInformation) {
  auto object = NewStringFunction();
  ASSERT_TRUE(object);
  Variant result;
  EXCEPINFO exception{};
  const HRESULT hr = InvokeByName(object.Get(), L"CountStringInString", DISPATCH_METHOD, {BstrArg(L""), BstrArg(L"a")},
                                  result.get(), &exception);
  EXPECT_EQ(hr, DISP_E_EXCEPTION);
  EXPECT_EQ(exception.scode, static_cast<SCODE>(0x800A0009));
  EXPECT_EQ(Text(exception.bstrDescription), L"Subscript out of range");
  EXPECT_EQ(Text(exception.bstrSource), L"TarnLib");
  // The member's result was the empty value of its type.
  EXPECT_TRUE(V_VT(result.get()) == VT_EMPTY || (V_VT(result.get()) == VT_I4 && V_I4(result.get()) == 0));
  ReleaseException(exception);
}

TEST(ErrorConvention, EveryClassSupportsErrorInfoForItsOwnInterfaceOnly) {
  struct Row {
    const CLSID* clsid;
    const IID* iid;
  };
  const Row rows[] = {
      {&CLSID_StringFunction, &IID__StringFunction}, {&CLSID_GeneralUtility, &IID__GeneralUtility},
      {&CLSID_ExCollection, &IID__ExCollection},     {&CLSID_Network, &IID__Network},
      {&CLSID_TimeUtility, &IID__TimeUtility},       {&CLSID_CRegSettings, &IID__CRegSettings},
  };
  for (const auto& row : rows) {
    auto object = CreateFromDll<IDispatch>(*row.clsid);
    ASSERT_TRUE(object);
    ComPtr<ISupportErrorInfo> support;
    ASSERT_EQ(object.As(&support), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(*row.iid), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IDispatch), S_FALSE);
  }
}

// A client object whose default property hands back a text and, while doing
// so, drops the client's last reference to the object being called.
class ReleasingArgument final : public IDispatch {
 public:
  explicit ReleasingArgument(ComPtr<_StringFunction>* victim) : victim_(victim) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch)) {
      *object = this;
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override { return --references_; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                   UINT*) override {
    if (id != DISPID_VALUE || !result) return DISP_E_MEMBERNOTFOUND;
    victim_->Reset();
    released_during_call = true;
    V_VT(result) = VT_BSTR;
    V_BSTR(result) = SysAllocString(L"banana");
    return S_OK;
  }
  bool released_during_call = false;

 private:
  ComPtr<_StringFunction>* victim_;
  ULONG references_ = 1;
};

TEST(Lifetime, CallerReleasingItsLastReferenceDuringACall) {
  ASSERT_EQ(CanUnloadNow(), S_OK);
  auto object = NewStringFunction();
  ASSERT_TRUE(object);
  ComPtr<IDispatch> dispatch;
  ASSERT_EQ(object.As(&dispatch), S_OK);
  IDispatch* raw = dispatch.Detach();  // the call below goes through the last reference, held by `object`
  raw->Release();
  // ComPtr's operator& would release the pointer: take the address plainly.
  ReleasingArgument argument(std::addressof(object));
  VARIANT source;
  V_VT(&source) = VT_DISPATCH;
  V_DISPATCH(&source) = &argument;
  Variant result;
  EXCEPINFO exception{};
  DISPID id = 0;
  LPOLESTR name[] = {const_cast<LPOLESTR>(L"CountStringInString")};
  ASSERT_EQ(raw->GetIDsOfNames(IID_NULL, name, 1, LOCALE_USER_DEFAULT, &id), S_OK);
  VARIANT args[] = {BstrArg(L"a"), source};  // last argument first
  DISPPARAMS params{args, nullptr, 2, 0};
  UINT bad = 0;
  const HRESULT hr =
      raw->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, result.get(), &exception, &bad);
  VariantClear(&args[0]);
  EXPECT_EQ(hr, S_OK);
  EXPECT_TRUE(argument.released_during_call);
  EXPECT_EQ(V_VT(result.get()), VT_I4);
  EXPECT_EQ(V_I4(result.get()), 3);
  EXPECT_FALSE(object);
  // The object was destroyed once the call returned.
  EXPECT_EQ(CanUnloadNow(), S_OK);
}

}  // namespace
}  // namespace tarn::client

namespace tarn::client {
namespace {

struct InvokeOutcome {
  HRESULT hr;
  VARTYPE type;
  std::wstring text;  // the String result, or the error description
  SCODE scode;
};

// Calls a one-argument member with a String; `named` passes it as a named
// argument, so that positional and named arguments can be compared.
InvokeOutcome CallWithString(IDispatch* object, const wchar_t* member, const std::wstring& text, bool named) {
  DISPID id = 0;
  LPOLESTR names[] = {const_cast<LPOLESTR>(member)};
  EXPECT_EQ(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK);
  VARIANT arg;
  V_VT(&arg) = VT_BSTR;
  V_BSTR(&arg) = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  DISPID first = 0;
  DISPPARAMS params{&arg, named ? &first : nullptr, 1, named ? 1u : 0u};
  Variant result;
  EXCEPINFO exception{};
  UINT bad = 0;
  InvokeOutcome outcome{};
  outcome.hr =
      object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, result.get(), &exception, &bad);
  outcome.type = V_VT(result.get());
  outcome.scode = exception.scode;
  outcome.text = outcome.hr == S_OK ? (outcome.type == VT_BSTR ? Text(V_BSTR(result.get())) : L"")
                                    : Text(exception.bstrDescription);
  ReleaseException(exception);
  VariantClear(&arg);
  return outcome;
}

TEST(Dispatch, StringOnlyMembersGiveTheSameAnswersWithOrWithoutTheShortcut) {
  auto object = CreateFromDll<IDispatch>(CLSID_StringFunction);
  ASSERT_TRUE(object);
  const struct {
    const wchar_t* member;
    std::wstring text;
    HRESULT hr;
  } rows[] = {
      {L"FirstUCase", L"  hello   WORLD ", S_OK},
      {L"RemoveSpaces", L" a b ", S_OK},
      {L"OnlyOneSpace", L"a   b", S_OK},
      {L"CSql", L"it's", S_OK},
      {L"FirstUCase", std::wstring(40000, L'a'), DISP_E_EXCEPTION},
  };
  for (const auto& row : rows) {
    const InvokeOutcome direct = CallWithString(object.Get(), row.member, row.text, false);
    const InvokeOutcome standard = CallWithString(object.Get(), row.member, row.text, true);
    EXPECT_EQ(direct.hr, row.hr) << row.member;
    EXPECT_EQ(standard.hr, row.hr) << row.member;
    EXPECT_EQ(direct.type, standard.type) << row.member;
    EXPECT_EQ(direct.text, standard.text) << row.member;
    EXPECT_EQ(direct.scode, standard.scode) << row.member;
  }
  EXPECT_EQ(CallWithString(object.Get(), L"CSql", L"it's", false).text, L"it''s");
  EXPECT_EQ(CallWithString(object.Get(), L"FirstUCase", std::wstring(40000, L'a'), false).scode,
            static_cast<SCODE>(0x800A0006));
}

}  // namespace
}  // namespace tarn::client
