#include "tests/wine/lifetime/late_calls.h"

#include <algorithm>
#include <cstdio>

namespace tarn::lifetime {

Args::Args(std::initializer_list<VARIANT> values) {
  // Invoke takes arguments last to first.
  for (auto it = values.end(); it != values.begin();) values_[count_++] = *--it;
}

Args::~Args() {
  for (UINT i = 0; i < count_; ++i) VariantClear(&values_[i]);
}

VARIANT Str(const wchar_t* text) {
  VARIANT v;
  V_VT(&v) = VT_BSTR;
  V_BSTR(&v) = SysAllocString(text);
  return v;
}

VARIANT Long(LONG value) {
  VARIANT v;
  V_VT(&v) = VT_I4;
  V_I4(&v) = value;
  return v;
}

IDispatch* Create(const wchar_t* prog_id) {
  CLSID clsid;
  if (FAILED(CLSIDFromProgID(prog_id, &clsid))) return nullptr;
  IDispatch* object = nullptr;
  if (FAILED(
          CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, reinterpret_cast<void**>(&object)))) {
    return nullptr;
  }
  return object;
}

Outcome Call(IDispatch* object, const wchar_t* name, WORD flags, Args&& args) {
  Outcome outcome;
  if (!object) return outcome;
  DISPID id = 0;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  outcome.hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(outcome.hr)) return outcome;
  DISPPARAMS params{args.size() ? args.data() : nullptr, nullptr, args.size(), 0};
  DISPID put_id = DISPID_PROPERTYPUT;
  if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
    params.rgdispidNamedArgs = &put_id;
    params.cNamedArgs = 1;
  }
  VARIANT result;
  VariantInit(&result);
  EXCEPINFO exception{};
  UINT bad_argument = 0;
  outcome.hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, &result, &exception, &bad_argument);
  if (outcome.hr == DISP_E_EXCEPTION) {
    const auto code = static_cast<unsigned long>(exception.scode);
    outcome.text = L"error " + std::to_wstring(exception.wCode ? exception.wCode : (code & 0xFFFF)) + L": " +
                   (exception.bstrDescription ? exception.bstrDescription : L"<no description>");
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrHelpFile);
  } else if (SUCCEEDED(outcome.hr)) {
    VARIANT text;
    VariantInit(&text);
    if (V_VT(&result) == VT_DISPATCH || V_VT(&result) == VT_UNKNOWN) {
      outcome.text = L"<object>";
    } else if (SUCCEEDED(VariantChangeType(&text, &result, VARIANT_ALPHABOOL, VT_BSTR))) {
      outcome.text = V_BSTR(&text);
    }
    VariantClear(&text);
  }
  VariantClear(&result);
  return outcome;
}

namespace {

void Note(std::wstring& answers, const wchar_t* what, const Outcome& outcome) {
  answers += what;
  answers += L" = ";
  answers += SUCCEEDED(outcome.hr) || outcome.raised() ? outcome.text : L"hr " + std::to_wstring(outcome.hr);
  answers += L"\n";
}

}  // namespace

