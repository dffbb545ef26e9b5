#include "forms/runtime/forms_runtime.h"

#include <gtest/gtest.h>

#include "tests/native/error_of.h"

namespace tarn {
namespace {

using testing::ErrorOf;

TEST(VariantEquals, FollowsTheRuntimesComparisonOfVariants) {
  struct Row {
    const char* name;
    FormValue a;
    FormValue b;
    bool equal;
  };
  const Row rows[] = {
      {"Integer 2 = Long 2", FormValue::Integer(2), FormValue::Long(2), true},
      {"Integer 2 = Double 2.0", FormValue::Integer(2), FormValue::Double(2.0), true},
      {"Long 2 = Double 2.5", FormValue::Long(2), FormValue::Double(2.5), false},
      {"Integer 1 = Integer 0", FormValue::Integer(1), FormValue::Integer(0), false},
      {"Empty = Integer 0", FormValue(), FormValue::Integer(0), true},
      {"Integer 0 = Empty", FormValue::Integer(0), FormValue(), true},
      {"Empty = Long 1", FormValue(), FormValue::Long(1), false},
      {"Empty = Empty", FormValue(), FormValue(), true},
      {"Empty = \"\"", FormValue(), FormValue::String(u""), true},
      {"Empty = \"0\"", FormValue(), FormValue::String(u"0"), false},
      {"Null = Integer 0", FormValue::Null(), FormValue::Integer(0), false},
      {"Integer 0 = Null", FormValue::Integer(0), FormValue::Null(), false},
      {"Null = Null", FormValue::Null(), FormValue::Null(), false},
      {"Null = Empty", FormValue::Null(), FormValue(), false},
      {"\"2\" = Integer 2", FormValue::String(u"2"), FormValue::Integer(2), false},
      {"\"ab\" = \"ab\"", FormValue::String(u"ab"), FormValue::String(u"ab"), true},
      {"\"ab\" = \"AB\"", FormValue::String(u"ab"), FormValue::String(u"AB"), false},
      {"True = Integer -1", FormValue::Boolean(true), FormValue::Integer(-1), true},
      {"False = Empty", FormValue::Boolean(false), FormValue(), true},
  };
  for (const auto& row : rows) EXPECT_EQ(VariantEquals(row.a, row.b), row.equal) << row.name;
}

TEST(VariantEquals, ValuesWithoutAComparisonAreATypeMismatch) {
  EXPECT_EQ(ErrorOf([] { VariantEquals(FormValue::Other(), FormValue::Integer(0)); }), kErrTypeMismatch);
  EXPECT_EQ(ErrorOf([] { VariantEquals(FormValue::Long(0), FormValue::Other()); }), kErrTypeMismatch);
}

TEST(Require, NothingIsObjectNotSet) {
  EXPECT_EQ(ErrorOf([] { Require(nullptr); }), kErrObjectNotSet);
}

}  // namespace
}  // namespace tarn
