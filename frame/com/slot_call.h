// Calls a v-table slot whose parameters are all one machine word wide
// (pointers, references, Strings, objects, arrays and integers of at most 32
// bits) directly, without the platform's DispCallFunc, which allocates on
// every call. Both calling conventions the library is built for pass such
// parameters one word each: __stdcall on 32-bit x86 pushes one 4-byte slot per
// argument and the callee pops them; the 64-bit convention passes one 8-byte
// register or stack slot per argument, of which the callee reads the low part.
#pragma once

#include <windows.h>

namespace tarn::com {

constexpr UINT kMostWordArguments = 8;

// True when a parameter of Variant type `type` travels as one word.
bool IsWordArgument(VARTYPE type) noexcept;

// Calls the __stdcall slot at byte `offset` of `self`'s v-table with the
// `count` (at most kMostWordArguments) values that `args` hold as the slot
// takes them, and returns the slot's HRESULT.
HRESULT CallWordSlot(void* self, UINT offset, UINT count, VARIANTARG* const* args) noexcept;

}  // namespace tarn::com
