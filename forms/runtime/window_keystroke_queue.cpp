#include "forms/runtime/window_keystroke_queue.h"

#include <windows.h>

namespace tarn::com {
namespace {

class PostedKeystrokes final : public KeystrokeQueue {
 public:
  void QueueTab() override {
    HWND target = GetFocus();
    if (!target) target = GetActiveWindow();
    if (!target) RaiseStandardError(kErrInvalidCall);
    // Repeat count 1 and the key's scan code; the release also carries the
    // previous-state and transition bits.
    const auto scan = static_cast<LPARAM>(MapVirtualKeyW(VK_TAB, MAPVK_VK_TO_VSC)) << 16;
    const LPARAM press = 1 | scan;
    const LPARAM release = static_cast<LPARAM>(1 | scan | (LPARAM{1} << 30) | (LPARAM{1} << 31));
    if (!PostMessageW(target, WM_KEYDOWN, VK_TAB, press)) RaiseStandardError(kErrInvalidCall);
    if (!PostMessageW(target, WM_KEYUP, VK_TAB, release)) RaiseStandardError(kErrInvalidCall);
  }
};

}  // namespace

KeystrokeQueue& WindowKeystrokes() {
  static PostedKeystrokes keystrokes;
  return keystrokes;
}

}  // namespace tarn::com
