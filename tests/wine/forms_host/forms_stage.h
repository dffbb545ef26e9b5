// The forms a test puts in front of TarnLib, in one of two ways: real windows
// of this thread that the library reads through the window system (its
// built-in runtime), or Automation objects that stand for a host's forms
// runtime, published as the host's screen object. The same cases run on both.
#pragma once

#include <windows.h>
#include <wrl/client.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tarn::client {

// A control of the active form: its name (none when empty) and, for an
// element of a control array, its index.
struct ControlDescription {
  std::wstring name;
  std::optional<SHORT> index;
};

class FormsStage {
 public:
  virtual ~FormsStage() = default;
  // An active form holding edit controls as given, the first one focused.
  virtual void ShowForm(const std::vector<ControlDescription>& controls) = 0;
  // No form is active and no control has the focus.
  virtual void CloseForm() = 0;
  // Text and selection of the focused control.
  virtual void SetFocusedText(const std::wstring& text, LONG start, LONG length) = 0;
  virtual std::pair<LONG, LONG> FocusedSelection() = 0;
  // The object a client passes to LimitCursor for `window`.
  virtual Microsoft::WRL::ComPtr<IDispatch> ObjectForWindow(HWND window) = 0;
};

std::unique_ptr<FormsStage> MakeWindowStage();
std::unique_ptr<FormsStage> MakeHostStage();

// What the host stage saw of the library's calls: the types written to
// SelStart and SelLength, and the type of the argument of Controls(i).
struct HostCallRecord {
  std::vector<VARTYPE> sel_start_writes;
  std::vector<VARTYPE> sel_length_writes;
  std::vector<VARTYPE> item_arguments;
};
const HostCallRecord* CallRecordOf(const FormsStage& stage);  // null for the window stage

// A host's screen object published as the README shows (registered in the
// Global Interface Table, the cookie in TARNLIB_SCREEN), for the lifetime of
// this object.
class PublishedScreen {
 public:
  explicit PublishedScreen(IDispatch* screen);
  PublishedScreen(const PublishedScreen&) = delete;
  PublishedScreen& operator=(const PublishedScreen&) = delete;
  ~PublishedScreen();
  bool published() const { return published_; }

 private:
  Microsoft::WRL::ComPtr<IGlobalInterfaceTable> table_;
  DWORD cookie_ = 0;
  bool published_ = false;
};

// A real top-level window with edit controls created in this thread, for
// tests of the window system itself. Destroyed with the object.
class RealForm {
 public:
  RealForm(int x, int y, int width, int height, int edits, DWORD style = WS_OVERLAPPEDWINDOW);
  RealForm(const RealForm&) = delete;
  RealForm& operator=(const RealForm&) = delete;
  ~RealForm();
  HWND window() const { return window_; }
  HWND edit(size_t i) const { return edits_.at(i); }
  // Makes the form active and focuses its first edit control.
  void Activate();

 private:
  HWND window_ = nullptr;
  std::vector<HWND> edits_;
};

// Sends everything queued for this thread through the window procedures.
void PumpMessages();

}  // namespace tarn::client
