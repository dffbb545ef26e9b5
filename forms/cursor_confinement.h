// LimitCursor and ReleaseCursor: confine the mouse cursor to the client area
// of a window-backed object, and lift the confinement. The confinement is
// state of the window system; nothing is recorded here.
#pragma once

#include <cstdint>

#include "forms/runtime/forms_runtime.h"

namespace tarn {

struct CursorRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
};

struct CursorPoint {
  int32_t x = 0;
  int32_t y = 0;
};

// The four window-system functions, with window handles as Longs. Their
// results are not examined: a handle that names no window leaves the
// rectangle and the point as they were.
class CursorWindowSystem {
 public:
  virtual ~CursorWindowSystem() = default;
  virtual void GetClientRect(int32_t window, CursorRect& rect) = 0;
  virtual void ClientToScreen(int32_t window, CursorPoint& point) = 0;
  virtual void OffsetRect(CursorRect& rect, int32_t dx, int32_t dy) = 0;
  // Null lifts any confinement.
  virtual void ClipCursor(const CursorRect* rect) = 0;
};

// Clips the cursor to the client area of `object` (its hWnd, read by name) in
// screen coordinates. A failing read of hWnd raises before the cursor is
// touched; a null object raises error 91.
void LimitCursor(CursorWindowSystem& system, FormsObject* object);

void ReleaseCursor(CursorWindowSystem& system);

}  // namespace tarn
