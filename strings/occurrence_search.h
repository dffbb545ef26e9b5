// Counting and searching members of the string class: CountStringInString and
// InStrEx, on top of the search rule.
#pragma once

#include <cstdint>
#include <string_view>

#include "frame/text_services.h"

namespace tarn {

// Number of positions of `source` at which `match` begins, overlapping ones
// included. `exact` 0 counts case-insensitively (both strings upper-cased);
// any other value counts exactly. Fails with error 9 for an empty source or
// match.
int32_t CountStringInString(const TextServices& services, std::u16string_view source, std::u16string_view match,
                            int16_t exact);

// The search rule for a positive start; for zero or a negative start the
// rightmost occurrence beginning at or before Len(source) - |start| + 1,
// counted from the end of `source` (1 = begins at the last character).
int32_t InStrEx(const TextServices& services, int32_t start, std::u16string_view source, std::u16string_view match,
                int32_t method);

}  // namespace tarn
