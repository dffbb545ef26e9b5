// The library's product name, read at run time from the ProductName string of
// this DLL's own version information.
#pragma once

#include <string>

namespace tarn::com {

// Raises the standard internal error 51 when the module carries no product
// name (a damaged file).
std::u16string ProductName();

}  // namespace tarn::com
