// The enumerator NewEnum hands out: a real IEnumVARIANT over the collection's
// values in position order, an object as another reference to the same
// object, anything else as a copy.
//
// What it sees when the collection changes under it: it walks positions. Each
// Next yields the values at its next positions in the list as the list is at
// that moment, so an entry added or removed before its position shifts what
// it yields next (one value may be skipped or seen twice), and entries added
// after its position are seen. It shares ownership of the list, never holds a
// pointer to an entry between calls, and so never reads freed memory; after
// TerminateClass it goes on over the list it was made from, which lives (with
// its values) until the last enumerator over it is released.
#pragma once

#include <windows.h>

#include <memory>

#include "collection/compact_variant.h"
#include "collection/keyed_list.h"

namespace tarn::collection {

class VariantEnumerator final : public IEnumVARIANT {
 public:
  using List = KeyedList<CompactVariant>;

  // A new enumerator with one reference, owned by the caller.
  static VariantEnumerator* Create(std::shared_ptr<const List> list, int64_t next_position = 1);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* values, ULONG* fetched) override;
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override;
  HRESULT STDMETHODCALLTYPE Reset() override;
  HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** copy) override;

 private:
  VariantEnumerator(std::shared_ptr<const List> list, int64_t next_position) noexcept;
  ~VariantEnumerator();

  std::shared_ptr<const List> list_;
  int64_t next_position_;  // 64 bits: Skip cannot overflow it
  LONG references_ = 1;
};

}  // namespace tarn::collection
