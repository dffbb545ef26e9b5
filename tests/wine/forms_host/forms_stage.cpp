#include "tests/wine/forms_host/forms_stage.h"

#include <gtest/gtest.h>

#include "frame/com/variant.h"
#include "tests/wine/forms_host/script_object.h"

namespace tarn::client {
namespace {

using com::Variant;
using Microsoft::WRL::ComPtr;

const wchar_t kFormClass[] = L"TarnFormsHostForm";

ATOM FormClass() {
  static const ATOM atom = [] {
    WNDCLASSW cls{};
    cls.lpfnWndProc = DefWindowProcW;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.hCursor = LoadCursor(nullptr, IDC_ARROW);
    cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    cls.lpszClassName = kFormClass;
    return RegisterClassW(&cls);
  }();
  return atom;
}

HWND CreateEdit(HWND parent, int i) {
  return CreateWindowExW(WS_EX_CLIENTEDGE, L"Edit", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 10,
                         10 + 30 * i, 200, 24, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(100 + i)),
                         GetModuleHandleW(nullptr), nullptr);
}

LONG Number(const VARIANT& value) {
  Variant converted;
  if (FAILED(VariantChangeType(converted.get(), const_cast<VARIANT*>(&value), 0, VT_I4))) {
    throw ScriptError{static_cast<HRESULT>(0x800A000Du), L"Type mismatch"};
  }
  return V_I4(converted.get());
}

// ----------------------------------------------------------------------------
// Real windows read through the window system.

class WindowStage final : public FormsStage {
 public:
  ~WindowStage() override { CloseForm(); }

  void ShowForm(const std::vector<ControlDescription>& controls) override {
    CloseForm();
    form_ = std::make_unique<RealForm>(50, 50, 400, 60 + 30 * static_cast<int>(controls.size()), 0);
    for (size_t i = 0; i < controls.size(); ++i) {
      const HWND edit = CreateEdit(form_->window(), static_cast<int>(i));
      edits_.push_back(edit);
      if (controls[i].name.empty()) continue;
      std::wstring label = controls[i].name;
      if (controls[i].index) label += L"(" + std::to_wstring(*controls[i].index) + L")";
      const ATOM atom = AddAtomW(label.c_str());
      atoms_.push_back(atom);
      SetPropW(edit, L"TarnLib.Name", reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(atom)));
    }
    form_->Activate();
    if (!edits_.empty()) SetFocus(edits_[0]);
    PumpMessages();
    ASSERT_EQ(GetActiveWindow(), form_->window());
    if (!edits_.empty()) {
      ASSERT_EQ(GetFocus(), edits_[0]);
    }
  }

  void CloseForm() override {
    for (const HWND edit : edits_) RemovePropW(edit, L"TarnLib.Name");
    for (const ATOM atom : atoms_) DeleteAtom(atom);
    edits_.clear();
    atoms_.clear();
    form_.reset();
    PumpMessages();
  }

  void SetFocusedText(const std::wstring& text, LONG start, LONG length) override {
    const HWND focused = GetFocus();
    ASSERT_NE(focused, nullptr);
    SetWindowTextW(focused, text.c_str());
    SendMessageW(focused, EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(start + length));
  }

