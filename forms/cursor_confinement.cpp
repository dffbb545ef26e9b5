#include "forms/cursor_confinement.h"

namespace tarn {

void LimitCursor(CursorWindowSystem& system, FormsObject* object) {
  if (!object) RaiseStandardError(kErrObjectNotSet);
  CursorRect rect;
  CursorPoint origin;
  system.GetClientRect(object->ReadLong(u"hWnd"), rect);
  origin.x = rect.left;
  origin.y = rect.top;
  system.ClientToScreen(object->ReadLong(u"hWnd"), origin);
  system.OffsetRect(rect, origin.x, origin.y);
  system.ClipCursor(&rect);
}

void ReleaseCursor(CursorWindowSystem& system) { system.ClipCursor(nullptr); }

}  // namespace tarn
