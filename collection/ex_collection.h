// The ExCollection class: a keyed, optionally sorted collection behind the
// dual interface _ExCollection. Its members are not available yet.
#pragma once

#include "TarnLib_h.h"
#include "frame/com/dispatch_object.h"

namespace tarn {

class ExCollection final : public com::DispatchObject<ExCollection, _ExCollection> {
 public:
  HRESULT STDMETHODCALLTYPE get_RaiseErrors(VARIANT_BOOL* result) override;
  HRESULT STDMETHODCALLTYPE put_RaiseErrors(VARIANT_BOOL value) override;
  HRESULT STDMETHODCALLTYPE get_Err(short* result) override;
  HRESULT STDMETHODCALLTYPE put_Err(short value) override;
  HRESULT STDMETHODCALLTYPE get_ErrDescription(BSTR* result) override;
  HRESULT STDMETHODCALLTYPE put_ErrDescription(BSTR value) override;
  HRESULT STDMETHODCALLTYPE TerminateClass() override;
  HRESULT STDMETHODCALLTYPE NewEnum(IUnknown** result) override;
  HRESULT STDMETHODCALLTYPE Add(VARIANT* newItem, BSTR* itemKey, VARIANT* before, VARIANT* after,
                                VARIANT* result) override;
  HRESULT STDMETHODCALLTYPE get_Count(LONG* result) override;
  HRESULT STDMETHODCALLTYPE get_Item(VARIANT* itemKey, clsExItem** result) override;
  HRESULT STDMETHODCALLTYPE put_Item(VARIANT* itemKey, VARIANT* value) override;
  HRESULT STDMETHODCALLTYPE putref_Item(VARIANT* itemKey, IDispatch** value) override;
  HRESULT STDMETHODCALLTYPE Remove(VARIANT* itemKey) override;
  HRESULT STDMETHODCALLTYPE get_Sorted(VARIANT_BOOL* result) override;
  HRESULT STDMETHODCALLTYPE put_Sorted(VARIANT_BOOL* value) override;
  HRESULT STDMETHODCALLTYPE Key(LONG Index, BSTR* result) override;
  HRESULT STDMETHODCALLTYPE Index(BSTR* itemKey, LONG* result) override;
  HRESULT STDMETHODCALLTYPE ExistKey(BSTR* itemKey, VARIANT_BOOL* result) override;
};

}  // namespace tarn
