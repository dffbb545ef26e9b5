#include "forms/control_lookup.h"

#include <gtest/gtest.h>

#include <climits>

#include "tests/native/error_of.h"
#include "tests/native/fake_forms.h"
#include "tests/native/icu_text_services.h"

namespace tarn {
namespace {

using testing::ErrorOf;
using testing::FakeFormsRuntime;
using testing::NamedControl;
using testing::ShowForm;
using testing::TestTextServices;

int16_t Find(FakeFormsRuntime& runtime, std::u16string_view name, std::optional<FormValue> index = std::nullopt) {
  return FindControlIndex(TestTextServices(), runtime, name, index);
}

// txtName at 0, the control array cmdOk with elements 0 and 1 at 1 and 2,
// then CMDOK (no array) and cmdok(2) differing from cmdOk only in case.
FakeFormsRuntime SampleForm() {
  FakeFormsRuntime runtime;
  ShowForm(runtime, {NamedControl(u"txtName"), NamedControl(u"cmdOk", FormValue::Integer(0)),
                     NamedControl(u"cmdOk", FormValue::Integer(1)), NamedControl(u"lblNote"),
                     NamedControl(u"cmdok", FormValue::Integer(2))});
  return runtime;
}

TEST(FindControlIndex, FindsTheFirstMatchingPosition) {
  struct Row {
    const char* name;
    std::u16string_view sought;
    std::optional<FormValue> index;
    int16_t expected;
  };
  const Row rows[] = {
      {"TXTNAME", u"TXTNAME", std::nullopt, 0},
      {"cmdok without Index", u"cmdok", std::nullopt, 1},
      {"cmdOk Integer 1", u"cmdOk", FormValue::Integer(1), 2},
      {"cmdOk Long 1", u"cmdOk", FormValue::Long(1), 2},
      {"cmdOk Double 1.0", u"cmdOk", FormValue::Double(1.0), 2},
      {"cmdOk Double 1.5", u"cmdOk", FormValue::Double(1.5), -1},
      {"cmdOk Index 5", u"cmdOk", FormValue::Integer(5), -1},
      {"CMDOK Index 2 (lower-case twin)", u"CMDOK", FormValue::Integer(2), 4},
      {"cmdOk Empty", u"cmdOk", FormValue(), 1},
      {"cmdOk Null", u"cmdOk", FormValue::Null(), -1},
      {"cmdOk String 1", u"cmdOk", FormValue::String(u"1"), -1},
      {"unknown name", u"cmdCancel", std::nullopt, -1},
      {"empty name", u"", std::nullopt, -1},
  };
  for (const auto& row : rows) {
    FakeFormsRuntime runtime = SampleForm();
    EXPECT_EQ(Find(runtime, row.sought, row.index), row.expected) << row.name;
  }
}

TEST(FindControlIndex, AFormWithoutControlsAnswersMinusOne) {
  FakeFormsRuntime runtime;
  ShowForm(runtime, {});
  EXPECT_EQ(Find(runtime, u"txtName"), -1);
  EXPECT_EQ(Find(runtime, u"txtName", FormValue::Integer(0)), -1);
}

TEST(FindControlIndex, TakesTheFormOnceAndItsControlsAtEveryAccess) {
  FakeFormsRuntime runtime = SampleForm();
  const auto form = runtime.screen->objects[u"activeform"];
  EXPECT_EQ(Find(runtime, u"cmdOk", FormValue::Integer(1)), 2);
  EXPECT_EQ(runtime.screen->ReadsOf(u"ActiveForm"), 1);
  // Count, three Names, and two Index reads for the two cmdOk elements.
  EXPECT_EQ(form->ReadsOf(u"Controls"), 1 + 3 + 2);
}

TEST(FindControlIndex, ErrorsOfTheRuntimeReachTheCaller) {
  FakeFormsRuntime no_form;
  no_form.screen->SetObject(u"ActiveForm", nullptr);
  EXPECT_EQ(ErrorOf([&] { Find(no_form, u"x"); }), kErrObjectNotSet);

  // Reading Index of a control outside any control array.
  FakeFormsRuntime runtime = SampleForm();
  EXPECT_EQ(ErrorOf([&] { Find(runtime, u"txtName", FormValue::Integer(0)); }), kErrNoSuchMember);
  // A control without Name.
  FakeFormsRuntime nameless;
  ShowForm(nameless, {std::make_shared<testing::FakeNode>()});
  EXPECT_EQ(ErrorOf([&] { Find(nameless, u"x"); }), kErrNoSuchMember);
  // A collection element that is Nothing.
  FakeFormsRuntime hole;
  ShowForm(hole, {nullptr});
  EXPECT_EQ(ErrorOf([&] { Find(hole, u"x"); }), kErrObjectNotSet);
}

TEST(FindControlIndex, TheLastPositionMustFitAnInteger) {
  struct Row {
    int32_t count;
    int32_t error;
  };
  // No control carries the sought name before the loop would reach them: the
  // fake holds no elements, so only the range of the last position is probed.
  const Row rows[] = {{32768, kErrSubscript}, {32769, kErrOverflow}, {-32768, kErrOverflow}, {INT32_MIN, kErrOverflow}};
  for (const auto& row : rows) {
    FakeFormsRuntime runtime;
    const auto form = ShowForm(runtime, {});
    form->objects[u"controls"]->Set(u"Count", FormValue::Long(row.count));
    EXPECT_EQ(ErrorOf([&] { Find(runtime, u"x"); }), row.error) << row.count;
  }
}

}  // namespace
}  // namespace tarn
