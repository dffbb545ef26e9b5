// The members that work on the client's forms, through COM, against both
// forms runtimes: real windows of this thread read through the window system,
// and a host's screen object published in the Running Object Table. Every
// case runs on both.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/wine/client/client_support.h"
#include "tests/wine/forms_host/forms_stage.h"
#include "tests/wine/forms_host/script_object.h"

namespace tarn::client {
namespace {

constexpr HRESULT StandardError(unsigned number) { return static_cast<HRESULT>(0x800A0000u + number); }

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

class FormsMembers : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    stage_ = std::string(GetParam()) == "window" ? MakeWindowStage() : MakeHostStage();
    strings_ = NewStringFunction();
    utility_ = CreateFromDll<_GeneralUtility>(CLSID_GeneralUtility);
    ASSERT_TRUE(strings_ && utility_);
  }
  void TearDown() override {
    stage_.reset();
    PumpMessages();
  }

  std::unique_ptr<FormsStage> stage_;
  ComPtr<_StringFunction> strings_;
  ComPtr<_GeneralUtility> utility_;
};

INSTANTIATE_TEST_SUITE_P(Runtimes, FormsMembers, ::testing::Values("window", "host"),
                         [](const auto& param_info) { return std::string(param_info.param); });

TEST_P(FormsMembers, InsertFirstUCaseCasesTheKeyFromTheEndOfTheText) {
  struct Row {
    const wchar_t* text;
    LONG start;
    LONG length;
    SHORT key;
    SHORT expected;
  };
  const Row rows[] = {
      {L"", 0, 0, 97, 65},       {L"", 0, 0, 32, 32},    {L"", 0, 0, 8, 8},      // empty text
      {L"abc", 3, 0, 68, 100},   {L"abc", 3, 0, 32, 32}, {L"abc", 3, 0, 8, 8},   // ends in a letter
      {L"abc ", 4, 0, 100, 68},  {L"abc ", 4, 0, 32, 0}, {L"abc ", 4, 0, 8, 8},  // ends in a space
      {L"abc", 0, 3, 97, 65},    {L"abc", 0, 3, 8, 8},                           // all selected
      {L"ab cd", 2, 0, 88, 120}, {L"ab cd", 2, 0, 8, 8},                         // typed mid-text
  };
  stage_->ShowForm({{L"txtName", std::nullopt}});
  for (const auto& row : rows) {
    stage_->SetFocusedText(row.text, row.start, row.length);
    SHORT result = -1;
    EXPECT_EQ(strings_->InsertFirstUCase(row.key, &result), S_OK) << Narrow(row.text) << " key " << row.key;
    EXPECT_EQ(result, row.expected) << "text '" << Narrow(row.text) << "' key " << row.key;
  }
  // The same through IDispatch.
  stage_->SetFocusedText(L"abc ", 4, 0);
  Variant result;
  EXPECT_EQ(InvokeByName(strings_.Get(), L"InsertFirstUCase", DISPATCH_METHOD, {LongArg(100)}, result.get(), nullptr),
            S_OK);
  EXPECT_EQ(V_VT(result.get()), VT_I2);
  EXPECT_EQ(V_I2(result.get()), 68);
}

TEST_P(FormsMembers, InsertFirstUCaseWithoutAFocusedControlIsObjectNotSet) {
  stage_->CloseForm();
  SHORT result = -1;
  EXPECT_EQ(strings_->InsertFirstUCase(97, &result), StandardError(91));
  EXPECT_EQ(result, 0);
  EXPECT_EQ(TakeErrorInfo().description, L"Object variable or With block variable not set");
}

