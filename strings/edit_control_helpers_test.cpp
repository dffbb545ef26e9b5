#include "strings/edit_control_helpers.h"

#include <gtest/gtest.h>

#include "tests/native/error_of.h"
#include "tests/native/fake_forms.h"
#include "tests/native/icu_text_services.h"
#include "tests/native/test_text.h"

namespace tarn {
namespace {

using testing::ErrorOf;
using testing::FakeFormsRuntime;
using testing::FakeNode;
using testing::Narrow;
using testing::TestTextServices;

TEST(KeyCodeCase, LettersMapToTheirPartnersAndCodesWithoutCaseComeBackUnchanged) {
  const TextServices& ts = TestTextServices();
  for (int16_t code = 0; code < 128; ++code) {
    if (code >= 'a' && code <= 'z') {
      EXPECT_EQ(UpperKeyCode(ts, code), code - 32) << code;
      EXPECT_EQ(LowerKeyCode(ts, code), code) << code;
    } else if (code >= 'A' && code <= 'Z') {
      EXPECT_EQ(LowerKeyCode(ts, code), code + 32) << code;
      EXPECT_EQ(UpperKeyCode(ts, code), code) << code;
    } else {
      EXPECT_EQ(UpperKeyCode(ts, code), code) << code;
      EXPECT_EQ(LowerKeyCode(ts, code), code) << code;
    }
  }
  // Windows-1252 letters above 127: a-umlaut, y-diaeresis (whose capital sits at 159).
  EXPECT_EQ(UpperKeyCode(ts, 228), 196);
  EXPECT_EQ(LowerKeyCode(ts, 196), 228);
  EXPECT_EQ(UpperKeyCode(ts, 255), 159);
}

TEST(KeyCodeCase, CodesOutsideTheAnsiRangeAreInvalid) {
  const TextServices& ts = TestTextServices();
  for (const int16_t code : {int16_t{-1}, int16_t{256}, int16_t{-32768}, int16_t{32767}}) {
    EXPECT_EQ(ErrorOf([&] { UpperKeyCode(ts, code); }), kErrInvalidCall) << code;
    EXPECT_EQ(ErrorOf([&] { LowerKeyCode(ts, code); }), kErrInvalidCall) << code;
  }
}

// A runtime whose focused control holds `text` with `selected` selected.
FakeFormsRuntime FocusedText(std::u16string_view text, std::u16string_view selected) {
  FakeFormsRuntime runtime;
  auto control = std::make_shared<FakeNode>();
  control->Set(u"Text", FormValue::String(std::u16string(text)));
  control->Set(u"SelText", FormValue::String(std::u16string(selected)));
  runtime.screen->SetObject(u"ActiveControl", control);
  return runtime;
}

TEST(InsertFirstUCase, CasesTheKeyFromTheEndOfTheText) {
  struct Row {
    std::u16string_view text;
    std::u16string_view selected;
    int16_t key;
    int16_t expected;
  };
  const Row rows[] = {
      {u"", u"", 97, 65},         {u"", u"", 32, 32},      {u"", u"", 8, 8},         {u"abc", u"", 68, 100},
      {u"abc", u"", 100, 100},    {u"abc", u"", 32, 32},   {u"abc", u"", 8, 8},      {u"abc ", u"", 100, 68},
      {u"abc ", u"", 32, 0},      {u"abc ", u"", 8, 8},    {u"abc", u"abc", 97, 65}, {u"abc", u"abc", 8, 8},
      {u"abc ", u"abc ", 32, 32},  // all selected: the space replaces the text
      {u"ab cd", u"", 88, 120},    // caret after "ab": still the end of the text decides
      {u"ab cd", u"b", 120, 120}, {u"ab ", u"b", 120, 88},
  };
  for (const auto& row : rows) {
    FakeFormsRuntime runtime = FocusedText(row.text, row.selected);
    EXPECT_EQ(InsertFirstUCase(TestTextServices(), runtime, row.key), row.expected)
        << "text '" << Narrow(row.text) << "' selected '" << Narrow(row.selected) << "' key " << row.key;
  }
}

TEST(InsertFirstUCase, ErrorsOfTheRuntimeReachTheCaller) {
  FakeFormsRuntime none;
  none.screen->SetObject(u"ActiveControl", nullptr);
  EXPECT_EQ(ErrorOf([&] { InsertFirstUCase(TestTextServices(), none, 97); }), kErrObjectNotSet);

  FakeFormsRuntime no_selection = FocusedText(u"abc", u"");
  no_selection.screen->objects[u"activecontrol"]->values.erase(u"seltext");
  EXPECT_EQ(ErrorOf([&] { InsertFirstUCase(TestTextServices(), no_selection, 97); }), kErrNoSuchMember);

  FakeFormsRuntime null_text = FocusedText(u"", u"");
  null_text.screen->objects[u"activecontrol"]->Set(u"Text", FormValue::Null());
  EXPECT_EQ(ErrorOf([&] { InsertFirstUCase(TestTextServices(), null_text, 97); }), kErrInvalidUseOfNull);

  FakeFormsRuntime empty = FocusedText(u"", u"");
  EXPECT_EQ(ErrorOf([&] { InsertFirstUCase(TestTextServices(), empty, 300); }), kErrInvalidCall);
}

// A runtime with an active form whose focused control holds `text` and takes
// SelStart and SelLength.
std::shared_ptr<FakeNode> FocusedOnForm(FakeFormsRuntime& runtime, std::u16string_view text) {
  auto form = std::make_shared<FakeNode>();
  auto control = std::make_shared<FakeNode>();
  control->Set(u"Text", FormValue::String(std::u16string(text)));
  control->writable = {u"selstart", u"sellength"};
  form->SetObject(u"ActiveControl", control);
  runtime.screen->SetObject(u"ActiveForm", form);
  return control;
}

TEST(SelectAllText, SelectsFromTheStartForTheWholeLength) {
  FakeFormsRuntime runtime;
  const auto control = FocusedOnForm(runtime, u"hello");
  SelectAllText(runtime);
  ASSERT_EQ(control->writes.size(), 2u);
  EXPECT_EQ(control->writes[0].first, u"selstart");
  EXPECT_EQ(control->writes[0].second.kind(), FormValue::Kind::kInteger);
  EXPECT_EQ(control->writes[0].second.number(), 0);
  EXPECT_EQ(control->writes[1].first, u"sellength");
  EXPECT_EQ(control->writes[1].second.kind(), FormValue::Kind::kLong);
  EXPECT_EQ(control->writes[1].second.number(), 5);
}

TEST(SelectAllText, AnEmptyControlGetsOnlyItsStart) {
  FakeFormsRuntime runtime;
  const auto control = FocusedOnForm(runtime, u"");
  SelectAllText(runtime);
  ASSERT_EQ(control->writes.size(), 1u);
  EXPECT_EQ(control->writes[0].first, u"selstart");
}

TEST(SelectAllText, SkipsEveryFailingStepAndReportsNothing) {
  FakeFormsRuntime no_form;
  no_form.screen->SetObject(u"ActiveForm", nullptr);
  EXPECT_NO_THROW(SelectAllText(no_form));

  FakeFormsRuntime no_screen_member;  // the screen answers nothing at all
  EXPECT_NO_THROW(SelectAllText(no_screen_member));

  FakeFormsRuntime no_control;
  FocusedOnForm(no_control, u"x");
  no_control.screen->objects[u"activeform"]->SetObject(u"ActiveControl", nullptr);
  EXPECT_NO_THROW(SelectAllText(no_control));

  // SelStart refused: the length is still written.
  FakeFormsRuntime read_only_start;
  const auto control = FocusedOnForm(read_only_start, u"abc");
  control->writable = {u"sellength"};
  SelectAllText(read_only_start);
  ASSERT_EQ(control->writes.size(), 1u);
  EXPECT_EQ(control->writes[0].first, u"sellength");
  EXPECT_EQ(control->writes[0].second.number(), 3);

  // No Text: the start is written, the length left alone.
  FakeFormsRuntime no_text;
  const auto textless = FocusedOnForm(no_text, u"abc");
  textless->values.erase(u"text");
  SelectAllText(no_text);
  ASSERT_EQ(textless->writes.size(), 1u);
  EXPECT_EQ(textless->writes[0].first, u"selstart");
}

class CountingKeystrokes final : public KeystrokeQueue {
 public:
  int tabs = 0;
  bool fail = false;
  void QueueTab() override {
    if (fail) RaiseStandardError(kErrInvalidCall);
    ++tabs;
  }
};

TEST(ConvertRetToTab, OnlyEnterBecomesOneTab) {
  for (int32_t code = -300; code <= 300; ++code) {
    CountingKeystrokes keys;
    const auto key = static_cast<int16_t>(code);
    EXPECT_EQ(ConvertRetToTab(keys, key), code == 13 ? 0 : key) << code;
    EXPECT_EQ(keys.tabs, code == 13 ? 1 : 0) << code;
  }
}

TEST(ConvertRetToTab, AKeystrokeThatCannotBeQueuedIsAnError) {
  CountingKeystrokes keys;
  keys.fail = true;
  EXPECT_EQ(ErrorOf([&] { ConvertRetToTab(keys, 13); }), kErrInvalidCall);
  EXPECT_EQ(ErrorOf([&] { ConvertRetToTab(keys, 9); }), 0);
}

}  // namespace
}  // namespace tarn
