// Malformed arguments the bad-input fuzzer found crashing the library: a
// by-reference form with a NULL pointer inside a Variant passed by value (the
// v-table), and behind a Variant reference (Invoke). Each is refused with an
// error instead of being followed.
#include <gtest/gtest.h>

#include "tests/wine/client/client_support.h"

namespace tarn::client {
namespace {

constexpr HRESULT kInvalidCall = static_cast<HRESULT>(0x800A0005);

// A Variant reference to a by-reference Long whose pointer is NULL.
struct NullBehindReference {
  VARIANT inner{};
  VARIANT outer{};
  NullBehindReference() {
    V_VT(&inner) = VT_BYREF | VT_I4;
    V_BYREF(&inner) = nullptr;
    V_VT(&outer) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&outer) = &inner;
  }
};

VARIANT NullReference() {
  VARIANT v{};
  V_VT(&v) = VT_BYREF | VT_VARIANT;
  V_BYREF(&v) = nullptr;
  return v;
}

TEST(BadInputTest, VariantByValueHoldingANullReferenceIsRefusedWithError5) {
  const ComPtr<_StringFunction> strings = NewStringFunction();
  const ComPtr<_GeneralUtility> general = CreateFromDll<_GeneralUtility>(CLSID_GeneralUtility);
  ASSERT_TRUE(strings && general);
  NullBehindReference behind;
  const struct {
    const char* name;
    VARIANT value;
  } shapes[] = {{"NULL reference", NullReference()}, {"NULL reference behind a reference", behind.outer}};
  for (const auto& shape : shapes) {
    VARIANT result;
    VariantInit(&result);
    EXPECT_EQ(strings->NoNull(shape.value, &result), kInvalidCall) << shape.name;
    EXPECT_EQ(V_VT(&result), VT_EMPTY) << shape.name;
    EXPECT_TRUE(TakeErrorInfo().present) << shape.name;
    short index = 7;
    Bstr name(u"txtName");
    EXPECT_EQ(general->FindControlIndex(name.get(), shape.value, &index), kInvalidCall) << shape.name;
    EXPECT_EQ(index, 0) << shape.name;
    EXPECT_TRUE(TakeErrorInfo().present) << shape.name;
  }
}

TEST(BadInputTest, InvokeRefusesANullReferenceBehindAVariantReference) {
  const ComPtr<_StringFunction> strings = NewStringFunction();
  ASSERT_TRUE(strings);
  const struct {
    const wchar_t* member;
    int position;  // of the malformed argument among three
  } rows[] = {{L"InStrEx", 0}, {L"InStrEx", 1}, {L"NoNull", 0}, {L"CountStringInString", 2}};
  for (const auto& row : rows) {
    NullBehindReference behind;
    VARIANT args[3] = {LongArg(1), BstrArg(L"abc"), BstrArg(L"b")};
    VARIANT saved = args[row.position];
    args[row.position] = behind.outer;
    const bool one = std::wstring(row.member) == L"NoNull";
    VARIANT result;
    VariantInit(&result);
    EXCEPINFO exception{};
    const HRESULT hr = one ? InvokeByName(strings.Get(), row.member, DISPATCH_METHOD, {args[0]}, &result, &exception)
                           : InvokeByName(strings.Get(), row.member, DISPATCH_METHOD, {args[0], args[1], args[2]},
                                          &result, &exception);
    EXPECT_EQ(hr, E_INVALIDARG) << row.position;
    EXPECT_EQ(V_VT(&result), VT_EMPTY);
    ReleaseException(exception);
    args[row.position] = saved;
    for (VARIANT& arg : args) VariantClear(&arg);
  }
}

}  // namespace
}  // namespace tarn::client
