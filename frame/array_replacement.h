// Which of a caller's arrays a member may replace by a new one of its own (as
// ParseString does with `dest`), and of what kind the new array is. The COM
// layer describes the caller's array; this rule decides; the COM layer builds.
#pragma once

namespace tarn {

enum class ArrayElements { kStrings, kVariants, kOther };

// The caller's array as a member finds it.
struct CallerArray {
  bool exists = false;    // false: a dynamic array never dimensioned
  bool resizable = true;  // false: fixed-size, static, embedded or locked
  ArrayElements elements = ArrayElements::kStrings;
};

// The kind of array that replaces `array`: Strings for a String array or for
// none at all, Variants (each holding a String) for an array of Variants, so
// that a script's variable keeps an array it can index. An array that cannot
// be resized raises error 10, whatever its elements; one of any other
// element type raises error 13. Either way the caller's array stays as it was.
ArrayElements ReplacementElements(const CallerArray& array);

}  // namespace tarn
