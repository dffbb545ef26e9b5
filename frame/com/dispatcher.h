// IDispatch::Invoke for the library's dual interfaces, driven by the table
// read from the type information: it finds the member for the dispatch id and
// the kind of call, takes the positional and named arguments into what the
// member's v-table slot expects (the platform's VariantChangeType for every
// conversion, defaults for omitted optional arguments), calls the slot, and
// hands back the result and any error as the platform's type-library dispatch
// does, with the same error codes.
//
// Unlike that dispatch, it copies nothing it need not copy: a String, number
// or object that arrives by reference (directly, or in a Variant passed by
// reference) is lent to a by-value parameter as it is, a by-reference
// parameter of the caller's own type points at the caller's storage, and the
// result leaves without a copy. Only a value that must change type, or that a
// member may change without the caller's storage being of its type, is copied.
#pragma once

#include <windows.h>

#include "frame/com/dispatch_table.h"

namespace tarn::com {

HRESULT InvokeMember(const DispatchTable& table, void* self, DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result,
                     EXCEPINFO* exception, UINT* bad_argument) noexcept;

}  // namespace tarn::com
