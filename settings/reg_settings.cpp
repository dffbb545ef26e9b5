#include "settings/reg_settings.h"

#include "frame/com/call_frame.h"

namespace tarn {

using com::Bstr;
using com::NotAvailableYet;
using com::RunMember;

HRESULT CRegSettings::put_Company(BSTR) {
  return RunMember(this, [] { NotAvailableYet<void>(u"Company"); });
}
HRESULT CRegSettings::get_Company(BSTR* result) {
  return RunMember(this, result, [] { return NotAvailableYet<Bstr>(u"Company"); });
}
HRESULT CRegSettings::put_AppName(BSTR) {
  return RunMember(this, [] { NotAvailableYet<void>(u"AppName"); });
}
HRESULT CRegSettings::get_AppName(BSTR* result) {
  return RunMember(this, result, [] { return NotAvailableYet<Bstr>(u"AppName"); });
}
HRESULT CRegSettings::DeleteSetting(BSTR, BSTR, VARIANT_BOOL* result) {
  return RunMember(this, result, [] { return NotAvailableYet<VARIANT_BOOL>(u"DeleteSetting"); });
}
HRESULT CRegSettings::GetSetting(BSTR, BSTR, BSTR, BSTR* result) {
  return RunMember(this, result, [] { return NotAvailableYet<Bstr>(u"GetSetting"); });
}
HRESULT CRegSettings::SaveSetting(BSTR, BSTR, BSTR, VARIANT_BOOL* result) {
  return RunMember(this, result, [] { return NotAvailableYet<VARIANT_BOOL>(u"SaveSetting"); });
}

}  // namespace tarn
