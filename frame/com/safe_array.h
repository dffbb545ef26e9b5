// A caller's by-reference String array, as the string members fill it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace tarn::com {

// Replaces the caller's one-dimensional array by one with bounds 0 to
// pieces.size() - 1 holding `pieces`: an array of Strings, or of Variants each
// holding a String when the caller's array holds Variants (a script's array).
// The new array is complete before the old one is released, so a failure
// leaves the caller's array as it was. An array that cannot be resized
// (fixed-size, static or locked) fails with error 10; one of another element
// type, with error 13.
void ReplaceStringArray(SAFEARRAY** array, const std::vector<std::u16string>& pieces);

}  // namespace tarn::com
