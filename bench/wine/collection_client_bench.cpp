// ExCollection from a C++ client under Wine: the private bytes of a
// collection of 1,000,000 short String values and keys, beside those of
// Scripting.Dictionary with the same entries, and where the time of
// one read by key goes (the v-table call alone, then IDispatch::Invoke as a
// script makes it, name lookup, the locale's sort key). Figures, not pass or
// fail. Usage: tarn_bench_collection_client --dll=<path of TarnLib.dll>
#include <windows.h>
// After windows.h, which it needs.
#include <psapi.h>
#include <wrl/client.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "TarnLib_h.h"

namespace {

using Microsoft::WRL::ComPtr;

double Now() { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); }

// The process's private bytes. Wine leaves PrivateUsage at 0 but fills
// PagefileUsage from the private (anonymous) memory the process has in use.
SIZE_T PrivateBytes() {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
  return counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
}

ComPtr<_ExCollection> NewCollection(HMODULE dll) {
  using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
  const auto get = reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(GetProcAddress(dll, "DllGetClassObject")));
  ComPtr<IClassFactory> factory;
  ComPtr<_ExCollection> c;
  if (get && SUCCEEDED(get(CLSID_ExCollection, IID_PPV_ARGS(&factory)))) {
    factory->CreateInstance(nullptr, IID__ExCollection, reinterpret_cast<void**>(c.GetAddressOf()));
  }
  return c;
}

BSTR KeyOf(long n) {
  wchar_t text[16];
  swprintf(text, 16, L"key%07ld", n);
  return SysAllocString(text);
}

bool Add(_ExCollection* c, long n) {
  BSTR key = KeyOf(n);
  VARIANT value, before, after, result;
  V_VT(&value) = VT_BSTR;
  V_BSTR(&value) = SysAllocString(L"v1234");
  V_VT(&before) = V_VT(&after) = VT_ERROR;
  V_ERROR(&before) = V_ERROR(&after) = DISP_E_PARAMNOTFOUND;
  VariantInit(&result);
  const HRESULT hr = c->Add(&value, &key, &before, &after, &result);
  VariantClear(&result);
  VariantClear(&value);
  SysFreeString(key);
  return SUCCEEDED(hr);
}

constexpr long kMemoryEntries = 1000000;

// The private bytes per entry of ExCollection; the collection stays alive (it
// is never terminated), so that the Dictionary measured next takes fresh memory.
double MeasureMemory(HMODULE dll) {
  const SIZE_T before = PrivateBytes();
  auto c = NewCollection(dll);
  for (long n = 0; n < kMemoryEntries; ++n) {
    if (!Add(c.Get(), static_cast<long>((n * 7919LL) % 1000003LL))) {
      std::printf("Add failed at %ld\n", n);
      return 0;
    }
  }
  return static_cast<double>(PrivateBytes() - before) / kMemoryEntries;
}

// The same entries in the platform's Scripting.Dictionary, added through
// IDispatch as a script adds them; 0 when it cannot be created.
double MeasureDictionaryMemory() {
  CLSID clsid;
  ComPtr<IDispatch> d;
  if (FAILED(CLSIDFromProgID(L"Scripting.Dictionary", &clsid)) ||
      FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&d)))) {
    return 0;
  }
  LPOLESTR name = const_cast<LPOLESTR>(L"Add");
  DISPID add = 0;
  if (FAILED(d->GetIDsOfNames(IID_NULL, &name, 1, 0, &add))) return 0;
  const SIZE_T before = PrivateBytes();
  for (long n = 0; n < kMemoryEntries; ++n) {
    VARIANT arguments[2];  // in reverse order: the item, then the key
    V_VT(&arguments[0]) = VT_BSTR;
    V_BSTR(&arguments[0]) = SysAllocString(L"v1234");
    V_VT(&arguments[1]) = VT_BSTR;
    V_BSTR(&arguments[1]) = KeyOf(static_cast<long>((n * 7919LL) % 1000003LL));
    DISPPARAMS parameters{arguments, nullptr, 2, 0};
    const HRESULT hr = d->Invoke(add, IID_NULL, 0, DISPATCH_METHOD, &parameters, nullptr, nullptr, nullptr);
    VariantClear(&arguments[0]);
    VariantClear(&arguments[1]);
    if (FAILED(hr)) return 0;
  }
  return static_cast<double>(PrivateBytes() - before) / kMemoryEntries;
}

