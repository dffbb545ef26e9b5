// The CRegSettings class: application settings in the current user's registry
// behind the dual interface _CRegSettings. Each object keeps only its company
// and application names; every call goes to the registry.
#pragma once

#include "TarnLib_h.h"
#include "frame/com/dispatch_object.h"
#include "settings/settings_store.h"

namespace tarn {

class CRegSettings final : public com::DispatchObject<CRegSettings, _CRegSettings, &CLSID_CRegSettings> {
 public:
  CRegSettings();

  HRESULT STDMETHODCALLTYPE put_Company(BSTR value) override;
  HRESULT STDMETHODCALLTYPE get_Company(BSTR* result) override;
  HRESULT STDMETHODCALLTYPE put_AppName(BSTR value) override;
  HRESULT STDMETHODCALLTYPE get_AppName(BSTR* result) override;
  HRESULT STDMETHODCALLTYPE DeleteSetting(BSTR Section, BSTR Key, VARIANT_BOOL* result) override;
  HRESULT STDMETHODCALLTYPE GetSetting(BSTR Section, BSTR Key, BSTR Default, BSTR* result) override;
  HRESULT STDMETHODCALLTYPE SaveSetting(BSTR Section, BSTR Key, BSTR Setting, VARIANT_BOOL* result) override;

 private:
  SettingsStore store_;
};

}  // namespace tarn
