// Calls across apartments: objects created in this (single-threaded) apartment
// are used through marshalled pointers from a thread of the multithreaded
// apartment and from a second single-threaded apartment; a client in the
// multithreaded apartment also creates objects of its own. Every interface is
// called through its v-table, clsExItem included, and each apartment must get
// the results the creating thread gets, errors included.
//
// The program finds the library only by class id or ProgID, so it runs
// unchanged after regsvr32, after per-user registration, after an installer,
// and beside an application manifest that names the side-by-side assembly.
//
// Usage: tarnlib_apartment_tests [--bits=32|64] [--trace] [gtest options]
#include <gtest/gtest.h>
#include <windows.h>
#include <wrl/client.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "TarnLib_h.h"

namespace {

using Microsoft::WRL::ComPtr;

// An owning BSTR for the test's own use.
struct Text {
  BSTR value = nullptr;
  Text() = default;
  explicit Text(const wchar_t* text) : value(SysAllocString(text)) {}
  Text(const Text&) = delete;
  Text& operator=(const Text&) = delete;
  ~Text() { SysFreeString(value); }
  BSTR* put() {
    SysFreeString(value);
    value = nullptr;
    return &value;
  }
  std::wstring str() const { return value ? std::wstring(value, SysStringLen(value)) : std::wstring(); }
};

struct Var {
  VARIANT value;
  Var() { VariantInit(&value); }
  explicit Var(const wchar_t* text) {
    VariantInit(&value);
    V_VT(&value) = VT_BSTR;
    V_BSTR(&value) = SysAllocString(text);
  }
  Var(const Var&) = delete;
  Var& operator=(const Var&) = delete;
  ~Var() { VariantClear(&value); }
  VARIANT* put() {
    VariantClear(&value);
    return &value;
  }
  // The value as text, with its type, so that a changed type shows.
  std::wstring str() const {
    VARIANT text;
    VariantInit(&text);
    std::wstring out = L"vt" + std::to_wstring(V_VT(&value)) + L":";
    if (SUCCEEDED(VariantChangeType(&text, const_cast<VARIANT*>(&value), VARIANT_ALPHABOOL, VT_BSTR))) {
      out += std::wstring(V_BSTR(&text), SysStringLen(V_BSTR(&text)));
    }
    VariantClear(&text);
    return out;
  }
};

std::wstring Hex(HRESULT hr) {
  wchar_t text[16];
  swprintf(text, 16, L"0x%08lX", static_cast<unsigned long>(hr));
  return text;
}

// A failed call shows its HRESULT and the error information that came with it.
std::wstring Failure(HRESULT hr) {
  std::wstring out = L"failed " + Hex(hr);
  ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, info.GetAddressOf()) == S_OK && info) {
    Text description, source;
    info->GetDescription(description.put());
    info->GetSource(source.put());
    out += L" [" + source.str() + L"] " + description.str();
  }
  return out;
}

// The objects one client works with: one of every class, and the collection's item.
struct Objects {
  ComPtr<_StringFunction> strings;
  ComPtr<_GeneralUtility> general;
  ComPtr<_ExCollection> collection;
  ComPtr<clsExItem> item;  // the collection's own item; when null, taken from Item
  ComPtr<_Network> network;
  ComPtr<_TimeUtility> time;
  ComPtr<_CRegSettings> settings;
};

enum class CreateBy { Clsid, ProgId };

template <typename Interface>
HRESULT Create(const CLSID& clsid, const wchar_t* progid, CreateBy by, ComPtr<Interface>& out) {
  CLSID id = clsid;
  if (by == CreateBy::ProgId) {
    // Under a manifest Wine answers an alias class id here, which still creates the class.
    const HRESULT hr = CLSIDFromProgID(progid, &id);
    if (FAILED(hr)) return hr;
  }
  return CoCreateInstance(id, nullptr, CLSCTX_INPROC_SERVER, __uuidof(Interface),
                          reinterpret_cast<void**>(out.ReleaseAndGetAddressOf()));
}