TEST_P(FormsMembers, SelectAllTextSelectsTheFocusedControlsWholeText) {
  stage_->ShowForm({{L"txtName", std::nullopt}, {L"txtOther", std::nullopt}});
  stage_->SetFocusedText(L"hello", 2, 1);
  EXPECT_EQ(strings_->SelectAllText(), S_OK);
  EXPECT_EQ(stage_->FocusedSelection(), (std::pair<LONG, LONG>{0, 5}));

  stage_->SetFocusedText(L"", 0, 0);
  EXPECT_EQ(strings_->SelectAllText(), S_OK);
  EXPECT_EQ(stage_->FocusedSelection(), (std::pair<LONG, LONG>{0, 0}));

  if (const HostCallRecord* record = CallRecordOf(*stage_)) {
    // SelStart written twice as an Integer, SelLength once (for "hello") as a Long.
    EXPECT_EQ(record->sel_start_writes, (std::vector<VARTYPE>{VT_I2, VT_I2}));
    EXPECT_EQ(record->sel_length_writes, (std::vector<VARTYPE>{VT_I4}));
  }
}

TEST_P(FormsMembers, SelectAllTextWithoutAnActiveFormReportsNothing) {
  stage_->CloseForm();
  EXPECT_EQ(strings_->SelectAllText(), S_OK);
  EXPECT_FALSE(TakeErrorInfo().present);
  EXPECT_EQ(InvokeByName(strings_.Get(), L"SelectAllText", DISPATCH_METHOD, {}, nullptr, nullptr), S_OK);
}

// Key messages waiting in this thread's queue for `window`, taken out.
std::vector<MSG> TakeKeyMessages(HWND window) {
  std::vector<MSG> messages;
  MSG message;
  while (PeekMessageW(&message, window, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) messages.push_back(message);
  return messages;
}

TEST_P(FormsMembers, ConvertRetToTabQueuesOneTabForEnterOnly) {
  RealForm form(60, 60, 300, 120, 2);
  form.Activate();
  ASSERT_EQ(GetFocus(), form.edit(0));
  for (const SHORT key : {SHORT{9}, SHORT{65}, SHORT{0}, SHORT{10}}) {
    SHORT result = -1;
    EXPECT_EQ(strings_->ConvertRetToTab(key, &result), S_OK);
    EXPECT_EQ(result, key);
    EXPECT_TRUE(TakeKeyMessages(nullptr).empty()) << "key " << key;
  }
  SHORT result = -1;
  EXPECT_EQ(strings_->ConvertRetToTab(13, &result), S_OK);
  EXPECT_EQ(result, 0);
  // Queued, not yet processed, when the call returned: one press, one release.
  const std::vector<MSG> messages = TakeKeyMessages(nullptr);
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0].hwnd, form.edit(0));
  EXPECT_EQ(messages[0].message, static_cast<UINT>(WM_KEYDOWN));
  EXPECT_EQ(messages[0].wParam, static_cast<WPARAM>(VK_TAB));
  EXPECT_EQ(messages[1].message, static_cast<UINT>(WM_KEYUP));
  EXPECT_EQ(messages[1].wParam, static_cast<WPARAM>(VK_TAB));
  // Through a dialog-style message loop the Tab moves the focus on.
  for (MSG message : messages) {
    if (!IsDialogMessageW(form.window(), &message)) DispatchMessageW(&message);
  }
  EXPECT_EQ(GetFocus(), form.edit(1));
}

// txtName, the control array cmdOk (elements 0 and 1), lblNote, and cmdok
// element 2, whose name differs from cmdOk only in case.
std::vector<ControlDescription> SampleControls() {
  return {{L"txtName", std::nullopt}, {L"cmdOk", 0}, {L"cmdOk", 1}, {L"lblNote", std::nullopt}, {L"cmdok", 2}};
}

VARIANT Typed(VARTYPE type, double value) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = type;
  if (type == VT_I2) V_I2(&v) = static_cast<SHORT>(value);
  if (type == VT_I4) V_I4(&v) = static_cast<LONG>(value);
  if (type == VT_R8) V_R8(&v) = value;
  return v;
}

