// The real file system for FileExists: Unicode names, read access, sharing
// reads and writes with other processes, and no system error dialogs.
#pragma once

#include "forms/file_helpers.h"

namespace tarn::com {

FileSystem& SystemFileSystem() noexcept;
// The process's file numbers.
FileNumbers& SystemFileNumbers() noexcept;

}  // namespace tarn::com
