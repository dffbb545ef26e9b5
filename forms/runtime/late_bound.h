// Late-bound access to the client's objects through IDispatch, by member
// name, as a client language's late binding does it: names resolved with
// GetIDsOfNames on every call, failures raised as the standard errors such a
// client sees (438 for a member the object does not have, 91 for Nothing,
// the object's own error from its exception information).
#pragma once

#include <windows.h>

#include <string_view>

#include "frame/com/variant.h"
#include "forms/runtime/forms_runtime.h"

namespace tarn::com {

// Property get by name, no arguments.
Variant GetProperty(IDispatch* object, std::u16string_view name);
// Property let by name.
void LetProperty(IDispatch* object, std::u16string_view name, const VARIANT& value);
// The default member (dispatch id 0) with one Integer argument passed by
// reference: a collection's element.
Variant GetDefaultItem(IDispatch* object, int16_t position);

// The failure of a call through IDispatch as the client's error.
[[noreturn]] void RaiseDispatchFailure(HRESULT hr, EXCEPINFO& exception);

// Conversions a late-bound read applies to a property's value.
std::u16string StringOf(const VARIANT& value);
int32_t LongOf(const VARIANT& value);
FormValue FormValueOf(const VARIANT& value);
Variant VariantOf(const FormValue& value);
// An object reference held in a Variant; null for Nothing (Empty counts as
// Nothing); anything else is a type mismatch. The caller owns the reference.
IDispatch* ObjectOf(const VARIANT& value);

}  // namespace tarn::com
