// An Automation value as the collection's entries hold it, in 16 bytes on
// every platform. Short Strings (up to 14 bytes, 7 code units) sit in the
// object itself instead of in a String allocation of their own; every other
// value keeps its VARIANT type and its 8 bytes of data; the two types whose
// data fill a whole VARIANT (Decimal and a user record) are kept in a VARIANT
// of their own. Copying is the Automation copy (an object becomes another
// reference to the same object, a String or an array a deep copy); what a
// client reads back is the VARIANT it stored.
#pragma once

#include <windows.h>

#include <cstdint>

#include "frame/com/variant.h"

namespace tarn::collection {

class CompactVariant {
 public:
  // The longest String, in bytes, kept inside the object.
  static constexpr uint32_t kInlineTextBytes = 14;

  CompactVariant() noexcept;
  // The Automation copy of `source`, by-reference values dereferenced
  // (VariantCopyInd); its failures are raised as RaiseVariantFailure does.
  explicit CompactVariant(const VARIANT& source);
  CompactVariant(const CompactVariant& other);
  CompactVariant(CompactVariant&& other) noexcept;
  CompactVariant& operator=(const CompactVariant& other);
  CompactVariant& operator=(CompactVariant&& other) noexcept;
  ~CompactVariant();

  // Copies the value into `out` (an initialised, empty VARIANT): the
  // HRESULT of the copy.
  HRESULT CopyTo(VARIANT* out) const noexcept;
  // Hands the value over as a VARIANT; this one is Empty afterwards. Only the
  // String of a short text is allocated here (std::bad_alloc when it cannot be).
  com::Variant Take();

 private:
  enum class Kind : uint8_t { kDirect, kInlineText, kBoxed };

  Kind KindOf() const noexcept { return static_cast<Kind>(bytes_[0]); }
  // Takes over an owned VARIANT without a reference (its content moves here).
  void Absorb(VARIANT& owned);
  // The VARIANT a direct value stands for; it shares the value's resources.
  VARIANT DirectView() const noexcept;
  VARIANT* Box() const noexcept;
  void SetEmpty() noexcept;
  void Release() noexcept;

  // [0] the kind; direct: [2, 4) the VARTYPE, [8, 16) the data; inline text:
  // [1] the byte count, [2, 16) the bytes; boxed: [8, 16) the VARIANT's address.
  alignas(8) unsigned char bytes_[16];
};

static_assert(sizeof(CompactVariant) == 16);

}  // namespace tarn::collection
