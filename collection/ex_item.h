// The clsExItem class: the one item view an ExCollection hands out from every
// read of Item. It remembers the selector of the last read and resolves it
// against its collection when Value or Key is read.
//
// Lifetime without a leaked cycle: the collection owns its item, and the item
// holds a counted reference to the collection only while some client holds
// the item. So a client's item keeps the collection alive, and when neither is
// held by a client any more the collection is destroyed, with its item and its
// values, whether or not TerminateClass was called. After TerminateClass (or
// Detach) the item lives on its own and Value and Key read as Empty and "".
#pragma once

#include "TarnLib_h.h"
#include "collection/stored_variant.h"
#include "frame/com/dispatch_object.h"

namespace tarn {

class ExCollection;

class ExItem final : public com::DispatchObject<ExItem, clsExItem> {
 public:
  explicit ExItem(ExCollection* parent) noexcept : parent_(parent) {}

  // Counts only the clients' references (see above); the base's count is unused.
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  HRESULT STDMETHODCALLTYPE get_Value(VARIANT* result) override;
  HRESULT STDMETHODCALLTYPE Key(BSTR* result) override;

  // ItemKey let: a private copy of the selector, references followed.
  void PointAt(const VARIANT& selector);
  // Parent = Nothing: the collection lets go of the item. The item frees
  // itself now when no client holds it, else when the last client lets go.
  void Detach() noexcept;

 private:
  ExCollection* parent_;
  collection::StoredVariant item_key_;
  ULONG client_references_ = 0;
};

}  // namespace tarn