  std::pair<LONG, LONG> FocusedSelection() override {
    DWORD start = 0, end = 0;
    SendMessageW(GetFocus(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {static_cast<LONG>(start), static_cast<LONG>(end - start)};
  }

  ComPtr<IDispatch> ObjectForWindow(HWND window) override {
    auto object = ScriptObject::Create();
    object->Define(L"hWnd", [window] { return LongValue(static_cast<LONG>(reinterpret_cast<INT_PTR>(window))); });
    return object;
  }

 private:
  std::unique_ptr<RealForm> form_;
  std::vector<HWND> edits_;
  std::vector<ATOM> atoms_;
};

// ----------------------------------------------------------------------------
// A host's forms runtime made of Automation objects.

struct FakeEdit {
  std::wstring text;
  LONG start = 0;
  LONG length = 0;
};

class HostStage final : public FormsStage {
 public:
  HostStage() {
    screen_ = ScriptObject::Create();
    screen_->Define(L"ActiveForm", [this] { return ObjectValue(form_.Get()); });
    screen_->Define(L"ActiveControl", [this] { return ObjectValue(focused_.Get()); });
    publication_ = std::make_unique<PublishedScreen>(screen_.Get());
    EXPECT_TRUE(publication_->published()) << "the screen object could not be published";
  }

  const HostCallRecord& record() const { return record_; }

  void ShowForm(const std::vector<ControlDescription>& descriptions) override {
    controls_.clear();
    edits_.clear();
    for (const auto& description : descriptions) {
      auto edit = std::make_shared<FakeEdit>();
      edits_.push_back(edit);
      controls_.push_back(MakeControl(description, edit));
    }
    auto collection = ScriptObject::Create();
    collection->Define(L"Count", [this] { return LongValue(static_cast<LONG>(controls_.size())); });
    collection->DefineItem([this](const VARIANT& argument) {
      record_.item_arguments.push_back(V_VT(&argument));
      const LONG position = Number(argument);
      if (position < 0 || position >= static_cast<LONG>(controls_.size())) {
        throw ScriptError{static_cast<HRESULT>(0x800A0009u), L"Subscript out of range"};
      }
      return ObjectValue(controls_[static_cast<size_t>(position)].Get());
    });
    controls_collection_ = collection;
    auto form = ScriptObject::Create();
    form->Define(L"ActiveControl", [this] { return ObjectValue(focused_.Get()); });
    form->Define(L"Controls", [this] { return ObjectValue(controls_collection_.Get()); });
    form->Define(L"hWnd", [] { return LongValue(0); });
    form_ = form;
    focused_ = controls_.empty() ? nullptr : controls_[0];
    focused_edit_ = edits_.empty() ? nullptr : edits_[0];
  }

  void CloseForm() override {
    form_.Reset();
    focused_.Reset();
    focused_edit_.reset();
  }

  void SetFocusedText(const std::wstring& text, LONG start, LONG length) override {
    ASSERT_NE(focused_edit_, nullptr);
    *focused_edit_ = FakeEdit{text, start, length};
  }

  std::pair<LONG, LONG> FocusedSelection() override { return {focused_edit_->start, focused_edit_->length}; }

  ComPtr<IDispatch> ObjectForWindow(HWND window) override {
    auto object = ScriptObject::Create();
    object->Define(L"hWnd", [window] { return LongValue(static_cast<LONG>(reinterpret_cast<INT_PTR>(window))); });
    object->Define(L"Controls", [this] { return ObjectValue(controls_collection_.Get()); });
    return object;
  }

 private:
  // A text box as a forms runtime has it: setting SelStart collapses the
  // selection, SelLength extends it from SelStart, both within the text.
  ComPtr<ScriptObject> MakeControl(const ControlDescription& description, std::shared_ptr<FakeEdit> edit) {
    auto control = ScriptObject::Create();
    control->Define(L"Text", [edit] { return StringValue(edit->text); });
    control->Define(L"SelText", [edit] { return StringValue(edit->text.substr(edit->start, edit->length)); });
    const auto size = [edit] { return static_cast<LONG>(edit->text.size()); };
    control->Define(
        L"SelStart", [edit] { return LongValue(edit->start); },
        [this, edit, size](const VARIANT& value) {
          record_.sel_start_writes.push_back(V_VT(&value));
          edit->start = std::min(Number(value), size());
          edit->length = 0;
        });
    control->Define(
        L"SelLength", [edit] { return LongValue(edit->length); },
        [this, edit, size](const VARIANT& value) {
          record_.sel_length_writes.push_back(V_VT(&value));
          edit->length = std::min(Number(value), size() - edit->start);
        });
    control->Define(L"hWnd", [] { return LongValue(0); });
    if (!description.name.empty()) {
      const std::wstring name = description.name;
      control->Define(L"Name", [name] { return StringValue(name); });
      if (description.index) {
        const SHORT index = *description.index;
        control->Define(L"Index", [index] { return IntegerValue(index); });
      }
    }
    return control;
  }

  ComPtr<ScriptObject> screen_;
  ComPtr<ScriptObject> form_;
  ComPtr<ScriptObject> focused_;
  ComPtr<ScriptObject> controls_collection_;
  std::vector<ComPtr<ScriptObject>> controls_;
  std::vector<std::shared_ptr<FakeEdit>> edits_;
  std::shared_ptr<FakeEdit> focused_edit_;
  HostCallRecord record_;
  std::unique_ptr<PublishedScreen> publication_;
};

}  // namespace

std::unique_ptr<FormsStage> MakeWindowStage() { return std::make_unique<WindowStage>(); }
std::unique_ptr<FormsStage> MakeHostStage() { return std::make_unique<HostStage>(); }

const HostCallRecord* CallRecordOf(const FormsStage& stage) {
  const auto* host = dynamic_cast<const HostStage*>(&stage);
  return host ? &host->record() : nullptr;
}

PublishedScreen::PublishedScreen(IDispatch* screen) {
  if (FAILED(CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER,
                              IID_PPV_ARGS(table_.GetAddressOf())))) {
    return;
  }
  if (FAILED(table_->RegisterInterfaceInGlobal(screen, IID_IDispatch, &cookie_))) return;
  published_ = SetEnvironmentVariableW(L"TARNLIB_SCREEN", std::to_wstring(cookie_).c_str()) != FALSE;
}

PublishedScreen::~PublishedScreen() {
  SetEnvironmentVariableW(L"TARNLIB_SCREEN", nullptr);
  if (cookie_) table_->RevokeInterfaceFromGlobal(cookie_);
}

RealForm::RealForm(int x, int y, int width, int height, int edits, DWORD style) {
  FormClass();
  window_ = CreateWindowExW(0, kFormClass, L"TarnLib forms host", style, x, y, width, height, nullptr, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
  for (int i = 0; i < edits; ++i) edits_.push_back(CreateEdit(window_, i));
}

RealForm::~RealForm() {
  if (window_) DestroyWindow(window_);
}

void RealForm::Activate() {
  ShowWindow(window_, SW_SHOW);
  SetForegroundWindow(window_);
  SetActiveWindow(window_);
  if (!edits_.empty()) SetFocus(edits_[0]);
  PumpMessages();
}

void PumpMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

}  // namespace tarn::client
