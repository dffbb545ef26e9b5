// Reads a string of a module's version information (the VS_VERSIONINFO block
// of its RT_VERSION resource), such as "ProductName", without the system's
// version library. Damaged or truncated blocks give no string, never a read
// outside the block.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tarn {

// The value of the string `name` in the first string table of `block` that
// holds it, up to its terminating NUL; nothing when there is none.
std::optional<std::u16string> FindVersionString(std::span<const uint8_t> block, std::u16string_view name);

}  // namespace tarn
