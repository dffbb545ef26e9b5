#include "forms/general_utility.h"

#include "frame/com/call_frame.h"

namespace tarn {

using com::NotAvailableYet;
using com::RunMember;
using com::Variant;

HRESULT GeneralUtility::FindControlIndex(BSTR, VARIANT, short* result) {
  return RunMember(this, result, [] { return NotAvailableYet<short>(u"FindControlIndex"); });
}
HRESULT GeneralUtility::FileExists(BSTR, VARIANT_BOOL* result) {
  return RunMember(this, result, [] { return NotAvailableYet<VARIANT_BOOL>(u"FileExists"); });
}
HRESULT GeneralUtility::GetFileName(BSTR, VARIANT* result) {
  return RunMember(this, result, [] { return NotAvailableYet<Variant>(u"GetFileName"); });
}
HRESULT GeneralUtility::GetDirName(BSTR, VARIANT* result) {
  return RunMember(this, result, [] { return NotAvailableYet<Variant>(u"GetDirName"); });
}
HRESULT GeneralUtility::LimitCursor(IDispatch*, VARIANT* result) {
  return RunMember(this, result, [] { return NotAvailableYet<Variant>(u"LimitCursor"); });
}
HRESULT GeneralUtility::ReleaseCursor(VARIANT* result) {
  return RunMember(this, result, [] { return NotAvailableYet<Variant>(u"ReleaseCursor"); });
}

}  // namespace tarn
