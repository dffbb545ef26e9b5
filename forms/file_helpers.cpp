#include "forms/file_helpers.h"

#include "frame/automation_error.h"
#include "frame/trim_spaces.h"

namespace tarn {
namespace {

class HeldNumber {
 public:
  explicit HeldNumber(FileNumbers& numbers) : numbers_(numbers), number_(numbers.Acquire()) {}
  HeldNumber(const HeldNumber&) = delete;
  HeldNumber& operator=(const HeldNumber&) = delete;
  ~HeldNumber() { numbers_.Release(number_); }

 private:
  FileNumbers& numbers_;
  int number_;
};

class OpenedFile {
 public:
  explicit OpenedFile(FileSystem& files) noexcept : files_(files) {}
  OpenedFile(const OpenedFile&) = delete;
  OpenedFile& operator=(const OpenedFile&) = delete;
  ~OpenedFile() {
    if (open_) files_.Close(file_);
  }
  bool Open(std::u16string_view name) {
    open_ = files_.OpenForReading(name, &file_);
    return open_;
  }

 private:
  FileSystem& files_;
  FileSystem::File file_ = nullptr;
  bool open_ = false;
};

}  // namespace

int32_t LastBackslash(std::u16string_view text) noexcept {
  const size_t at = text.rfind(u'\\');
  return at == std::u16string_view::npos ? 0 : static_cast<int32_t>(at + 1);
}

std::u16string_view FileNameOf(std::u16string_view full_path) noexcept {
  const std::u16string_view trimmed = TrimSpaces(full_path);
  return trimmed.substr(static_cast<size_t>(LastBackslash(trimmed)));
}

std::u16string_view DirNameOf(std::u16string_view full_path) noexcept {
  const std::u16string_view trimmed = TrimSpaces(full_path);
  return trimmed.substr(0, static_cast<size_t>(LastBackslash(trimmed)));
}

int FileNumbers::Acquire() {
  const std::lock_guard<ModuleMutex> lock(mutex_);
  for (int i = 0; i < kCount; ++i) {
    if (!in_use_[static_cast<size_t>(i)]) {
      in_use_[static_cast<size_t>(i)] = true;
      return i + 1;
    }
  }
  RaiseStandardError(kErrTooManyFiles);
}

void FileNumbers::Release(int number) noexcept {
  if (number < 1 || number > kCount) return;
  const std::lock_guard<ModuleMutex> lock(mutex_);
  in_use_[static_cast<size_t>(number - 1)] = false;
}

bool FileExists(FileSystem& files, FileNumbers& numbers, std::u16string_view name) {
  const HeldNumber number(numbers);
  // From here on every error is an answer.
  try {
    // The file functions stop at a NUL: "a.txt\0junk" would find "a.txt".
    if (name.find(u'\0') != std::u16string_view::npos) return false;
    OpenedFile file(files);
    return file.Open(name);
  } catch (...) {
    return false;
  }
}

}  // namespace tarn
