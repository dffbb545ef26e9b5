// The ExCollection class: keyed values in position order or sorted by key,
// behind the dual interface _ExCollection. Each member converts its arguments
// and calls the portable collection (collection/keyed_collection.h) inside
// the call frame. The item view it hands out is the one ExItem it owns.
#pragma once

#include "TarnLib_h.h"
#include "collection/compact_variant.h"
#include "collection/keyed_collection.h"
#include "collection/stored_variant.h"
#include "frame/com/bstr.h"
#include "frame/com/dispatch_object.h"
#include "frame/com/variant.h"

namespace tarn {

class ExItem;

class ExCollection final : public com::DispatchObject<ExCollection, _ExCollection, &CLSID_ExCollection> {
 public:
  ExCollection();
  ~ExCollection() override;

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

  // What the item view reads: the entry its selector chooses, with the
  // collection's error traps and report step.
  com::Variant ReadValue(const VARIANT& selector);
  com::Bstr ReadKey(const VARIANT& selector);

 private:
  collection::KeyedCollection<collection::CompactVariant> core_;
  ExItem* item_;  // owned; null after TerminateClass
};

}  // namespace tarn