// Creates one object of every class; `failures` names what could not be created.
Objects CreateAll(CreateBy by, std::vector<std::wstring>& failures) {
  Objects o;
  const auto note = [&](const wchar_t* name, HRESULT hr) {
    if (FAILED(hr)) failures.push_back(std::wstring(name) + L": " + Hex(hr));
  };
  note(L"StringFunction", Create(CLSID_StringFunction, L"TarnLib.StringFunction", by, o.strings));
  note(L"GeneralUtility", Create(CLSID_GeneralUtility, L"TarnLib.GeneralUtility.11", by, o.general));
  note(L"ExCollection", Create(CLSID_ExCollection, L"TarnLib.ExCollection", by, o.collection));
  note(L"Network", Create(CLSID_Network, L"TarnLib.Network.11", by, o.network));
  note(L"TimeUtility", Create(CLSID_TimeUtility, L"TarnLib.TimeUtility", by, o.time));
  note(L"CRegSettings", Create(CLSID_CRegSettings, L"TarnLib.CRegSettings.11", by, o.settings));
  return o;
}

// A company name of this run, so that the settings written do not meet another run's.
const std::wstring& TestCompany() {
  static const std::wstring name = L"TarnLib apartment test " + std::to_wstring(GetCurrentProcessId());
  return name;
}

// --trace: every result is printed as it arrives, so that a call that never
// returns or crashes shows where.
bool g_trace = false;

