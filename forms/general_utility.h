// The GeneralUtility class: file, path and form helpers behind the dual
// interface _GeneralUtility.
#pragma once

#include "TarnLib_h.h"
#include "frame/com/dispatch_object.h"

namespace tarn {

class GeneralUtility final : public com::DispatchObject<GeneralUtility, _GeneralUtility, &CLSID_GeneralUtility> {
 public:
  HRESULT STDMETHODCALLTYPE FindControlIndex(BSTR S, VARIANT Index, short* result) override;
  HRESULT STDMETHODCALLTYPE FileExists(BSTR FileName, VARIANT_BOOL* result) override;
  HRESULT STDMETHODCALLTYPE GetFileName(BSTR FullPath, VARIANT* result) override;
  HRESULT STDMETHODCALLTYPE GetDirName(BSTR FullPath, VARIANT* result) override;
  HRESULT STDMETHODCALLTYPE LimitCursor(IDispatch* vObject, VARIANT* result) override;
  HRESULT STDMETHODCALLTYPE ReleaseCursor(VARIANT* result) override;
};

}  // namespace tarn
