#include "settings/reg_settings.h"

#include "frame/com/call_frame.h"
#include "frame/win32/product_name.h"
#include "settings/system_registry.h"

namespace tarn {

using com::Bstr;
using com::RunMember;
using com::ViewOf;

namespace {

VARIANT_BOOL BooleanOf(bool value) noexcept { return value ? VARIANT_TRUE : VARIANT_FALSE; }

}  // namespace

CRegSettings::CRegSettings() : store_(com::SystemRegistry(), com::ProductName) {}

HRESULT CRegSettings::put_Company(BSTR value) {
  return RunMember(this, [&] { store_.SetCompany(ViewOf(value)); });
}
HRESULT CRegSettings::get_Company(BSTR* result) {
  return RunMember(this, result, [&] { return Bstr(store_.Company()); });
}
HRESULT CRegSettings::put_AppName(BSTR value) {
  return RunMember(this, [&] { store_.SetAppName(ViewOf(value)); });
}
HRESULT CRegSettings::get_AppName(BSTR* result) {
  return RunMember(this, result, [&] { return Bstr(store_.AppName()); });
}
HRESULT CRegSettings::DeleteSetting(BSTR Section, BSTR Key, VARIANT_BOOL* result) {
  return RunMember(this, result, [&] { return BooleanOf(store_.DeleteSetting(ViewOf(Section), ViewOf(Key))); });
}
HRESULT CRegSettings::GetSetting(BSTR Section, BSTR Key, BSTR Default, BSTR* result) {
  return RunMember(this, result,
                   [&] { return Bstr(store_.GetSetting(ViewOf(Section), ViewOf(Key), ViewOf(Default))); });
}
HRESULT CRegSettings::SaveSetting(BSTR Section, BSTR Key, BSTR Setting, VARIANT_BOOL* result) {
  return RunMember(this, result,
                   [&] { return BooleanOf(store_.SaveSetting(ViewOf(Section), ViewOf(Key), ViewOf(Setting))); });
}

}  // namespace tarn
