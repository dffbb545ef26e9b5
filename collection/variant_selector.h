// A client's selector Variant as the keyed list reads it: a String (also by
// reference) selects by key, anything else is converted to a Long by the
// platform's Variant conversion when the position is needed.
#pragma once

#include <windows.h>

#include "collection/selector.h"

namespace tarn::collection {

class VariantSelector final : public Selector {
 public:
  // `value` must outlive the selector; references to Variants are followed.
  explicit VariantSelector(const VARIANT& value) noexcept;

  bool IsKey() const override;
  std::u16string_view Key() const override;
  int32_t Position() const override;

 private:
  const VARIANT* value_;
};

// True when an optional argument was omitted (missing, or no argument at all).
bool IsMissing(const VARIANT* value) noexcept;

}  // namespace tarn::collection
