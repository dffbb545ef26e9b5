// FileExists, GetFileName and GetDirName of GeneralUtility on real files in a
// temporary folder of their own.
#include <gtest/gtest.h>

#include <string>

#include "tests/wine/client/client_support.h"

namespace tarn::client {
namespace {

ComPtr<_GeneralUtility> NewGeneralUtility() { return CreateFromDll<_GeneralUtility>(CLSID_GeneralUtility); }

class FileExistsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
    folder = std::wstring(temp) + L"tarnlib files " + std::to_wstring(GetCurrentProcessId()) + L"\\";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr)) << GetLastError();
    object = NewGeneralUtility();
    ASSERT_TRUE(object);
  }
  void TearDown() override {
    for (const auto& name : created) EXPECT_TRUE(DeleteFileW((folder + name).c_str())) << "still open?";
    RemoveDirectoryW((folder + L"sub").c_str());
    EXPECT_TRUE(RemoveDirectoryW(folder.c_str()));
  }

  void Create(const std::wstring& name, const char* content) {
    const HANDLE file = CreateFileW((folder + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, content, static_cast<DWORD>(strlen(content)), &written, nullptr);
    CloseHandle(file);
    created.push_back(name);
  }

  VARIANT_BOOL Exists(const std::wstring& name) {
    VARIANT_BOOL answer = 1;  // neither True nor False
    const Bstr text(std::u16string_view(reinterpret_cast<const char16_t*>(name.data()), name.size()));
    EXPECT_EQ(object->FileExists(text.get(), &answer), S_OK);
    return answer;
  }

  std::wstring folder;
  std::vector<std::wstring> created;
  ComPtr<_GeneralUtility> object;
};

TEST_F(FileExistsTest, FilesThatOpenForReadingAndNamesThatDoNot) {
  Create(L"a.txt", "content");
  Create(L"\u0416\u4e2d\u6587 \u20ac.txt", "x");  // characters outside the ANSI code page
  ASSERT_TRUE(CreateDirectoryW((folder + L"sub").c_str(), nullptr));
  const struct {
    std::wstring name;
    VARIANT_BOOL exists;
  } rows[] = {
      {folder + L"a.txt", VARIANT_TRUE},
      {folder + L"A.TXT", VARIANT_TRUE},
      {folder + L"\u0416\u4e2d\u6587 \u20ac.txt", VARIANT_TRUE},
      {folder + L"missing.txt", VARIANT_FALSE},
      {folder + L"nowhere\\a.txt", VARIANT_FALSE},
      {folder + L"sub", VARIANT_FALSE},
      {folder, VARIANT_FALSE},
      {L"", VARIANT_FALSE},
      {folder + L"*.txt", VARIANT_FALSE},
      {folder + L"a.tx?", VARIANT_FALSE},
      {folder + std::wstring(L"a.txt\0junk", 10), VARIANT_FALSE},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(Exists(row.name), row.exists) << std::string(row.name.begin(), row.name.end());
  }
  // Nothing was created, and the file is unchanged and closed (TearDown deletes it).
  EXPECT_EQ(GetFileAttributesW((folder + L"missing.txt").c_str()), INVALID_FILE_ATTRIBUTES);
  WIN32_FILE_ATTRIBUTE_DATA data{};
  ASSERT_TRUE(GetFileAttributesExW((folder + L"a.txt").c_str(), GetFileExInfoStandard, &data));
  EXPECT_EQ(data.nFileSizeLow, 7u);
}

TEST_F(FileExistsTest, RelativeNamesAreResolvedAgainstTheCurrentDirectory) {
  Create(L"rel.txt", "r");
  wchar_t previous[MAX_PATH];
  ASSERT_GT(GetCurrentDirectoryW(MAX_PATH, previous), 0u);
  ASSERT_TRUE(SetCurrentDirectoryW(folder.c_str()));
  EXPECT_EQ(Exists(L"rel.txt"), VARIANT_TRUE);
  EXPECT_EQ(Exists(L".\\rel.txt"), VARIANT_TRUE);
  EXPECT_EQ(Exists(L"other.txt"), VARIANT_FALSE);
  SetCurrentDirectoryW(previous);
}

TEST_F(FileExistsTest, AFileHeldOpenWithoutSharingIsNotThere) {
  Create(L"held.txt", "held");
  const HANDLE held = CreateFileW((folder + L"held.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Exists(folder + L"held.txt"), VARIANT_FALSE);
  CloseHandle(held);
  EXPECT_EQ(Exists(folder + L"held.txt"), VARIANT_TRUE);
  // A file another holder opened for writing but shares is found and left alone.
  const HANDLE shared = CreateFileW((folder + L"held.txt").c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(shared, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Exists(folder + L"held.txt"), VARIANT_TRUE);
  CloseHandle(shared);
}

TEST(PathSplit, FileAndDirectoryNamesAsStringVariants) {
  auto object = NewGeneralUtility();
  ASSERT_TRUE(object);
  const struct {
    const char16_t* path;
    const wchar_t* dir;
    const wchar_t* file;
  } rows[] = {
      {u"C:\\Windows\\win.ini", L"C:\\Windows\\", L"win.ini"},
      {u"  \\\\server\\share\\f.txt ", L"\\\\server\\share\\", L"f.txt"},
      {u"docs/notes.txt", L"", L"docs/notes.txt"},
      {u"C:\\Windows\\", L"C:\\Windows\\", L""},
      {u"C:\\\u4e2d\\\u0416.txt", L"C:\\\u4e2d\\", L"\u0416.txt"},
      {u"", L"", L""},
  };
  for (const auto& row : rows) {
    Variant dir, file;
    ASSERT_EQ(object->GetDirName(Bstr(row.path).get(), dir.get()), S_OK);
    ASSERT_EQ(object->GetFileName(Bstr(row.path).get(), file.get()), S_OK);
    ASSERT_EQ(V_VT(dir.get()), VT_BSTR);
    ASSERT_EQ(V_VT(file.get()), VT_BSTR);
    EXPECT_EQ(Text(V_BSTR(dir.get())), row.dir);
    EXPECT_EQ(Text(V_BSTR(file.get())), row.file);
  }
  // A null String reads as empty, and the result is still a String.
  Variant none;
  ASSERT_EQ(object->GetFileName(nullptr, none.get()), S_OK);
  EXPECT_EQ(V_VT(none.get()), VT_BSTR);
}

}  // namespace
}  // namespace tarn::client