TEST_P(FormsMembers, FindControlIndexFindsTheFirstMatchingPosition) {
  struct Row {
    const char* name;
    const wchar_t* sought;
    VARIANT index;
    SHORT expected;
  };
  const Row rows[] = {
      {"TXTNAME", L"TXTNAME", MissingArg(), 0},
      {"cmdok without Index", L"cmdok", MissingArg(), 1},
      {"cmdOk Integer 1", L"cmdOk", Typed(VT_I2, 1), 2},
      {"cmdOk Long 1", L"cmdOk", Typed(VT_I4, 1), 2},
      {"cmdOk Double 1.0", L"cmdOk", Typed(VT_R8, 1.0), 2},
      {"cmdOk Integer 5", L"cmdOk", Typed(VT_I2, 5), -1},
      {"CMDOK Long 2 (the lower-case twin)", L"CMDOK", Typed(VT_I4, 2), 4},
      {"cmdOk Empty", L"cmdOk", Typed(VT_EMPTY, 0), 1},
      {"cmdOk Null", L"cmdOk", Typed(VT_NULL, 0), -1},
      {"unknown name", L"cmdCancel", MissingArg(), -1},
  };
  stage_->ShowForm(SampleControls());
  for (const auto& row : rows) {
    const Bstr sought(std::u16string_view(reinterpret_cast<const char16_t*>(row.sought), wcslen(row.sought)));
    SHORT result = -9;
    EXPECT_EQ(utility_->FindControlIndex(sought.get(), row.index, &result), S_OK) << row.name;
    EXPECT_EQ(result, row.expected) << row.name;
    // Through IDispatch, where a missing Index is left out.
    Variant answer;
    VARIANT name = BstrArg(row.sought);
    const bool missing = V_VT(&row.index) == VT_ERROR;
    const HRESULT hr =
        missing ? InvokeByName(utility_.Get(), L"FindControlIndex", DISPATCH_METHOD, {name}, answer.get(), nullptr)
                : InvokeByName(utility_.Get(), L"FindControlIndex", DISPATCH_METHOD, {name, row.index}, answer.get(),
                               nullptr);
    VariantClear(&name);
    EXPECT_EQ(hr, S_OK) << row.name;
    EXPECT_EQ(V_VT(answer.get()), VT_I2) << row.name;
    EXPECT_EQ(V_I2(answer.get()), row.expected) << row.name;
  }
  if (const HostCallRecord* record = CallRecordOf(*stage_)) {
    ASSERT_FALSE(record->item_arguments.empty());
    for (const VARTYPE type : record->item_arguments) EXPECT_EQ(type, VT_I2 | VT_BYREF);
  }
}

TEST_P(FormsMembers, FindControlIndexOnAFormWithoutControlsAnswersMinusOne) {
  stage_->ShowForm({});
  const Bstr name(u"txtName");
  SHORT result = 0;
  EXPECT_EQ(utility_->FindControlIndex(name.get(), MissingArg(), &result), S_OK);
  EXPECT_EQ(result, -1);
}

TEST_P(FormsMembers, FindControlIndexPassesTheRuntimesErrorsOn) {
  const Bstr name(u"txtName");
  SHORT result = 0;
  stage_->CloseForm();
  EXPECT_EQ(utility_->FindControlIndex(name.get(), MissingArg(), &result), StandardError(91));
  EXPECT_EQ(result, 0);
  EXPECT_EQ(TakeErrorInfo().description, L"Object variable or With block variable not set");
  // Index of a control outside any control array; a control without a name.
  stage_->ShowForm({{L"txtName", std::nullopt}, {L"", std::nullopt}});
  EXPECT_EQ(utility_->FindControlIndex(name.get(), Typed(VT_I2, 0), &result), StandardError(438));
  const Bstr other(u"other");
  EXPECT_EQ(utility_->FindControlIndex(other.get(), MissingArg(), &result), StandardError(438));
  EXPECT_EQ(TakeErrorInfo().description, L"Object doesn't support this property or method");
}

RECT ClipNow() {
  RECT clip{};
  GetClipCursor(&clip);
  return clip;
}

void ExpectRect(const RECT& r, LONG left, LONG top, LONG right, LONG bottom) {
  EXPECT_EQ(r.left, left);
  EXPECT_EQ(r.top, top);
  EXPECT_EQ(r.right, right);
  EXPECT_EQ(r.bottom, bottom);
}

