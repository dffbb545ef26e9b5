// A shortcut through IDispatch::Invoke for members that take only Strings by
// value. The type information's own Invoke converts every argument into a new
// copy, even a String into a String, and copies the result once more; on texts
// of megabytes that costs several times the member itself. When every argument
// of such a member already is a String (by value, by reference, or in a Variant
// passed by reference, the way scripts pass their variables), the member is
// called with the caller's strings and its result handed over without a copy.
// Which members qualify, their dispatch ids and v-table slots all come from the
// type information; any call that does not fit goes the standard way.
#pragma once

#include <windows.h>

namespace tarn::com {

// Calls the member `id` of `self` (whose dual interface is `iid`) directly when
// it qualifies, and returns true with the call's outcome in `outcome`: S_OK, or
// DISP_E_EXCEPTION with `exception` filled from the error information. Returns
// false, having done nothing, when the call must go through the type
// information.
bool TryDirectInvoke(void* self, REFIID iid, DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result,
                     EXCEPINFO* exception, HRESULT* outcome) noexcept;

}  // namespace tarn::com
