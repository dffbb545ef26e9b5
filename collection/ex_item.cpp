#include "collection/ex_item.h"

#include "collection/ex_collection.h"
#include "frame/com/call_frame.h"

namespace tarn {

using com::Bstr;
using com::RunMember;
using com::Variant;

ULONG ExItem::AddRef() {
  if (++client_references_ == 1 && parent_) parent_->AddRef();
  return client_references_;
}

ULONG ExItem::Release() {
  const ULONG left = --client_references_;
  if (left == 0) {
    // The collection may be destroyed by this release, and it frees the item.
    if (ExCollection* parent = parent_) {
      parent->Release();
    } else {
      delete this;
    }
  }
  return left;
}

HRESULT ExItem::get_Value(VARIANT* result) {
  // Detached, both the lookup and the report step fail with 91, and the
  // member's trap swallows both: the value is Empty and nothing is raised.
  return RunMember(this, result, [this] { return parent_ ? parent_->ReadValue(item_key_.get()) : Variant(); });
}

HRESULT ExItem::Key(BSTR* result) {
  return RunMember(this, result, [this] { return parent_ ? parent_->ReadKey(item_key_.get()) : Bstr(); });
}

void ExItem::PointAt(const VARIANT& selector) { item_key_ = collection::StoredVariant(selector); }

void ExItem::Detach() noexcept {
  ExCollection* parent = parent_;
  parent_ = nullptr;
  if (client_references_ == 0) {
    delete this;
  } else {
    parent->Release();  // the reference held on behalf of the item's clients
  }
}

}  // namespace tarn
