// The string members available so far, through the v-table and through
// IDispatch with omitted optional arguments.
#include <gtest/gtest.h>

#include "tests/wine/client/client_support.h"

namespace tarn::client {
namespace {

TEST(StringFunction, CharacterSets) {
  auto object = NewStringFunction();
  ASSERT_TRUE(object);
  const struct {
    const char* member;
    HRESULT (STDMETHODCALLTYPE _StringFunction::*call)(BSTR*);
    const wchar_t* expected;
  } rows[] = {
      {"MATCH_UPPER_CHARS", &_StringFunction::MATCH_UPPER_CHARS, L"ABCDEFGHIJKLMNOPQRSTUVWXYZ"},
      {"MATCH_LOWER_CHARS", &_StringFunction::MATCH_LOWER_CHARS, L"abcdefghijklmnopqrstuvwxyz"},
      {"MATCH_CHARS", &_StringFunction::MATCH_CHARS, L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"},
      {"MATCH_DIGITS", &_StringFunction::MATCH_DIGITS, L"0123456789"},
      {"MATCH_SPACES", &_StringFunction::MATCH_SPACES, L" \t"},
  };
  for (const auto& row : rows) {
    Bstr result;
    ASSERT_EQ((object.Get()->*row.call)(result.put()), S_OK) << row.member;
    EXPECT_EQ(Text(result.get()), row.expected) << row.member;
  }
}

TEST(StringFunction, CountAndSearchThroughTheVtable) {
  auto object = NewStringFunction();
  ASSERT_TRUE(object);
  LONG result = 0;
  ASSERT_EQ(object->CountStringInString(Bstr(u"Abc abc").get(), Bstr(u"ABC").get(), VARIANT_FALSE, &result), S_OK);
  EXPECT_EQ(result, 2);
  // Characters the ANSI code page cannot tell apart still count as different.
  ASSERT_EQ(
      object->CountStringInString(Bstr(u"\u0100\u0101\u0100").get(), Bstr(u"\u0101").get(), VARIANT_TRUE, &result),
      S_OK);
  EXPECT_EQ(result, 1);
  ASSERT_EQ(object->InStrEx(-2, Bstr(u"aaaa").get(), Bstr(u"aa").get(), tlBinaryCompare, &result), S_OK);
  EXPECT_EQ(result, 2);
  ASSERT_EQ(object->InStrEx(1, Bstr(u"xx\u00e8Y").get(), Bstr(u"\u00c8y").get(), tlTextCompare, &result), S_OK);
  EXPECT_EQ(result, 3);
}

TEST(StringFunction, OmittedOptionalArgumentsTakeTheirDefaults) {
  auto object = NewStringFunction();
  ASSERT_TRUE(object);
  const struct {
    const wchar_t* member;
    std::initializer_list<VARIANT> args;
    LONG expected;
  } rows[] = {
      {L"CountStringInString", {BstrArg(L"Abc abc"), BstrArg(L"ABC")}, 0},
      {L"CountStringInString", {BstrArg(L"Abc abc"), BstrArg(L"ABC"), BoolArg(false)}, 2},
      {L"CountStringInString", {BstrArg(L"Abc abc"), BstrArg(L"ABC"), MissingArg()}, 0},
      {L"InStrEx", {LongArg(1), BstrArg(L"abcabc"), BstrArg(L"BC")}, 0},
      {L"InStrEx", {LongArg(1), BstrArg(L"abcabc"), BstrArg(L"BC"), LongArg(1)}, 2},
      {L"InStrEx", {LongArg(-3), BstrArg(L"abcabc"), BstrArg(L"bc")}, 5},
  };
  int row_number = 0;
  for (const auto& row : rows) {
    ++row_number;
    Variant result;
    EXCEPINFO exception{};
    EXPECT_EQ(InvokeByName(object.Get(), row.member, DISPATCH_METHOD, row.args, result.get(), &exception), S_OK)
        << "row " << row_number;
    EXPECT_EQ(V_VT(result.get()), VT_I4) << "row " << row_number;
    EXPECT_EQ(V_I4(result.get()), row.expected) << "row " << row_number;
    for (VARIANT arg : row.args) VariantClear(&arg);
  }
}

TEST(StringFunction, GlobalObjectsBehaveAlikeWhetherCreatedOnceOrAgain) {
  auto first = NewStringFunction();
  auto second = NewStringFunction();
  ASSERT_TRUE(first && second);
  LONG a = 0, b = 0;
  ASSERT_EQ(first->InStrEx(-1, Bstr(u"abcabc").get(), Bstr(u"bc").get(), tlBinaryCompare, &a), S_OK);
  ASSERT_EQ(second->InStrEx(-1, Bstr(u"abcabc").get(), Bstr(u"bc").get(), tlBinaryCompare, &b), S_OK);
  EXPECT_EQ(a, 2);
  EXPECT_EQ(a, b);
  // Created through the registry as a client would.
  ComPtr<_StringFunction> registered;
  ASSERT_EQ(CoCreateInstance(CLSID_StringFunction, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&registered)), S_OK);
  Bstr chars;
  ASSERT_EQ(registered->MATCH_CHARS(chars.put()), S_OK);
  EXPECT_EQ(SysStringLen(chars.get()), 52u);
}

}  // namespace
}  // namespace tarn::client
