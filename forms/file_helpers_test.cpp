#include "forms/file_helpers.h"

#include <gtest/gtest.h>

#include <new>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "frame/trim_spaces.h"
#include "tests/native/error_of.h"
#include "tests/native/test_text.h"

namespace tarn {
namespace {

using testing::ErrorOf;
using testing::Narrow;

TEST(PathSplit, FileAndDirectoryAtTheLastBackslash) {
  const struct {
    std::u16string_view path;
    std::u16string_view dir;
    std::u16string_view file;
  } rows[] = {
      {u"C:\\Windows\\win.ini", u"C:\\Windows\\", u"win.ini"},
      {u"win.ini", u"", u"win.ini"},
      {u"C:win.ini", u"", u"C:win.ini"},
      {u"C:\\Windows\\", u"C:\\Windows\\", u""},
      {u"\\\\server\\share\\f.txt", u"\\\\server\\share\\", u"f.txt"},
      {u"docs/notes.txt", u"", u"docs/notes.txt"},
      {u"C:\\a/b\\c/d.txt", u"C:\\a/b\\", u"c/d.txt"},
      {u"  C:\\My Documents\\a b.txt  ", u"C:\\My Documents\\", u"a b.txt"},
      {u"\tC:\\x\\y.txt\t", u"\tC:\\x\\", u"y.txt\t"},  // only spaces are trimmed
      {u" \\ ", u"\\", u""},
      {u"\\", u"\\", u""},
      {u"\\\\", u"\\\\", u""},
      {u"", u"", u""},
      {u"    ", u"", u""},
      {u"C:\\\u00e8\u4e2d\\\U0001F600.txt", u"C:\\\u00e8\u4e2d\\", u"\U0001F600.txt"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(DirNameOf(row.path), row.dir) << Narrow(row.path);
    EXPECT_EQ(FileNameOf(row.path), row.file) << Narrow(row.path);
  }
  EXPECT_EQ(LastBackslash(u"a\\b\\c"), 4);
  EXPECT_EQ(LastBackslash(u"abc"), 0);
  EXPECT_EQ(LastBackslash(u"\\"), 1);
}

// On generated paths: the last backslash is the last one found by searching
// forward from each one found before, the directory ends with it, and the
// trimmed text is the directory followed by the file name.
TEST(PathSplit, DirectoryThenFileIsTheTrimmedPath) {
  std::mt19937 random(9);
  const std::u16string alphabet = u"a\\ /:.";
  for (int i = 0; i < 5000; ++i) {
    std::u16string path;
    const auto length = std::uniform_int_distribution<int>(0, 12)(random);
    for (int k = 0; k < length; ++k) path += alphabet[std::uniform_int_distribution<size_t>(0, 5)(random)];
    const std::u16string_view trimmed = TrimSpaces(path);
    int32_t last = 0;
    for (size_t at = trimmed.find(u'\\'); at != std::u16string_view::npos; at = trimmed.find(u'\\', at + 1)) {
      last = static_cast<int32_t>(at + 1);
    }
    ASSERT_EQ(LastBackslash(trimmed), last) << Narrow(path);
    const std::u16string_view dir = DirNameOf(path);
    const std::u16string_view file = FileNameOf(path);
    ASSERT_EQ(std::u16string(dir) + std::u16string(file), trimmed) << Narrow(path);
    ASSERT_EQ(file.find(u'\\'), std::u16string_view::npos) << Narrow(path);
    ASSERT_TRUE(dir.empty() || dir.back() == u'\\') << Narrow(path);
  }
}

// Files that exist, counted opens and closes, names recorded as received.
class FakeFileSystem final : public FileSystem {
 public:
  std::set<std::u16string> files;
  std::u16string throws_bad_alloc_for;
  std::u16string throws_error_for;
  std::vector<std::u16string> asked;
  int open = 0;
  int closes = 0;

  bool OpenForReading(std::u16string_view name, File* file) override {
    asked.emplace_back(name);
    if (name == throws_bad_alloc_for) throw std::bad_alloc();
    if (name == throws_error_for) RaiseStandardError(53);
    if (!files.count(std::u16string(name))) return false;
    ++open;
    *file = reinterpret_cast<File>(static_cast<uintptr_t>(open));
    return true;
  }
  void Close(File) noexcept override {
    --open;
    ++closes;
  }
};

TEST(FileExists, AnswersWhetherTheFileOpensAndClosesIt) {
  FakeFileSystem fs;
  FileNumbers numbers;
  fs.files = {u"C:\\t\\a.txt", u"C:\\t\\a.txt "};
  fs.throws_bad_alloc_for = u"C:\\t\\big";
  fs.throws_error_for = u"C:\\t\\bad";
  const struct {
    std::u16string name;
    bool exists;
    bool reaches_the_file_system;
  } rows[] = {
      {u"C:\\t\\a.txt", true, true},
      {u"C:\\t\\missing.txt", false, true},
      {u"", false, true},
      {u" C:\\t\\a.txt", false, true},  // not trimmed
      {u"C:\\t\\a.txt ", true, true},   // not trimmed: the name with its space
      {u"C:\\t\\big", false, true},     // any error is an answer
      {u"C:\\t\\bad", false, true},
      {std::u16string(u"C:\\t\\a.txt\0x", 12), false, false},
  };
  for (const auto& row : rows) {
    fs.asked.clear();
    EXPECT_EQ(FileExists(fs, numbers, row.name), row.exists) << Narrow(row.name);
    EXPECT_EQ(fs.open, 0) << Narrow(row.name);  // nothing left open
    if (row.reaches_the_file_system) {
      ASSERT_EQ(fs.asked.size(), 1u) << Narrow(row.name);
      EXPECT_EQ(fs.asked[0], row.name) << Narrow(row.name);
    } else {
      EXPECT_TRUE(fs.asked.empty()) << Narrow(row.name);
    }
  }
  EXPECT_EQ(fs.closes, 2);
}

TEST(FileExists, ReturnsItsFileNumberEveryTimeAndRaises67WhenNoneIsLeft) {
  FakeFileSystem fs;
  FileNumbers numbers;
  fs.files = {u"f"};
  fs.throws_error_for = u"bad";
  for (int i = 0; i < 3 * FileNumbers::kCount; ++i) {
    ASSERT_TRUE(FileExists(fs, numbers, u"f")) << i;
    ASSERT_FALSE(FileExists(fs, numbers, u"bad")) << i;
  }
  std::vector<int> held;
  for (int i = 0; i < FileNumbers::kCount; ++i) held.push_back(numbers.Acquire());
  EXPECT_EQ(held.front(), 1);
  EXPECT_EQ(held.back(), 255);
  fs.asked.clear();
  EXPECT_EQ(ErrorOf([&] { FileExists(fs, numbers, u"f"); }), 67);
  EXPECT_TRUE(fs.asked.empty());  // the error comes before any open
  numbers.Release(17);
  EXPECT_TRUE(FileExists(fs, numbers, u"f"));
  EXPECT_EQ(numbers.Acquire(), 17);
}

}  // namespace
}  // namespace tarn
