#include "forms/system_file_system.h"

#include <windows.h>

#include <string>

namespace tarn::com {
namespace {

// The library runs unattended: a drive without a medium fails the open
// instead of asking the user.
class NoErrorDialogs {
 public:
  NoErrorDialogs() noexcept { SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previous_); }
  NoErrorDialogs(const NoErrorDialogs&) = delete;
  NoErrorDialogs& operator=(const NoErrorDialogs&) = delete;
  ~NoErrorDialogs() { SetThreadErrorMode(previous_, nullptr); }

 private:
  DWORD previous_ = 0;
};

class WindowsFileSystem final : public FileSystem {
 public:
  bool OpenForReading(std::u16string_view name, File* file) override {
    const std::wstring path(name.begin(), name.end());
    const NoErrorDialogs quiet;
    const HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    *file = handle;
    return true;
  }
  void Close(File file) noexcept override { CloseHandle(file); }
};

}  // namespace

FileSystem& SystemFileSystem() noexcept {
  static WindowsFileSystem files;
  return files;
}

FileNumbers& SystemFileNumbers() noexcept {
  static FileNumbers numbers;
  return numbers;
}

}  // namespace tarn::com