// Calls v-table members of every interface and records each result as a line.
std::vector<std::wstring> Observe(const Objects& o) {
  std::vector<std::wstring> lines;
  const auto record = [&](const wchar_t* what, HRESULT hr, const std::wstring& value) {
    lines.push_back(std::wstring(what) + L" = " + (SUCCEEDED(hr) ? value : Failure(hr)));
    if (g_trace) {
      std::printf("  thread %lu: %ls\n", GetCurrentThreadId(), lines.back().c_str());
      std::fflush(stdout);
    }
  };
  if (!o.strings || !o.general || !o.collection || !o.network || !o.time || !o.settings) {
    lines.push_back(L"missing objects");
    return lines;
  }
  {
    long count = 0;
    HRESULT hr = o.strings->CountStringInString(Text(L"abcABCab").value, Text(L"ab").value, VARIANT_FALSE, &count);
    record(L"CountStringInString", hr, std::to_wstring(count));
    Text replaced;
    hr = o.strings->ReplaceString(Text(L"a-b--c").value, Text(L"-").value, Text(L"+").value, replaced.put());
    record(L"ReplaceString", hr, replaced.str());
    Text word_case;
    hr = o.strings->FirstUCase(Text(L"hello wide world").value, word_case.put());
    record(L"FirstUCase", hr, word_case.str());
    // A String array passed by reference and filled in the other apartment.
    SAFEARRAY* parts = nullptr;  // an undimensioned dynamic array (Dim parts() As String)
    hr = o.strings->ParseString(Text(L"x,yy,,z").value, Text(L",").value, &parts);
    std::wstring joined;
    if (SUCCEEDED(hr) && parts) {
      LONG low = 0, high = -1;
      SafeArrayGetLBound(parts, 1, &low);
      SafeArrayGetUBound(parts, 1, &high);
      joined = std::to_wstring(low) + L":";
      for (LONG i = low; i <= high; ++i) {
        BSTR part = nullptr;
        SafeArrayGetElement(parts, &i, &part);
        joined += L"[" + std::wstring(part ? part : L"") + L"]";
        SysFreeString(part);
      }
    }
    if (parts) SafeArrayDestroy(parts);
    record(L"ParseString", hr, joined);
    Var null_value, no_null;
    V_VT(&null_value.value) = VT_NULL;
    hr = o.strings->NoNull(null_value.value, no_null.put());
    record(L"NoNull", hr, no_null.str());
    Text random;
    hr = o.strings->GetRndString(4, Text(L"q").value, random.put());
    record(L"GetRndString", hr, random.str());
    // The library's own error, with its source and description.
    hr = o.strings->GetRndString(4, Text(L"").value, random.put());
    record(L"GetRndString empty set", hr, L"no error");
    // The same late bound, as scripts call it: the exception information
    // travels with the call's out-parameters.
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR name = const_cast<LPOLESTR>(L"GetRndString");
    hr = o.strings->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id);
    record(L"GetIDsOfNames", hr, std::to_wstring(id));
    Var arguments[2];  // in reverse order: UsingThisChars, Length
    V_VT(&arguments[0].value) = VT_BSTR;
    V_BSTR(&arguments[0].value) = SysAllocString(L"");
    V_VT(&arguments[1].value) = VT_I4;
    V_I4(&arguments[1].value) = 4;
    VARIANTARG raw[2] = {arguments[0].value, arguments[1].value};
    DISPPARAMS params{raw, nullptr, 2, 0};
    EXCEPINFO exception{};
    Var invoked;
    hr = o.strings->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, invoked.put(), &exception,
                           nullptr);
    std::wstring raised = Hex(exception.scode) + L" [" + (exception.bstrSource ? exception.bstrSource : L"") + L"] " +
                          (exception.bstrDescription ? exception.bstrDescription : L"");
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    lines.push_back(L"Invoke GetRndString empty set = " + Hex(hr) + L" " + raised);
  }
  {
    Var name, dir;
    HRESULT hr = o.general->GetFileName(Text(L"C:\\dir\\sub\\file.txt").value, name.put());
    record(L"GetFileName", hr, name.str());
    hr = o.general->GetDirName(Text(L"C:\\dir\\sub\\file.txt").value, dir.put());
    record(L"GetDirName", hr, dir.str());
    wchar_t self[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    VARIANT_BOOL exists = VARIANT_FALSE;
    hr = o.general->FileExists(Text(self).value, &exists);
    record(L"FileExists", hr, std::to_wstring(exists));
  }
  {
    _ExCollection* c = o.collection.Get();
    Var value_one(L"one"), value_two(L"two"), before, after, added;
    V_VT(&before.value) = VT_ERROR;
    V_ERROR(&before.value) = DISP_E_PARAMNOTFOUND;
    V_VT(&after.value) = VT_ERROR;
    V_ERROR(&after.value) = DISP_E_PARAMNOTFOUND;
    Text key_two(L"k2"), key_one(L"k1");
    HRESULT hr = c->Add(&value_two.value, &key_two.value, &before.value, &after.value, added.put());
    record(L"Add k2", hr, added.str());
    hr = c->Add(&value_one.value, &key_one.value, &before.value, &after.value, added.put());
    record(L"Add k1", hr, added.str());
    long count = 0;
    hr = c->get_Count(&count);
    record(L"Count", hr, std::to_wstring(count));
    Text second;
    hr = c->Key(2, second.put());
    record(L"Key(2)", hr, second.str());
    long index = 0;
    hr = c->Index(&key_one.value, &index);
    record(L"Index(k1)", hr, std::to_wstring(index));
    Var wanted(L"k2");
    ComPtr<clsExItem> from_item;
    hr = c->get_Item(&wanted.value, from_item.GetAddressOf());
    record(L"Item(k2)", hr, from_item ? L"an item" : L"nothing");
    clsExItem* item = o.item ? o.item.Get() : from_item.Get();
    if (item) {
      Var value;
      hr = item->get_Value(value.put());
      record(L"clsExItem.Value", hr, value.str());
      Text key;
      hr = item->Key(key.put());
      record(L"clsExItem.Key", hr, key.str());
    }
    // The collection's own error, raised across the apartment boundary.
    Var missing(L"no such key");
    ComPtr<clsExItem> none;
    hr = c->put_RaiseErrors(VARIANT_TRUE);
    if (SUCCEEDED(hr)) hr = c->Remove(&missing.value);
    record(L"Remove(missing)", hr, L"no error");
    for (Text* key : {&key_one, &key_two}) {
      Var by_key;
      V_VT(&by_key.value) = VT_BSTR;
      V_BSTR(&by_key.value) = SysAllocString(key->value);
      hr = c->Remove(&by_key.value);
      record(L"Remove", hr, L"done");
    }
    hr = c->get_Count(&count);
    record(L"Count after", hr, std::to_wstring(count));
  }
  {
    Text address;
    HRESULT hr = o.network->GetIp(Text(L"127.0.0.1").value, address.put());
    record(L"GetIp", hr, address.str());
  }
  {
    short days = 0;
    HRESULT hr = o.time->UltimoMese(Febbraio, 2024, &days);
    record(L"UltimoMese", hr, std::to_wstring(days));
    VARIANT_BOOL leap = VARIANT_TRUE;
    hr = o.time->isLeapYear(1900, &leap);
    record(L"isLeapYear", hr, std::to_wstring(leap));
  }
  {
    _CRegSettings* s = o.settings.Get();
    HRESULT hr = s->put_Company(Text(TestCompany().c_str()).value);
    if (SUCCEEDED(hr)) hr = s->put_AppName(Text(L"Apartments").value);
    record(L"Company and AppName", hr, L"set");
    Text app;
    hr = s->get_AppName(app.put());
    record(L"AppName", hr, app.str());
    VARIANT_BOOL saved = VARIANT_FALSE;
    hr = s->SaveSetting(Text(L"Section").value, Text(L"Key").value, Text(L"value \u00e8").value, &saved);
    record(L"SaveSetting", hr, std::to_wstring(saved));
    Text read;
    hr = s->GetSetting(Text(L"Section").value, Text(L"Key").value, Text(L"default").value, read.put());
    record(L"GetSetting", hr, read.str());
    VARIANT_BOOL deleted = VARIANT_FALSE;
    hr = s->DeleteSetting(Text(L"Section").value, Text(L"").value, &deleted);
    record(L"DeleteSetting", hr, std::to_wstring(deleted));
  }
  return lines;
}