std::wstring UseEveryClass(bool& ok) {
  std::wstring answers;
  ok = true;
  const wchar_t* const classes[] = {L"TarnLib.StringFunction", L"TarnLib.ExCollection", L"TarnLib.Network",
                                    L"TarnLib.TimeUtility",    L"TarnLib.CRegSettings", L"TarnLib.GeneralUtility"};
  IDispatch* objects[6] = {};
  for (int i = 0; i < 6; ++i) {
    objects[i] = Create(classes[i]);
    if (!objects[i]) {
      std::fwprintf(stderr, L"cannot create %ls\n", classes[i]);
      ok = false;
    }
  }
  IDispatch* s = objects[0];
  IDispatch* c = objects[1];
  Note(answers, L"InStrEx", Call(s, L"InStrEx", {Long(-2), Str(L"abcabcabc"), Str(L"bc")}));
  Note(answers, L"CountStringInString", Call(s, L"CountStringInString", {Str(L"a,b,,c,"), Str(L",")}));
  Note(answers, L"ReplaceString", Call(s, L"ReplaceString", {Str(L"one two one"), Str(L"one"), Str(L"three")}));
  Note(answers, L"FirstUCase", Call(s, L"FirstUCase", {Str(L"hello wide world")}));
  Note(answers, L"OnlyOneSpace", Call(s, L"OnlyOneSpace", {Str(L"  a   b  ")}));
  Note(answers, L"CSql", Call(s, L"CSql", {Str(L"O'Neil")}));
  Note(answers, L"IsCustomString", Call(s, L"IsCustomString", {Str(L"abba"), Str(L"ab")}));
  const Outcome rnd = Call(s, L"GetRndString", {Long(12), Str(L"xy")});
  Note(answers, L"GetRndString 12 of xy",
       {rnd.hr, rnd.text.size() == 12 && rnd.text.find_first_not_of(L"xy") == std::wstring::npos ? L"ok" : rnd.text});
  Note(answers, L"GetRndString empty set", Call(s, L"GetRndString", {Long(5), Str(L"")}));
  Note(answers, L"Add", Call(c, L"Add", {Str(L"first"), Str(L"k1")}));
  Note(answers, L"Add", Call(c, L"Add", {Str(L"second"), Str(L"k0")}));
  Note(answers, L"Count", Call(c, L"Count", {}));
  Note(answers, L"Key 2", Call(c, L"Key", {Long(2)}));
  Note(answers, L"ExistKey", Call(c, L"ExistKey", {Str(L"k0")}));
  Note(answers, L"Remove missing", Call(c, L"Remove", {Str(L"none")}));
  Note(answers, L"GetIp", Call(objects[2], L"GetIp", {Str(L"127.0.0.1")}));
  Note(answers, L"UltimoMese", Call(objects[3], L"UltimoMese", {Long(2), Long(2024)}));
  Note(answers, L"isLeapYear", Call(objects[3], L"isLeapYear", {Long(1900)}));
  Note(answers, L"UltimoMese 13", Call(objects[3], L"UltimoMese", {Long(13), Long(2024)}));
  Note(answers, L"Company", Call(objects[4], L"Company", DISPATCH_PROPERTYGET, {}));
  Note(answers, L"AppName", Call(objects[4], L"AppName", DISPATCH_PROPERTYGET, {}));
  Note(answers, L"GetFileName", Call(objects[5], L"GetFileName", {Str(L"C:\\dir\\sub\\name.txt")}));
  Note(answers, L"GetDirName", Call(objects[5], L"GetDirName", {Str(L"C:\\dir\\sub\\name.txt")}));
  Note(answers, L"FileExists", Call(objects[5], L"FileExists", {Str(L"C:\\no such folder\\none.txt")}));
  for (IDispatch* object : objects) {
    if (object) object->Release();
  }
  return answers;
}

bool UseWithRaisedError() {
  IDispatch* s = Create(L"TarnLib.StringFunction");
  IDispatch* c = Create(L"TarnLib.ExCollection");
  std::wstring wrong;
  if (!s || !c) wrong += L"cannot create the objects; ";
  if (s) {
    const Outcome raised = Call(s, L"GetRndString", {Long(5), Str(L"")});
    if (!raised.raised()) wrong += L"GetRndString(5, \"\") did not raise; ";
    const Outcome drawn = Call(s, L"GetRndString", {Long(5)});
    if (drawn.text.size() != 5) wrong += L"GetRndString(5) answered \"" + drawn.text + L"\"; ";
    s->Release();
  }
  if (c) {
    if (FAILED(Call(c, L"Add", {Str(L"value"), Str(L"key")}).hr)) wrong += L"Add failed; ";
    if (!Call(c, L"Remove", {Str(L"missing")}).raised()) wrong += L"Remove of a missing key did not raise; ";
    c->Release();
  }
  static bool told = false;
  if (!wrong.empty() && !told) {
    told = true;
    std::fwprintf(stderr, L"unexpected: %ls\n", wrong.c_str());
  }
  return wrong.empty();
}

}  // namespace tarn::lifetime
