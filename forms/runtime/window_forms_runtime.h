// The built-in forms runtime, for Win32 clients without one of their own,
// taken from the window system in the calling thread at every access:
// - Screen.ActiveControl is the focused window when it is a child window;
//   Screen.ActiveForm is the thread's active top-level window. Either is
//   Nothing when there is none.
// - A form's ActiveControl is the focused window when it lies inside the
//   form; its Controls are all its descendant windows in the order the window
//   system enumerates them (z-order, depth first: for windows created one
//   after another, their creation order).
// - Every window answers hWnd (a Long) and Text (its window text); edit
//   controls ("Edit", "RichEdit...") also SelText, SelStart and SelLength,
//   through their window messages.
// - Name and Index come from the window property "TarnLib.Name", which holds
//   an atom of this process's atom table (AddAtom) naming the control:
//   "txtName", or "cmdOk(1)" for element 1 of the control array cmdOk. Without
//   the property, Name raises error 438; without an index in parentheses,
//   Index does.
#pragma once

#include <memory>

#include "forms/runtime/forms_runtime.h"

namespace tarn::com {

std::unique_ptr<FormsRuntime> WindowFormsRuntime();

// Name of the window property that carries a control's name atom.
inline constexpr wchar_t kControlNameProperty[] = L"TarnLib.Name";

}  // namespace tarn::com