TEST_P(FormsMembers, LimitCursorClipsToTheClientAreaAndReleaseCursorLiftsIt) {
  ASSERT_TRUE(ClipCursor(nullptr));
  const RECT whole = ClipNow();
  // A borderless window: its client area is the window, at (100, 200), 300 by 150.
  RealForm form(100, 200, 300, 150, 0, WS_POPUP);
  form.Activate();
  // Wine's 32-bit programs (WoW64) accept a clip and keep none: nothing to
  // observe there.
  RECT probe{1, 1, 2, 2};
  ClipCursor(&probe);
  const RECT kept = ClipNow();
  ClipCursor(nullptr);
  const bool clips_kept = kept.right == 2 && kept.bottom == 2;
  const ComPtr<IDispatch> object = stage_->ObjectForWindow(form.window());
  Variant result;
  EXPECT_EQ(utility_->LimitCursor(object.Get(), result.get()), S_OK);
  EXPECT_EQ(V_VT(result.get()), VT_EMPTY);
  if (!clips_kept) {
    ClipCursor(nullptr);
    GTEST_SKIP() << "this window system keeps no cursor clip";
  }
  ExpectRect(ClipNow(), 100, 200, 400, 350);

  Variant released;
  EXPECT_EQ(utility_->ReleaseCursor(released.get()), S_OK);
  EXPECT_EQ(V_VT(released.get()), VT_EMPTY);
  ExpectRect(ClipNow(), whole.left, whole.top, whole.right, whole.bottom);
  // Again without a preceding LimitCursor.
  EXPECT_EQ(utility_->ReleaseCursor(released.get()), S_OK);
}

TEST_P(FormsMembers, LimitCursorLeavesTheCursorAloneWhenHWndCannotBeRead) {
  ASSERT_TRUE(ClipCursor(nullptr));
  const RECT whole = ClipNow();
  const ComPtr<ScriptObject> without = ScriptObject::Create();
  Variant result;
  EXPECT_EQ(utility_->LimitCursor(without.Get(), result.get()), StandardError(438));
  EXPECT_EQ(utility_->LimitCursor(nullptr, result.get()), StandardError(91));
  ExpectRect(ClipNow(), whole.left, whole.top, whole.right, whole.bottom);
}

// Only a host's objects can raise errors of their own: they reach the client
// with the host's number, description and source.
TEST(HostFormsRuntime, ErrorsOfTheHostsObjectsPassUnchanged) {
  auto control = ScriptObject::Create();
  control->Define(L"Text", []() -> Variant {
    throw ScriptError{static_cast<HRESULT>(0x800A0157u), L"Object not an array"};
  });
  auto screen = ScriptObject::Create();
  screen->Define(L"ActiveControl", [control] { return ObjectValue(control.Get()); });
  PublishedScreen publication(screen.Get());
  ASSERT_TRUE(publication.published());
  const auto strings = NewStringFunction();
  SHORT result = -1;
  EXPECT_EQ(strings->InsertFirstUCase(97, &result), StandardError(343));
  const auto info = TakeErrorInfo();
  EXPECT_EQ(info.description, L"Object not an array");
  EXPECT_EQ(info.source, L"FormsHost");
  // SelectAllText traps the same error.
  EXPECT_EQ(strings->SelectAllText(), S_OK);
}

// A host that stops publishing its screen hands the library back to the
// window system at the next call.
TEST(HostFormsRuntime, IsLookedUpAfreshOnEveryCall) {
  auto screen = ScriptObject::Create();
  screen->Define(L"ActiveControl", [] { return ObjectValue(nullptr); });
  const auto strings = NewStringFunction();
  RealForm form(60, 60, 300, 120, 1);
  form.Activate();
  SetWindowTextW(form.edit(0), L"abc ");
  SHORT result = -1;
  {
    PublishedScreen publication(screen.Get());
    EXPECT_EQ(strings->InsertFirstUCase(100, &result), StandardError(91));
  }
  EXPECT_EQ(strings->InsertFirstUCase(100, &result), S_OK);
  EXPECT_EQ(result, 68);
}

}  // namespace
}  // namespace tarn::client
