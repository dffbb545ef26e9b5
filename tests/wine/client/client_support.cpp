#include "tests/wine/client/client_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <vector>

namespace tarn::client {
namespace {

std::wstring g_dll_path;
HMODULE g_module = nullptr;

// Prints this process's bitness and tells whether it is the one the runner
// asked for: the pointer size, and the architecture Windows reports for the
// process (x86 for a 32-bit process even on 64-bit Windows).
bool IsExpectedBitness(int expected_bits) {
  char architecture[32] = "";
  GetEnvironmentVariableA("PROCESSOR_ARCHITECTURE", architecture, sizeof architecture);
  const int bits = static_cast<int>(sizeof(void*) * 8);
  std::printf("client: %d-bit process (pointer size %d), PROCESSOR_ARCHITECTURE=%s\n", bits,
              static_cast<int>(sizeof(void*)), architecture);
  const char* expected_architecture = expected_bits == 64 ? "AMD64" : "x86";
  if (bits != expected_bits || std::strcmp(architecture, expected_architecture) != 0) {
    std::fprintf(stderr, "expected a %d-bit process with PROCESSOR_ARCHITECTURE=%s\n", expected_bits,
                 expected_architecture);
    return false;
  }
  return true;
}

}  // namespace

const std::wstring& DllPath() { return g_dll_path; }
HMODULE DllModule() { return g_module; }

HRESULT CanUnloadNow() {
  using CanUnload = HRESULT(STDAPICALLTYPE*)();
  return DllExport<CanUnload>("DllCanUnloadNow")();
}

std::wstring Text(BSTR s) { return s ? std::wstring(s, SysStringLen(s)) : std::wstring(); }

void ReleaseException(EXCEPINFO& exception) {
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrHelpFile);
  exception.bstrDescription = exception.bstrSource = exception.bstrHelpFile = nullptr;
}

ErrorInfoSnapshot TakeErrorInfo() {
  ErrorInfoSnapshot snapshot;
  ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, info.GetAddressOf()) != S_OK || !info) return snapshot;
  snapshot.present = true;
  Bstr description, source;
  info->GetDescription(description.put());
  info->GetSource(source.put());
  info->GetGUID(&snapshot.guid);
  snapshot.description = Text(description.get());
  snapshot.source = Text(source.get());
  return snapshot;
}

HRESULT InvokeByName(IDispatch* object, const wchar_t* name, WORD flags, std::initializer_list<VARIANT> args,
                     VARIANT* result, EXCEPINFO* exception) {
  DISPID id = 0;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr)) return hr;
  // Invoke takes arguments last to first.
  std::vector<VARIANT> reversed(args.begin(), args.end());
  std::reverse(reversed.begin(), reversed.end());
  DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
  DISPID put_id = DISPID_PROPERTYPUT;
  if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
    params.rgdispidNamedArgs = &put_id;
    params.cNamedArgs = 1;
  }
  UINT bad_argument = 0;
  return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, exception, &bad_argument);
}

VARIANT BstrArg(const wchar_t* text) {
  VARIANT v;
  V_VT(&v) = VT_BSTR;
  V_BSTR(&v) = SysAllocString(text);
  return v;
}

VARIANT LongArg(LONG value) {
  VARIANT v;
  V_VT(&v) = VT_I4;
  V_I4(&v) = value;
  return v;
}

VARIANT BoolArg(bool value) {
  VARIANT v;
  V_VT(&v) = VT_BOOL;
  V_BOOL(&v) = value ? VARIANT_TRUE : VARIANT_FALSE;
  return v;
}

VARIANT MissingArg() {
  VARIANT v;
  V_VT(&v) = VT_ERROR;
  V_ERROR(&v) = DISP_E_PARAMNOTFOUND;
  return v;
}

}  // namespace tarn::client

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  int expected_bits = 0;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--dll=", 6) == 0) {
      const std::string path = argv[i] + 6;
      tarn::client::g_dll_path.assign(path.begin(), path.end());
    } else if (std::strncmp(argv[i], "--bits=", 7) == 0) {
      expected_bits = std::atoi(argv[i] + 7);
    }
  }
  if (tarn::client::g_dll_path.empty() || (expected_bits != 32 && expected_bits != 64)) {
    std::fprintf(stderr, "usage: tarnlib_client_tests --dll=<path of TarnLib.dll> --bits=32|64\n");
    return 2;
  }
  if (!tarn::client::IsExpectedBitness(expected_bits)) return 5;
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 3;
  tarn::client::g_module = LoadLibraryW(tarn::client::g_dll_path.c_str());
  if (!tarn::client::g_module) {
    std::fprintf(stderr, "cannot load the DLL under test\n");
    return 4;
  }
  const int rc = RUN_ALL_TESTS();
  CoUninitialize();
  return rc;
}
