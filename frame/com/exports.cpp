// The module's entry point and its four exports.
#include <windows.h>

#include "collection/ex_collection.h"
#include "forms/general_utility.h"
#include "frame/com/class_factory.h"
#include "frame/com/module.h"
#include "frame/com/registration.h"
#include "frame/win32/thread_runtime.h"
#include "network/network.h"
#include "settings/reg_settings.h"
#include "strings/string_function.h"
#include "time/time_utility.h"

namespace {

using tarn::com::ClassFactory;

ClassFactory<tarn::StringFunction> g_string_function_factory;
ClassFactory<tarn::GeneralUtility> g_general_utility_factory;
ClassFactory<tarn::ExCollection> g_ex_collection_factory;
ClassFactory<tarn::Network> g_network_factory;
ClassFactory<tarn::TimeUtility> g_time_utility_factory;
ClassFactory<tarn::CRegSettings> g_reg_settings_factory;

struct FactoryEntry {
  const CLSID* clsid;
  IClassFactory* factory;
};

const FactoryEntry kFactories[] = {
    {&CLSID_StringFunction, &g_string_function_factory}, {&CLSID_GeneralUtility, &g_general_utility_factory},
    {&CLSID_ExCollection, &g_ex_collection_factory},     {&CLSID_Network, &g_network_factory},
    {&CLSID_TimeUtility, &g_time_utility_factory},       {&CLSID_CRegSettings, &g_reg_settings_factory},
};

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      tarn::com::SetModuleHandle(instance);
      return tarn::com::ThreadRuntimeAttach();
    case DLL_THREAD_DETACH:
      // A thread that handled an exception here leaves its runtime state.
      tarn::com::ThreadRuntimeThreadDetach();
      break;
    case DLL_PROCESS_DETACH:
      // At process exit other DLLs may already be gone: release only on FreeLibrary.
      if (!reserved) tarn::com::ReleaseTypeInfoCache();
      tarn::com::ThreadRuntimeDetach(reserved != nullptr);
      break;
    default:
      break;
  }
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  for (const auto& entry : kFactories) {
    if (IsEqualCLSID(clsid, *entry.clsid)) return entry.factory->QueryInterface(riid, object);
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllCanUnloadNow() { return tarn::com::ModuleInUse() ? S_FALSE : S_OK; }

STDAPI DllRegisterServer() { return tarn::com::RegisterServer(); }

STDAPI DllUnregisterServer() { return tarn::com::UnregisterServer(); }

}  // extern "C"
