#include "frame/entry_points.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "frame/automation_error.h"
#include "tests/native/error_of.h"

namespace tarn {
namespace {

// Counts every call; libraries and functions not listed are missing.
class FakeLoader final : public ModuleLoader {
 public:
  std::set<std::string> libraries{"kernel32", "user32", "advapi32.dll"};
  std::set<std::string> missing_functions{"OffsetRect"};
  std::map<std::string, int> loads;
  int finds = 0;
  int frees = 0;

  void* Load(const char* library) override {
    ++loads[library];
    return libraries.count(library) ? reinterpret_cast<void*>(0x1000 + 0x100 * loads.size()) : nullptr;
  }
  void* Find(void*, const char* function) override {
    ++finds;
    return missing_functions.count(function) ? nullptr : reinterpret_cast<void*>(0x5000 + finds);
  }
  void Free(void*) override { ++frees; }
};

using testing::ErrorOf;

TEST(EntryPointTable, BindsOnFirstUseAndCaches) {
  FakeLoader loader;
  {
    EntryPointTable table(loader);
    EXPECT_TRUE(loader.loads.empty());  // nothing bound before use
    void* first = table.Address(EntryPoint::kClipCursor);
    void* again = table.Address(EntryPoint::kClipCursor);
    EXPECT_EQ(first, again);
    EXPECT_EQ(loader.finds, 1);
    table.Address(EntryPoint::kGetClientRect);
    table.Address(EntryPoint::kClientToScreen);
    EXPECT_EQ(loader.loads["user32"], 1);  // one library load serves all its functions
    EXPECT_EQ(loader.finds, 3);
    table.Address(EntryPoint::kRegCloseKey);
    EXPECT_EQ(loader.loads["advapi32.dll"], 1);
  }
  EXPECT_EQ(loader.frees, 2);  // every library loaded is released with the table
}

TEST(EntryPointTable, MissingLibraryAndMissingFunctionRaiseTheirStandardErrors) {
  FakeLoader loader;
  EntryPointTable table(loader);
  std::u16string description;
  EXPECT_EQ(ErrorOf([&] { table.Address(EntryPoint::kGethostbyname); }, &description), 48);
  EXPECT_EQ(description, u"Error in loading DLL");
  EXPECT_EQ(ErrorOf([&] { table.Address(EntryPoint::kOffsetRect); }, &description), 453);
  EXPECT_EQ(description, u"Can't find DLL entry point OffsetRect in user32");
  // A failed binding is not cached: it is tried again, and succeeds once the function is there.
  loader.missing_functions.clear();
  EXPECT_EQ(ErrorOf([&] { table.Address(EntryPoint::kOffsetRect); }), 0);
  EXPECT_EQ(loader.loads["user32"], 1);
}

TEST(EntryPointTable, EveryEntryNamesALibraryAndAFunction) {
  for (size_t i = 0; i < static_cast<size_t>(EntryPoint::kCount); ++i) {
    const EntryPointName name = NameOf(static_cast<EntryPoint>(i));
    EXPECT_TRUE(name.library && *name.library) << i;
    EXPECT_TRUE(name.function && *name.function) << i;
  }
  EXPECT_STREQ(NameOf(EntryPoint::kGethostbyaddr).function, "gethostbyaddr");
  EXPECT_STREQ(NameOf(EntryPoint::kGethostbyaddr).library, "wsock32.dll");
}

}  // namespace
}  // namespace tarn
