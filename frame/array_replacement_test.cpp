#include "frame/array_replacement.h"

#include <gtest/gtest.h>

#include "tests/native/error_of.h"

namespace tarn {
namespace {

using testing::ErrorOf;

TEST(ReplacementElements, KeepsTheCallersKindOrRefuses) {
  const struct {
    const char* name;
    CallerArray array;
    int error;
    ArrayElements made;
  } rows[] = {
      {"no array yet", {false, true, ArrayElements::kStrings}, 0, ArrayElements::kStrings},
      // Nothing of an array that does not exist is looked at.
      {"no array, marked fixed", {false, false, ArrayElements::kOther}, 0, ArrayElements::kStrings},
      {"String array", {true, true, ArrayElements::kStrings}, 0, ArrayElements::kStrings},
      {"Variant array", {true, true, ArrayElements::kVariants}, 0, ArrayElements::kVariants},
      {"fixed String array", {true, false, ArrayElements::kStrings}, 10, ArrayElements::kStrings},
      {"fixed Variant array", {true, false, ArrayElements::kVariants}, 10, ArrayElements::kStrings},
      {"fixed array of Longs", {true, false, ArrayElements::kOther}, 10, ArrayElements::kStrings},
      {"array of Longs", {true, true, ArrayElements::kOther}, 13, ArrayElements::kStrings},
  };
  for (const auto& row : rows) {
    ArrayElements made = ArrayElements::kOther;
    EXPECT_EQ(ErrorOf([&] { made = ReplacementElements(row.array); }), row.error) << row.name;
    if (row.error == 0) {
      EXPECT_EQ(made, row.made) << row.name;
    }
  }
}

}  // namespace
}  // namespace tarn
