#include "collection/ex_collection.h"

#include <optional>
#include <utility>

#include "collection/ex_item.h"
#include "collection/variant_enumerator.h"
#include "collection/variant_selector.h"
#include "frame/com/call_frame.h"
#include "frame/win32/win_text_services.h"

namespace tarn {

using collection::StoredVariant;
using collection::VariantSelector;
using com::Bstr;
using com::RunMember;
using com::Variant;
using com::ViewOf;

namespace {

// An optional before or after argument: null when omitted.
class OptionalSelector {
 public:
  explicit OptionalSelector(const VARIANT* value) {
    if (!collection::IsMissing(value)) selector_.emplace(*value);
  }
  const collection::Selector* get() const noexcept { return selector_ ? &*selector_ : nullptr; }

 private:
  std::optional<VariantSelector> selector_;
};

VARIANT EmptyVariant() noexcept {
  VARIANT v;
  VariantInit(&v);
  return v;
}

const VARIANT& ValueOrEmpty(const VARIANT* value) noexcept {
  static const VARIANT empty = EmptyVariant();
  return value ? *value : empty;
}

}  // namespace

ExCollection::ExCollection() : core_(com::SystemTextServices()), item_(ExItem::Create(this)) {}

ExCollection::~ExCollection() {
  // No client holds the item here (it would hold this collection): the item
  // goes with the collection, and the values with the list.
  if (item_) item_->Detach();
}

HRESULT ExCollection::get_RaiseErrors(VARIANT_BOOL* result) {
  return RunMember(this, result, [this] { return core_.raise_errors; });
}
HRESULT ExCollection::put_RaiseErrors(VARIANT_BOOL value) {
  return RunMember(this, [&] { core_.raise_errors = value; });
}
HRESULT ExCollection::get_Err(short* result) {
  return RunMember(this, result, [this] { return core_.err; });
}
HRESULT ExCollection::put_Err(short value) {
  return RunMember(this, [&] { core_.err = value; });
}
HRESULT ExCollection::get_ErrDescription(BSTR* result) {
  return RunMember(this, result, [this] { return Bstr(core_.err_description); });
}
HRESULT ExCollection::put_ErrDescription(BSTR value) {
  return RunMember(this, [&] { core_.err_description.assign(ViewOf(value)); });
}

HRESULT ExCollection::TerminateClass() {
  return RunMember(this, [this] {
    if (!item_) RaiseStandardError(kErrObjectNotSet);
    std::exchange(item_, nullptr)->Detach();
    core_.Terminate();
  });
}

HRESULT ExCollection::NewEnum(IUnknown** result) {
  return RunMember(this, result, [this]() -> IUnknown* {
    if (core_.Terminated()) RaiseStandardError(kErrObjectNotSet);
    return collection::VariantEnumerator::Create(core_.SharedList());
  });
}

HRESULT ExCollection::Add(VARIANT* newItem, BSTR* itemKey, VARIANT* before, VARIANT* after, VARIANT* result) {
  return RunMember(this, result, [&] {
    const OptionalSelector before_entry(before), after_entry(after);
    return core_.Add(ValueOrEmpty(newItem), ViewOf(itemKey ? *itemKey : nullptr), before_entry.get(), after_entry.get())
        .Take();
  });
}

HRESULT ExCollection::get_Count(LONG* result) {
  return RunMember(this, result, [this] { return core_.Count(); });
}

HRESULT ExCollection::get_Item(VARIANT* itemKey, clsExItem** result) {
  return RunMember(this, result, [&]() -> clsExItem* {
    if (item_) item_->PointAt(ValueOrEmpty(itemKey));
    core_.ReportItemRead();
    if (!item_) return nullptr;
    item_->AddRef();
    return item_;
  });
}

HRESULT ExCollection::put_Item(VARIANT* itemKey, VARIANT* value) {
  return RunMember(this, [&] { core_.ReplaceValue(VariantSelector(ValueOrEmpty(itemKey)), ValueOrEmpty(value)); });
}

HRESULT ExCollection::putref_Item(VARIANT* itemKey, IDispatch** value) {
  return RunMember(this, [&] {
    VARIANT object;
    V_VT(&object) = VT_DISPATCH;
    V_DISPATCH(&object) = value ? *value : nullptr;
    core_.ReplaceValue(VariantSelector(ValueOrEmpty(itemKey)), object);  // copied: another reference
  });
}

HRESULT ExCollection::Remove(VARIANT* itemKey) {
  return RunMember(this, [&] { core_.Remove(VariantSelector(ValueOrEmpty(itemKey))); });
}

HRESULT ExCollection::get_Sorted(VARIANT_BOOL* result) {
  return RunMember(this, result, [this] { return core_.Sorted(); });
}

HRESULT ExCollection::put_Sorted(VARIANT_BOOL* value) {
  return RunMember(this, [&] { core_.SetSorted(value ? *value : VARIANT_FALSE); });
}

HRESULT ExCollection::Key(LONG Index, BSTR* result) {
  return RunMember(this, result, [&] { return Bstr(core_.KeyAt(Index)); });
}

HRESULT ExCollection::Index(BSTR* itemKey, LONG* result) {
  return RunMember(this, result, [&] { return core_.Index(ViewOf(itemKey ? *itemKey : nullptr)); });
}

HRESULT ExCollection::ExistKey(BSTR* itemKey, VARIANT_BOOL* result) {
  return RunMember(this, result,
                   [&] { return core_.ExistKey(ViewOf(itemKey ? *itemKey : nullptr)) ? VARIANT_TRUE : VARIANT_FALSE; });
}

Variant ExCollection::ReadValue(const VARIANT& selector) { return core_.ReadValue(VariantSelector(selector)).Take(); }

Bstr ExCollection::ReadKey(const VARIANT& selector) { return Bstr(core_.ReadKey(VariantSelector(selector))); }

}  // namespace tarn
