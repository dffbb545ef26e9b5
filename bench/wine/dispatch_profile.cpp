// Where the time of one late-bound call goes, measured under Wine without a
// script engine: name lookup (GetIDsOfNames), dispatch (Invoke) and the member
// itself (its v-table slot), for TarnLib's dispatcher, for the type
// information's Invoke on the same object, and for Scripting.Dictionary.Count.
// Figures, not pass or fail.
#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "TarnLib_h.h"

namespace {

constexpr int kCalls = 200000;

double Now() {
  LARGE_INTEGER counter, frequency;
  QueryPerformanceCounter(&counter);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Best of five runs of `kCalls` calls, in nanoseconds per call.
template <typename F>
double NsPerCall(F&& call) {
  double best = 1e30;
  for (int run = 0; run < 5; ++run) {
    const double t0 = Now();
    for (int i = 0; i < kCalls; ++i) call();
    best = std::min(best, (Now() - t0) / kCalls * 1e9);
  }
  return best;
}

void Report(const char* what, double ns) { std::printf("  %-44s %9.0f ns\n", what, ns); }

void Profile(const char* title, IDispatch* object, const wchar_t* member_name, ITypeInfo* info) {
  LPOLESTR names[] = {const_cast<LPOLESTR>(member_name)};
  DISPID id = 0;
  if (FAILED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) {
    std::printf("%s: no member %ls\n", title, member_name);
    return;
  }
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  const WORD flags = DISPATCH_METHOD | DISPATCH_PROPERTYGET;
  std::printf("%s\n", title);
  const double names_ns = NsPerCall([&] {
    DISPID found = 0;
    object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &found);
  });
  const double invoke_ns = NsPerCall([&] {
    VARIANT result;
    VariantInit(&result);
    object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &none, &result, nullptr, nullptr);
    VariantClear(&result);
  });
  Report("GetIDsOfNames", names_ns);
  Report("Invoke", invoke_ns);
  Report("GetIDsOfNames + Invoke", names_ns + invoke_ns);
  if (info) {
    const double reference_ns = NsPerCall([&] {
      VARIANT result;
      VariantInit(&result);
      info->Invoke(object, id, flags, &none, &result, nullptr, nullptr);
      VariantClear(&result);
    });
    Report("ITypeInfo::Invoke on the same object", reference_ns);
  }
}

}  // namespace

int main() {
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
  IDispatch* dictionary = nullptr;
  CLSID dictionary_class{};
  if (SUCCEEDED(CLSIDFromProgID(L"Scripting.Dictionary", &dictionary_class)) &&
      SUCCEEDED(CoCreateInstance(dictionary_class, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                 reinterpret_cast<void**>(&dictionary)))) {
    Profile("Scripting.Dictionary.Count", dictionary, L"Count", nullptr);
    dictionary->Release();
  }
  _StringFunction* strings = nullptr;
  if (FAILED(CoCreateInstance(CLSID_StringFunction, nullptr, CLSCTX_INPROC_SERVER, IID__StringFunction,
                              reinterpret_cast<void**>(&strings)))) {
    std::printf("TarnLib.StringFunction is not registered\n");
    return 2;
  }
  ITypeInfo* info = nullptr;
  strings->GetTypeInfo(0, LOCALE_USER_DEFAULT, &info);
  Profile("TarnLib StringFunction.MATCH_DIGITS", strings, L"MATCH_DIGITS", info);
  const double member_ns = NsPerCall([&] {
    BSTR digits = nullptr;
    strings->MATCH_DIGITS(&digits);
    SysFreeString(digits);
  });
  Report("the member through its v-table slot", member_ns);
  const double string_ns = NsPerCall([&] { SysFreeString(SysAllocStringLen(L"0123456789", 10)); });
  Report("of which allocating and freeing its String", string_ns);
  if (info) info->Release();
  strings->Release();
  CoUninitialize();
  return 0;
}