// What every apartment must see: the results on the creating thread.
const std::vector<std::wstring>& Expected() {
  static const std::vector<std::wstring> lines = {
      L"CountStringInString = 3",
      L"ReplaceString = a+b++c",
      L"FirstUCase = Hello Wide World",
      L"ParseString = 0:[x][yy][][z]",
      L"NoNull = vt8:",
      L"GetRndString = qqqq",
      L"GetRndString empty set = failed 0x80040BB9 [TarnLib.dll] ",  // description follows
      L"GetIDsOfNames = 1610809370",
      L"Invoke GetRndString empty set = 0x80020009 0x80040BB9 [TarnLib.dll] ",
      L"GetFileName = vt8:file.txt",
      L"GetDirName = vt8:C:\\dir\\sub\\",
      L"FileExists = -1",
      L"Add k2 = vt8:two",  // Add answers the value added
      L"Add k1 = vt8:one",
      L"Count = 2",
      L"Key(2) = k1",
      L"Index(k1) = 2",
      L"Item(k2) = an item",
      L"clsExItem.Value = vt8:two",
      L"clsExItem.Key = k2",
      L"Remove(missing) = failed ",  // the collection's error number follows
      L"Remove = done",
      L"Remove = done",
      L"Count after = 0",
      L"GetIp = 127.0.0.1",
      L"UltimoMese = 29",
      L"isLeapYear = 0",
      L"Company and AppName = set",
      L"AppName = Apartments",
      L"SaveSetting = -1",
      L"GetSetting = value \u00e8",
      L"DeleteSetting = -1",
  };
  return lines;
}

std::string Narrow(const std::wstring& text) {
  std::string out;
  for (const wchar_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
  return out;
}

// The creating thread's results, checked against what the members promise;
// lines marked as prefixes above must start with the expected text.
void ExpectPromisedResults(const std::vector<std::wstring>& got) {
  const auto& want = Expected();
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) {
    const bool prefix = !want[i].empty() && (want[i].back() == L' ');
    if (prefix) {
      EXPECT_EQ(got[i].compare(0, want[i].size(), want[i]), 0) << Narrow(got[i]) << " / " << Narrow(want[i]);
      EXPECT_GT(got[i].size(), want[i].size()) << Narrow(got[i]);
    } else {
      EXPECT_EQ(got[i], want[i]) << "line " << i;
    }
  }
}

// Whether `got` is `reference` without its error information (" [source]
// description" after the HRESULT). Wine's COM channel does not carry the
// thread's error information back across apartments (Windows does), so a
// v-table call there gives only the HRESULT; a late-bound call gets its
// exception information all the same.
bool WithoutErrorInfo(const std::wstring& got, const std::wstring& reference) {
  const size_t info = reference.find(L" [");
  return reference.find(L" = failed 0x") != std::wstring::npos && info != std::wstring::npos &&
         got == reference.substr(0, info);
}

