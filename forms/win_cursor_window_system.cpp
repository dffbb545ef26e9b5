#include "forms/win_cursor_window_system.h"

#include <windows.h>

#include "frame/win32/system_entry_points.h"

namespace tarn::com {
namespace {

using GetClientRectFunction = BOOL(WINAPI*)(HWND, LPRECT);
using ClientToScreenFunction = BOOL(WINAPI*)(HWND, LPPOINT);
using OffsetRectFunction = BOOL(WINAPI*)(LPRECT, int, int);
using ClipCursorFunction = BOOL(WINAPI*)(const RECT*);

// Window handles travel as Longs; the system's handles are sign-extended.
HWND WindowOf(int32_t handle) { return reinterpret_cast<HWND>(static_cast<intptr_t>(handle)); }

RECT ToRect(const CursorRect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }
void FromRect(const RECT& r, CursorRect& out) { out = {r.left, r.top, r.right, r.bottom}; }

class EntryPointCursorSystem final : public CursorWindowSystem {
 public:
  void GetClientRect(int32_t window, CursorRect& rect) override {
    RECT r = ToRect(rect);
    SystemEntryPoints().Get<GetClientRectFunction>(EntryPoint::kGetClientRect)(WindowOf(window), &r);
    FromRect(r, rect);
  }
  void ClientToScreen(int32_t window, CursorPoint& point) override {
    POINT p{point.x, point.y};
    SystemEntryPoints().Get<ClientToScreenFunction>(EntryPoint::kClientToScreen)(WindowOf(window), &p);
    point = {p.x, p.y};
  }
  void OffsetRect(CursorRect& rect, int32_t dx, int32_t dy) override {
    RECT r = ToRect(rect);
    SystemEntryPoints().Get<OffsetRectFunction>(EntryPoint::kOffsetRect)(&r, dx, dy);
    FromRect(r, rect);
  }
  void ClipCursor(const CursorRect* rect) override {
    const auto clip = SystemEntryPoints().Get<ClipCursorFunction>(EntryPoint::kClipCursor);
    if (!rect) {
      clip(nullptr);
      return;
    }
    const RECT r = ToRect(*rect);
    clip(&r);
  }
};

}  // namespace

CursorWindowSystem& WindowCursorSystem() {
  static EntryPointCursorSystem system;
  return system;
}

}  // namespace tarn::com
