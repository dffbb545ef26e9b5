#include "forms/general_utility.h"

#include <optional>

#include "forms/control_lookup.h"
#include "forms/cursor_confinement.h"
#include "forms/file_helpers.h"
#include "forms/system_file_system.h"
#include "frame/com/call_frame.h"
#include "forms/runtime/dispatch_forms_object.h"
#include "forms/runtime/forms_runtime_provider.h"
#include "forms/runtime/late_bound.h"
#include "frame/com/string_variant.h"
#include "forms/win_cursor_window_system.h"
#include "frame/win32/win_text_services.h"

namespace tarn {

using com::RunMember;
using com::Variant;

HRESULT GeneralUtility::FindControlIndex(BSTR S, VARIANT Index, short* result) {
  return RunMember(this, result, [&] {
    std::optional<FormValue> index;
    const Variant given = Variant::CopyOf(Index);
    const bool missing = V_VT(given.get()) == VT_ERROR && V_ERROR(given.get()) == DISP_E_PARAMNOTFOUND;
    if (!missing) index = com::FormValueOf(*given.get());
    return tarn::FindControlIndex(com::SystemTextServices(), *com::CurrentFormsRuntime(), com::ViewOf(S), index);
  });
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
HRESULT GeneralUtility::LimitCursor(IDispatch* vObject, VARIANT* result) {
  return RunMember(this, result, [&] {
    com::DispatchFormsObject object(vObject);
    tarn::LimitCursor(com::WindowCursorSystem(), vObject ? &object : nullptr);
    return Variant();
  });
}
HRESULT GeneralUtility::ReleaseCursor(VARIANT* result) {
  return RunMember(this, result, [] {
    tarn::ReleaseCursor(com::WindowCursorSystem());
    return Variant();
  });
}

}  // namespace tarn