void MeasureRead(HMODULE dll) {
  constexpr long kEntries = 100000, kReads = 100000;
  auto c = NewCollection(dll);
  for (long n = 0; n < kEntries; ++n) Add(c.Get(), n);
  BSTR keys[64];
  for (long i = 0; i < 64; ++i) keys[i] = KeyOf((i * 1543) % kEntries);

  // 1. The v-table: Item get and the item's Value.
  double t = Now();
  for (long i = 0; i < kReads; ++i) {
    VARIANT selector, value;
    V_VT(&selector) = VT_BSTR;
    V_BSTR(&selector) = keys[i & 63];
    VariantInit(&value);
    clsExItem* item = nullptr;
    c->get_Item(&selector, &item);
    item->get_Value(&value);
    item->Release();
    VariantClear(&value);
  }
  const double vtable = (Now() - t) / kReads * 1e6;

  // 2. IDispatch::Invoke as a script makes it: the default member of the
  // collection with a Variant reference, then the item's default member.
  t = Now();
  for (long i = 0; i < kReads; ++i) {
    VARIANT script_variable, argument, item, value;
    V_VT(&script_variable) = VT_BSTR;
    V_BSTR(&script_variable) = keys[i & 63];
    V_VT(&argument) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&argument) = &script_variable;
    VariantInit(&item);
    VariantInit(&value);
    DISPPARAMS one{&argument, nullptr, 1, 0}, none{nullptr, nullptr, 0, 0};
    c->Invoke(DISPID_VALUE, IID_NULL, 0, DISPATCH_METHOD | DISPATCH_PROPERTYGET, &one, &item, nullptr, nullptr);
    V_DISPATCH(&item)->Invoke(DISPID_VALUE, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &value, nullptr, nullptr);
    VariantClear(&item);
    VariantClear(&value);
  }
  const double dispatch = (Now() - t) / kReads * 1e6;

  // 3. Name lookup, which a script repeats for every call of a named member.
  t = Now();
  for (long i = 0; i < kReads; ++i) {
    LPOLESTR name = const_cast<LPOLESTR>(L"ExistKey");
    DISPID id = 0;
    c->GetIDsOfNames(IID_NULL, &name, 1, 0, &id);
  }
  const double names = (Now() - t) / kReads * 1e6;

  // 4. ExistKey through the v-table and through Invoke.
  t = Now();
  for (long i = 0; i < kReads; ++i) {
    VARIANT_BOOL found = 0;
    c->ExistKey(&keys[i & 63], &found);
  }
  const double exist_vtable = (Now() - t) / kReads * 1e6;
  t = Now();
  for (long i = 0; i < kReads; ++i) {
    VARIANT argument, found;
    V_VT(&argument) = VT_BSTR;
    V_BSTR(&argument) = keys[i & 63];
    VariantInit(&found);
    DISPPARAMS one{&argument, nullptr, 1, 0};
    c->Invoke(0x6003000B, IID_NULL, 0, DISPATCH_METHOD, &one, &found, nullptr, nullptr);
  }
  const double exist_dispatch = (Now() - t) / kReads * 1e6;

  // 5. The locale's sort key of one key, which every lookup computes.
  t = Now();
  for (long i = 0; i < kReads; ++i) {
    BYTE key[128];
    LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | NORM_IGNORECASE, keys[i & 63],
                 static_cast<int>(SysStringLen(keys[i & 63])), reinterpret_cast<LPWSTR>(key), sizeof key);
  }
  const double sort_key = (Now() - t) / kReads * 1e6;

  std::printf("one read by key, us: v-table Item + Value %.2f | the same through IDispatch::Invoke %.2f\n", vtable,
              dispatch);
  std::printf("ExistKey, us: v-table %.2f | IDispatch::Invoke %.2f | GetIDsOfNames %.2f\n", exist_vtable,
              exist_dispatch, names);
  std::printf("sort key of one key (LCMapStringW) %.2f us\n", sort_key);
  for (BSTR key : keys) SysFreeString(key);
}

}  // namespace

int main(int argc, char** argv) {
  std::wstring dll_path;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--dll=", 6) == 0) {
      const std::string path = argv[i] + 6;
      dll_path.assign(path.begin(), path.end());
    }
  }
  if (dll_path.empty() || FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
    std::fprintf(stderr, "usage: tarn_bench_collection_client --dll=<path of TarnLib.dll>\n");
    return 2;
  }
  HMODULE dll = LoadLibraryW(dll_path.c_str());
  if (!dll) return 3;
  MeasureRead(dll);
  const double ours = MeasureMemory(dll);
  const double dictionary = MeasureDictionaryMemory();
  std::printf(
      "private bytes per entry, %ld entries of 10-character keys and 5-character values: ExCollection %.1f, "
      "Scripting.Dictionary %.1f\n",
      kMemoryEntries, ours, dictionary);
  CoUninitialize();
  return 0;
}
