#include "forms/general_utility.h"

#include "forms/file_helpers.h"
#include "forms/system_file_system.h"
#include "frame/com/call_frame.h"
#include "frame/com/string_variant.h"

namespace tarn {

using com::NotAvailableYet;
using com::RunMember;
using com::Variant;

HRESULT GeneralUtility::FindControlIndex(BSTR, VARIANT, short* result) {
  return RunMember(this, result, [] { return NotAvailableYet<short>(u"FindControlIndex"); });
}
HRESULT GeneralUtility::FileExists(BSTR FileName, VARIANT_BOOL* result) {
  return RunMember(this, result, [&] {
    return tarn::FileExists(com::SystemFileSystem(), com::SystemFileNumbers(), com::ViewOf(FileName)) ? VARIANT_TRUE
                                                                                                      : VARIANT_FALSE;
  });
}
HRESULT GeneralUtility::GetFileName(BSTR FullPath, VARIANT* result) {
  return RunMember(this, result, [&] { return com::StringVariant(FileNameOf(com::ViewOf(FullPath))); });
}
HRESULT GeneralUtility::GetDirName(BSTR FullPath, VARIANT* result) {
  return RunMember(this, result, [&] { return com::StringVariant(DirNameOf(com::ViewOf(FullPath))); });
}
HRESULT GeneralUtility::LimitCursor(IDispatch*, VARIANT* result) {
  return RunMember(this, result, [] { return NotAvailableYet<Variant>(u"LimitCursor"); });
}
HRESULT GeneralUtility::ReleaseCursor(VARIANT* result) {
  return RunMember(this, result, [] { return NotAvailableYet<Variant>(u"ReleaseCursor"); });
}

}  // namespace tarn
