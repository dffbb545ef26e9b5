// The file and path helpers of GeneralUtility: whether a file can be opened
// for reading, and a path split at its last backslash. The file system sits
// behind a small interface: the DLL opens real files, tests use a fake.
#pragma once

#include <array>
#include <cstdint>
#include <mutex>
#include <string_view>

#include "frame/module_mutex.h"

namespace tarn {

// Position (1-based) of the last backslash in `text`, 0 when there is none.
// The backslash is the only separator: forward slashes, drive colons and UNC
// prefixes mean nothing of their own.
int32_t LastBackslash(std::u16string_view text) noexcept;

// After trimming spaces (U+0020 only): everything after the last backslash,
// or the whole text when there is none.
std::u16string_view FileNameOf(std::u16string_view full_path) noexcept;
// After trimming spaces: everything up to and including the last backslash,
// or the empty string when there is none. The trimmed text is always
// DirNameOf followed by FileNameOf.
std::u16string_view DirNameOf(std::u16string_view full_path) noexcept;

class FileSystem {
 public:
  using File = void*;
  virtual ~FileSystem() = default;
  // Opens an existing file for reading, never creating or changing it.
  virtual bool OpenForReading(std::u16string_view name, File* file) = 0;
  virtual void Close(File file) noexcept = 0;
};

// The file numbers 1 to 255 that open files hold; safe across threads.
class FileNumbers {
 public:
  static constexpr int kCount = 255;
  // A free number; the standard error 67 (too many files) when none is left.
  int Acquire();
  void Release(int number) noexcept;

 private:
  ModuleMutex mutex_;
  std::array<bool, kCount> in_use_{};
};

// True when the file named `name`, taken unchanged, exists and can be opened
// for reading now. Every failure to open (missing, a directory, an invalid,
// empty or wildcard name, access denied, held without sharing) answers false;
// only running out of file numbers raises. The file is closed before the
// answer.
bool FileExists(FileSystem& files, FileNumbers& numbers, std::u16string_view name);

}  // namespace tarn
