#include "collection/variant_enumerator.h"

#include <new>

#include "frame/com/module.h"

namespace tarn::collection {

VariantEnumerator* VariantEnumerator::Create(std::shared_ptr<const List> list, int64_t next_position) {
  return new VariantEnumerator(std::move(list), next_position);
}

VariantEnumerator::VariantEnumerator(std::shared_ptr<const List> list, int64_t next_position) noexcept
    : list_(std::move(list)), next_position_(next_position) {
  com::ObjectCreated();
}

VariantEnumerator::~VariantEnumerator() { com::ObjectDestroyed(); }

HRESULT VariantEnumerator::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IEnumVARIANT)) {
    *object = static_cast<IEnumVARIANT*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG VariantEnumerator::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

ULONG VariantEnumerator::Release() {
  const LONG left = InterlockedDecrement(&references_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

HRESULT VariantEnumerator::Next(ULONG count, VARIANT* values, ULONG* fetched) {
  if (fetched) *fetched = 0;
  if (count == 0) return S_OK;
  if (!values || (!fetched && count != 1)) return E_POINTER;
  const int64_t start = next_position_;
  ULONG done = 0;
  for (; done < count && next_position_ <= list_->Count(); ++done) {
    VariantInit(&values[done]);
    const HRESULT hr = list_->At(static_cast<int32_t>(next_position_)).value().CopyTo(&values[done]);
    if (FAILED(hr)) {
      // The caller receives all or nothing of a failed call.
      for (ULONG i = 0; i <= done; ++i) VariantClear(&values[i]);
      next_position_ = start;
      return hr;
    }
    ++next_position_;
  }
  if (fetched) *fetched = done;
  return done == count ? S_OK : S_FALSE;
}

HRESULT VariantEnumerator::Skip(ULONG count) {
  const int64_t end = static_cast<int64_t>(list_->Count()) + 1;
  next_position_ += count;
  if (next_position_ <= end) return S_OK;
  next_position_ = end;
  return S_FALSE;
}

HRESULT VariantEnumerator::Reset() {
  next_position_ = 1;
  return S_OK;
}

HRESULT VariantEnumerator::Clone(IEnumVARIANT** copy) {
  if (!copy) return E_POINTER;
  *copy = nullptr;
  try {
    *copy = Create(list_, next_position_);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

}  // namespace tarn::collection
