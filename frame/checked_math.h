// Long (32-bit) and Integer (16-bit) arithmetic as the Automation runtime does
// it: a result that does not fit raises the standard overflow error 6, an index
// outside an array's bounds raises the standard subscript error 9.
#pragma once

#include <cstdint>
#include <limits>

#include "frame/automation_error.h"

namespace tarn {

inline int32_t CheckedAdd(int32_t a, int32_t b) {
  int32_t r;
  if (__builtin_add_overflow(a, b, &r)) RaiseStandardError(kErrOverflow);
  return r;
}

inline int32_t CheckedSub(int32_t a, int32_t b) {
  int32_t r;
  if (__builtin_sub_overflow(a, b, &r)) RaiseStandardError(kErrOverflow);
  return r;
}

inline int32_t CheckedMul(int32_t a, int32_t b) {
  int32_t r;
  if (__builtin_mul_overflow(a, b, &r)) RaiseStandardError(kErrOverflow);
  return r;
}

inline int32_t CheckedNeg(int32_t a) { return CheckedSub(0, a); }

// Stores a wider value into a 16-bit Integer.
inline int16_t ToInteger(int64_t v) {
  if (v < std::numeric_limits<int16_t>::min() || v > std::numeric_limits<int16_t>::max()) {
    RaiseStandardError(kErrOverflow);
  }
  return static_cast<int16_t>(v);
}

// Stores a wider value into a 32-bit Long.
inline int32_t ToLong(int64_t v) {
  if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max()) {
    RaiseStandardError(kErrOverflow);
  }
  return static_cast<int32_t>(v);
}

// Checks an index against inclusive array bounds.
inline void CheckBounds(int64_t index, int64_t lower, int64_t upper) {
  if (index < lower || index > upper) RaiseStandardError(kErrSubscript);
}

}  // namespace tarn