void ExpectSame(const std::vector<std::wstring>& got, const std::vector<std::wstring>& reference, const char* where) {
  ASSERT_EQ(got.size(), reference.size()) << where;
  for (size_t i = 0; i < got.size(); ++i) {
    if (got[i] != reference[i] && WithoutErrorInfo(got[i], reference[i])) {
      std::printf("note: %s, line %zu: HRESULT arrived without error information (%s)\n", where, i,
                  Narrow(got[i]).c_str());
      continue;
    }
    EXPECT_EQ(got[i], reference[i]) << where << ", line " << i;
  }
}

struct ApartmentStart {
  DWORD model;
  const std::function<void()>* body;
};

DWORD WINAPI ApartmentThread(void* parameter) {
  const auto* start = static_cast<ApartmentStart*>(parameter);
  if (FAILED(CoInitializeEx(nullptr, start->model))) return 1;
  (*start->body)();
  CoUninitialize();
  return 0;
}

// Runs `body` in a new thread of the given apartment while this thread keeps
// serving calls to its own objects.
void RunInApartment(DWORD model, const std::function<void()>& body) {
  ApartmentStart start{model, &body};
  HANDLE thread = CreateThread(nullptr, 0, ApartmentThread, &start, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  DWORD index = 0;
  const HRESULT waited = CoWaitForMultipleHandles(0, 120000, 1, &thread, &index);
  EXPECT_EQ(waited, S_OK) << "the other apartment's thread did not finish";
  if (waited != S_OK) WaitForSingleObject(thread, INFINITE);
  DWORD code = 1;
  GetExitCodeThread(thread, &code);
  CloseHandle(thread);
  EXPECT_EQ(code, 0u) << "the other apartment's thread could not enter COM";
}

// Marshals every interface of `o` for use by another thread.
struct MarshalledObjects {
  std::vector<IStream*> streams;
  explicit MarshalledObjects(const Objects& o) {
    const auto add = [&](REFIID iid, IUnknown* object) {
      IStream* stream = nullptr;
      EXPECT_EQ(CoMarshalInterThreadInterfaceInStream(iid, object, &stream), S_OK);
      streams.push_back(stream);
    };
    add(IID__StringFunction, o.strings.Get());
    add(IID__GeneralUtility, o.general.Get());
    add(IID__ExCollection, o.collection.Get());
    add(IID_clsExItem, o.item.Get());
    add(IID__Network, o.network.Get());
    add(IID__TimeUtility, o.time.Get());
    add(IID__CRegSettings, o.settings.Get());
  }
  MarshalledObjects(const MarshalledObjects&) = delete;
  MarshalledObjects& operator=(const MarshalledObjects&) = delete;
  ~MarshalledObjects() {
    for (IStream* stream : streams) {
      if (stream) {
        CoReleaseMarshalData(stream);
        stream->Release();
      }
    }
  }

  // In the receiving thread: the proxies, each checked to be one.
  Objects Unmarshal(const Objects& originals) {
    Objects o;
    size_t at = 0;
    const auto take = [&](auto& target, IUnknown* original) {
      IStream* stream = std::exchange(streams[at++], nullptr);
      if (!stream) return;
      using Interface = std::remove_reference_t<decltype(*target.Get())>;
      const HRESULT hr =
          CoGetInterfaceAndReleaseStream(stream, __uuidof(Interface), reinterpret_cast<void**>(target.GetAddressOf()));
      EXPECT_EQ(hr, S_OK) << "unmarshalling interface " << at << ": " << Narrow(Hex(hr));
      EXPECT_NE(static_cast<IUnknown*>(target.Get()), original) << "interface " << at << " arrived unmarshalled";
    };
    take(o.strings, originals.strings.Get());
    take(o.general, originals.general.Get());
    take(o.collection, originals.collection.Get());
    take(o.item, originals.item.Get());
    take(o.network, originals.network.Get());
    take(o.time, originals.time.Get());
    take(o.settings, originals.settings.Get());
    return o;
  }
};

// The collection's item of `o`, for marshalling on its own: the one item the
// collection hands out from every read of Item.
void TakeItem(Objects& o) {
  ASSERT_TRUE(o.collection);
  Var value(L"temporary"), before, after, added;
  V_VT(&before.value) = VT_ERROR;
  V_ERROR(&before.value) = DISP_E_PARAMNOTFOUND;
  V_VT(&after.value) = VT_ERROR;
  V_ERROR(&after.value) = DISP_E_PARAMNOTFOUND;
  Text key(L"t");
  ASSERT_EQ(o.collection->Add(&value.value, &key.value, &before.value, &after.value, added.put()), S_OK);
  Var wanted(L"t");
  ASSERT_EQ(o.collection->get_Item(&wanted.value, o.item.GetAddressOf()), S_OK);
  ASSERT_TRUE(o.item);
  ASSERT_EQ(o.collection->Remove(&wanted.value), S_OK);
}

class Apartments : public testing::TestWithParam<CreateBy> {};

TEST_P(Apartments, MarshalledPointersGiveTheCreatingThreadsResults) {
  std::vector<std::wstring> failures;
  Objects objects = CreateAll(GetParam(), failures);
  ASSERT_TRUE(failures.empty()) << Narrow(failures.front());
  TakeItem(objects);
  const auto reference = Observe(objects);
  ExpectPromisedResults(reference);

  for (const DWORD model : {COINIT_MULTITHREADED, COINIT_APARTMENTTHREADED}) {
    const char* where = model == COINIT_MULTITHREADED ? "multithreaded apartment" : "second single-threaded apartment";
    MarshalledObjects marshalled(objects);
    std::vector<std::wstring> got;
    RunInApartment(model, [&] {
      Objects proxies = marshalled.Unmarshal(objects);
      got = Observe(proxies);
    });
    ExpectSame(got, reference, where);
  }
  // The creating thread still sees the same after the others' calls.
  ExpectSame(Observe(objects), reference, "creating thread, again");
}

TEST_P(Apartments, ClientInTheMultithreadedApartmentCreatesItsOwn) {
  std::vector<std::wstring> failures;
  Objects objects = CreateAll(GetParam(), failures);
  ASSERT_TRUE(failures.empty()) << Narrow(failures.front());
  const auto reference = Observe(objects);
  ExpectPromisedResults(reference);
  std::vector<std::wstring> got;
  std::vector<std::wstring> created_failures;
  RunInApartment(COINIT_MULTITHREADED, [&] {
    // Apartment-threaded classes created here live in a host apartment; this thread gets proxies.
    Objects own = CreateAll(GetParam(), created_failures);
    got = Observe(own);
  });
  ASSERT_TRUE(created_failures.empty()) << Narrow(created_failures.front());
  ExpectSame(got, reference, "multithreaded client's own objects");
}

INSTANTIATE_TEST_SUITE_P(ByClassId, Apartments, testing::Values(CreateBy::Clsid));
INSTANTIATE_TEST_SUITE_P(ByProgId, Apartments, testing::Values(CreateBy::ProgId));

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  const int bits = static_cast<int>(sizeof(void*) * 8);
  char architecture[32] = "";
  GetEnvironmentVariableA("PROCESSOR_ARCHITECTURE", architecture, sizeof architecture);
  std::printf("apartment client: %d-bit process, PROCESSOR_ARCHITECTURE=%s\n", bits, architecture);
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--trace") == 0) g_trace = true;
    if (std::strncmp(argv[i], "--bits=", 7) == 0 && std::atoi(argv[i] + 7) != bits) {
      std::fprintf(stderr, "expected a %s-bit process\n", argv[i] + 7);
      return 5;
    }
  }
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 3;
  const int rc = RUN_ALL_TESTS();
  CoUninitialize();
  // The settings calls leave the company's key with its empty application
  // key: the client removes what it made, so that any deployment it checks is
  // left as it was.
  RegDeleteTreeW(HKEY_CURRENT_USER, (L"Software\\" + TestCompany()).c_str());
  RegDeleteKeyW(HKEY_CURRENT_USER, (L"Software\\" + TestCompany()).c_str());
  return rc;
}
