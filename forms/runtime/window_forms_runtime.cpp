#include "forms/runtime/window_forms_runtime.h"

#include <windows.h>

#include <cmath>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "frame/checked_math.h"

namespace tarn::com {
namespace {

[[noreturn]] void NoSuchMember() { RaiseStandardError(kErrNoSuchMember); }

bool NameIs(std::u16string_view name, std::u16string_view expected) {
  return CompareStringOrdinal(reinterpret_cast<LPCWCH>(name.data()), static_cast<int>(name.size()),
                              reinterpret_cast<LPCWCH>(expected.data()), static_cast<int>(expected.size()),
                              TRUE) == CSTR_EQUAL;
}

int32_t HandleAsLong(HWND window) { return static_cast<int32_t>(reinterpret_cast<intptr_t>(window)); }

bool IsInside(HWND window, HWND ancestor) { return window && window != ancestor && IsChild(ancestor, window); }

struct WindowList {
  std::vector<HWND> windows;
  bool out_of_memory = false;
};

// No exception may cross the window system's frames: a failure stops the
// enumeration and is raised afterwards.
BOOL CALLBACK CollectWindow(HWND child, LPARAM list) noexcept {
  auto* collected = reinterpret_cast<WindowList*>(list);
  try {
    collected->windows.push_back(child);
    return TRUE;
  } catch (const std::bad_alloc&) {
    collected->out_of_memory = true;
    return FALSE;
  }
}

std::vector<HWND> DescendantsOf(HWND form) {
  WindowList collected;
  EnumChildWindows(form, CollectWindow, reinterpret_cast<LPARAM>(&collected));
  if (collected.out_of_memory) throw std::bad_alloc();
  return std::move(collected.windows);
}

// A control's name and, for an element of a control array, its index.
struct ControlName {
  std::u16string name;
  std::optional<int16_t> index;
};

std::optional<ControlName> NameOfWindow(HWND window) {
  const auto atom = static_cast<ATOM>(reinterpret_cast<uintptr_t>(GetPropW(window, kControlNameProperty)));
  if (atom == 0) return std::nullopt;
  wchar_t buffer[256];
  const UINT length = GetAtomNameW(atom, buffer, 256);
  if (length == 0) return std::nullopt;
  ControlName result{std::u16string(reinterpret_cast<const char16_t*>(buffer), length), std::nullopt};
  // "name(index)": the index is an Integer in parentheses at the end.
  const size_t open = result.name.rfind(u'(');
  if (open == std::u16string::npos || open == 0 || result.name.back() != u')') return result;
  const std::u16string digits = result.name.substr(open + 1, result.name.size() - open - 2);
  if (digits.empty() || digits.size() > 6) return result;
  int32_t value = 0;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i == 0 && digits[i] == u'-' && digits.size() > 1) continue;
    if (digits[i] < u'0' || digits[i] > u'9') return result;
    value = value * 10 + (digits[i] - u'0');
  }
  if (digits[0] == u'-') value = -value;
  if (value < INT16_MIN || value > INT16_MAX) return result;
  result.index = static_cast<int16_t>(value);
  result.name.resize(open);
  return result;
}

std::u16string WindowText(HWND window) {
  const auto length = static_cast<size_t>(SendMessageW(window, WM_GETTEXTLENGTH, 0, 0));
  std::u16string text(length + 1, u'\0');
  const auto copied = static_cast<size_t>(
      SendMessageW(window, WM_GETTEXT, static_cast<WPARAM>(text.size()), reinterpret_cast<LPARAM>(text.data())));
  text.resize(copied < length ? copied : length);
  return text;
}

bool IsEditControl(HWND window) {
  wchar_t name[64];
  const int length = GetClassNameW(window, name, 64);
  if (length <= 0) return false;
  const std::u16string_view cls(reinterpret_cast<const char16_t*>(name), static_cast<size_t>(length));
  return NameIs(cls, u"Edit") || (cls.size() >= 8 && NameIs(cls.substr(0, 8), u"RichEdit"));
}

// A selection position or length as a Long: numbers rounded as the runtime
// does, negative values an invalid property value.
int32_t SelectionValue(const FormValue& value) {
  if (!value.IsNumeric() && value.kind() != FormValue::Kind::kEmpty) RaiseStandardError(kErrTypeMismatch);
  const double rounded = std::nearbyint(value.number());
  if (!(rounded >= INT32_MIN && rounded <= INT32_MAX)) RaiseStandardError(kErrOverflow);
  const auto number = static_cast<int32_t>(rounded);
  if (number < 0) RaiseStandardError(kErrInvalidPropertyValue);
  return number;
}

std::unique_ptr<FormsObject> ObjectFor(HWND window, bool is_form);

// Objects that have no value properties of their own.
class ObjectOnly : public FormsObject {
 public:
  std::u16string ReadString(std::u16string_view) override { NoSuchMember(); }
  int32_t ReadLong(std::u16string_view name) override {
    const FormValue value = ReadValue(name);
    return static_cast<int32_t>(value.number());
  }
  FormValue ReadValue(std::u16string_view) override { NoSuchMember(); }
  std::unique_ptr<FormsObject> ReadObject(std::u16string_view) override { NoSuchMember(); }
  void Write(std::u16string_view, const FormValue&) override { NoSuchMember(); }
  std::unique_ptr<FormsObject> Item(int16_t) override { NoSuchMember(); }
};

class WindowControls final : public ObjectOnly {
 public:
  explicit WindowControls(HWND form) : form_(form) {}
  FormValue ReadValue(std::u16string_view name) override {
    if (!NameIs(name, u"Count")) NoSuchMember();
    return FormValue::Long(ToLong(static_cast<int64_t>(DescendantsOf(form_).size())));
  }
  std::unique_ptr<FormsObject> Item(int16_t position) override {
    const std::vector<HWND> controls = DescendantsOf(form_);
    CheckBounds(position, 0, static_cast<int64_t>(controls.size()) - 1);
    return ObjectFor(controls[static_cast<size_t>(position)], false);
  }

 private:
  HWND form_;
};

class WindowObject final : public FormsObject {
 public:
  WindowObject(HWND window, bool is_form) : window_(window), is_form_(is_form) {}

  std::u16string ReadString(std::u16string_view name) override {
    const FormValue value = ReadValue(name);
    if (value.kind() == FormValue::Kind::kString) return value.text();
    const std::string digits = std::to_string(static_cast<int32_t>(value.number()));
    return std::u16string(digits.begin(), digits.end());
  }
  int32_t ReadLong(std::u16string_view name) override {
    const FormValue value = ReadValue(name);
    if (!value.IsNumeric()) RaiseStandardError(kErrTypeMismatch);
    return static_cast<int32_t>(value.number());
  }
  FormValue ReadValue(std::u16string_view name) override {
    if (NameIs(name, u"hWnd")) return FormValue::Long(HandleAsLong(window_));
    if (NameIs(name, u"Text")) return FormValue::String(WindowText(window_));
    if (NameIs(name, u"SelText") && IsEditControl(window_)) return FormValue::String(SelectedText());
    if (NameIs(name, u"Name")) {
      if (const auto named = NameOfWindow(window_)) return FormValue::String(named->name);
    }
    if (NameIs(name, u"Index")) {
      if (const auto named = NameOfWindow(window_); named && named->index) return FormValue::Integer(*named->index);
    }
    NoSuchMember();
  }
  std::unique_ptr<FormsObject> ReadObject(std::u16string_view name) override {
    if (is_form_ && NameIs(name, u"ActiveControl")) {
      const HWND focused = GetFocus();
      return IsInside(focused, window_) ? ObjectFor(focused, false) : nullptr;
    }
    if (is_form_ && NameIs(name, u"Controls")) return std::make_unique<WindowControls>(window_);
    NoSuchMember();
  }
  void Write(std::u16string_view name, const FormValue& value) override {
    if (!IsEditControl(window_)) NoSuchMember();
    if (NameIs(name, u"SelStart")) {
      const int32_t start = SelectionValue(value);
      SendMessageW(window_, EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(start));
      return;
    }
    if (NameIs(name, u"SelLength")) {
      const int32_t length = SelectionValue(value);
      DWORD start = 0;
      SendMessageW(window_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
      const int64_t end = static_cast<int64_t>(start) + length;
      SendMessageW(window_, EM_SETSEL, static_cast<WPARAM>(start),
                   static_cast<LPARAM>(end > INT32_MAX ? INT32_MAX : end));
      return;
    }
    NoSuchMember();
  }
  std::unique_ptr<FormsObject> Item(int16_t) override { NoSuchMember(); }

 private:
  std::u16string SelectedText() const {
    DWORD start = 0, end = 0;
    SendMessageW(window_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    const std::u16string text = WindowText(window_);
    if (start >= end || start >= text.size()) return {};
    return text.substr(start, end - start);
  }

  HWND window_;
  bool is_form_;
};

std::unique_ptr<FormsObject> ObjectFor(HWND window, bool is_form) {
  return std::make_unique<WindowObject>(window, is_form);
}

class WindowScreen final : public ObjectOnly {
 public:
  std::unique_ptr<FormsObject> ReadObject(std::u16string_view name) override {
    if (NameIs(name, u"ActiveControl")) {
      const HWND focused = GetFocus();
      if (!focused || GetAncestor(focused, GA_ROOT) == focused) return nullptr;
      return ObjectFor(focused, false);
    }
    if (NameIs(name, u"ActiveForm")) {
      const HWND active = GetActiveWindow();
      return active ? ObjectFor(active, true) : nullptr;
    }
    NoSuchMember();
  }
};

class BuiltInFormsRuntime final : public FormsRuntime {
 public:
  std::unique_ptr<FormsObject> Screen() override { return std::make_unique<WindowScreen>(); }
};

}  // namespace

std::unique_ptr<FormsRuntime> WindowFormsRuntime() { return std::make_unique<BuiltInFormsRuntime>(); }

}  // namespace tarn::com
