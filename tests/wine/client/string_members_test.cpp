// StringFunction's splitting, replacing, word case, spacing, quoting,
// validation and random members as a COM client meets them: ParseString's
// handling of the caller's String array through the v-table and through
// IDispatch, and the results, result types and errors of the other members.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cwchar>
#include <string>
#include <vector>

#include "tests/wine/client/client_support.h"

namespace tarn::client {
namespace {

constexpr HRESULT StandardError(unsigned number) { return static_cast<HRESULT>(0x800A0000u + number); }
constexpr HRESULT kEmptyCharactersError = static_cast<HRESULT>(0x80040BB9u);
const wchar_t kEmptyCharactersText[] = L"UsingThisChars in GetRndString can't be an empty string";
const wchar_t kDefaultCharacters[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

Bstr MakeBstr(const std::wstring& text) {
  return Bstr(std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
}

std::string Narrow(const std::wstring& text) {
  std::string out;
  for (const wchar_t c : text) out += (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '?';
  return out;
}

// What a failed call reported, from the v-table (HRESULT and the thread's
// error information) or from IDispatch (the exception information).
struct Outcome {
  HRESULT hr = S_OK;
  std::wstring description;
  std::wstring source;
};

Outcome FromErrorInfo(HRESULT hr) {
  Outcome outcome{hr, {}, {}};
  if (FAILED(hr)) {
    const auto info = TakeErrorInfo();
    outcome.description = info.description;
    outcome.source = info.source;
  }
  return outcome;
}

Outcome FromException(HRESULT hr, EXCEPINFO& exception) {
  Outcome outcome{hr, Text(exception.bstrDescription), Text(exception.bstrSource)};
  if (hr == DISP_E_EXCEPTION) outcome.hr = exception.scode;
  ReleaseException(exception);
  return outcome;
}

// ----------------------------------------------------------------------------
// ParseString and the caller's array

// The caller's String array: null (a dynamic array never dimensioned) or a
// one-dimensional array with the given lower bound and elements.
class CallerArray {
 public:
  CallerArray() = default;
  CallerArray(LONG lower, const std::vector<std::wstring>& items) {
    SAFEARRAYBOUND bound{static_cast<ULONG>(items.size()), lower};
    array_ = SafeArrayCreate(VT_BSTR, 1, &bound);
    for (LONG i = 0; i < static_cast<LONG>(items.size()); ++i) {
      LONG index = lower + i;
      SafeArrayPutElement(array_, &index, MakeBstr(items[i]).get());  // stores a copy
    }
  }
  CallerArray(const CallerArray&) = delete;
  CallerArray& operator=(const CallerArray&) = delete;
  ~CallerArray() {
    if (!array_) return;
    while (array_->cLocks > 0) SafeArrayUnlock(array_);
    SafeArrayDestroy(array_);
  }
  SAFEARRAY* get() const { return array_; }
  SAFEARRAY** address() { return &array_; }

 private:
  SAFEARRAY* array_ = nullptr;
};

// Bounds and elements of a one-dimensional String array, printed for messages
// and compared as text: "3..5 [a] [b] []".
std::wstring Describe(SAFEARRAY* array) {
  if (!array) return L"(null)";
  if (SafeArrayGetDim(array) != 1) return L"(not one-dimensional)";
  VARTYPE type = VT_EMPTY;
  SafeArrayGetVartype(array, &type);
  if (type != VT_BSTR) return L"(not Strings)";
  LONG lower = 0, upper = 0;
  SafeArrayGetLBound(array, 1, &lower);
  SafeArrayGetUBound(array, 1, &upper);
  std::wstring out = std::to_wstring(lower) + L".." + std::to_wstring(upper);
  for (LONG i = lower; i <= upper; ++i) {
    BSTR element = nullptr;
    SafeArrayGetElement(array, &i, &element);
    out += L" [" + Text(element) + L"]";
    SysFreeString(element);
  }
  return out;
}

// The description expected of an array with bounds 0 to n - 1.
std::wstring Pieces(const std::vector<std::wstring>& items) {
  std::wstring out = L"0.." + std::to_wstring(static_cast<long>(items.size()) - 1);
  for (const auto& item : items) out += L" [" + item + L"]";
  return out;
}

Outcome ParseThroughVtable(_StringFunction* object, const std::wstring& source, const std::wstring& match,
                           SAFEARRAY** dest) {
  return FromErrorInfo(object->ParseString(MakeBstr(source).get(), MakeBstr(match).get(), dest));
}

// As a late-bound client passes its array: VT_ARRAY | VT_BSTR | VT_BYREF
// pointing at the caller's SAFEARRAY*.
Outcome ParseThroughDispatch(_StringFunction* object, const std::wstring& source, const std::wstring& match,
                             SAFEARRAY** dest) {
  VARIANT array;
  V_VT(&array) = VT_ARRAY | VT_BSTR | VT_BYREF;
  V_ARRAYREF(&array) = dest;
  VARIANT text = BstrArg(source.c_str());
  VARIANT separator = BstrArg(match.c_str());
  Variant result;
  EXCEPINFO exception{};
  const HRESULT hr =
      InvokeByName(object, L"ParseString", DISPATCH_METHOD, {text, separator, array}, result.get(), &exception);
  VariantClear(&text);
  VariantClear(&separator);
  return FromException(hr, exception);
}

struct Way {
  const char* name;
  Outcome (*parse)(_StringFunction*, const std::wstring&, const std::wstring&, SAFEARRAY**);
};
const Way kWays[] = {{"v-table", ParseThroughVtable}, {"IDispatch", ParseThroughDispatch}};

// The shapes of resizable array a caller can pass; what it held is replaced.
struct Shape {
  const char* name;
  LONG lower;
  std::vector<std::wstring> items;
  bool null;
};
const Shape kResizableShapes[] = {
    {"never dimensioned", 0, {}, true},
    {"dimensioned 0 to 0", 0, {L""}, false},
    {"filled with more elements", 0, {L"old0", L"old1", L"old2", L"old3", L"old4", L"old5"}, false},
    {"lower bound 3", 3, {L"old3", L"old4", L"old5"}, false},
    {"lower bound -2", -2, {L"x", L"y"}, false},
};

TEST(ParseString, FillsEveryShapeOfCallerArrayWithBoundsFromZero) {
  auto object = NewStringFunction();
  ASSERT_TRUE(object);
  const struct {
    std::wstring source;
    std::wstring match;
    std::vector<std::wstring> pieces;
  } rows[] = {
      {L"a,b,,c", L",", {L"a", L"b", L"", L"c"}},
      {L",a,", L",", {L"", L"a", L""}},
      {L"abc", L",", {L"abc"}},
      {L"", L",", {L""}},
      {L"aXbxc", L"x", {L"aXb", L"c"}},  // case-sensitive
      {L"a::b", L"::", {L"a", L"b"}},
      {L"\u00e8\u65e5\u00e8\u65e5", L"\u65e5", {L"\u00e8", L"\u00e8", L""}},
  };
  for (const Way& way : kWays) {
    for (const Shape& shape : kResizableShapes) {
      for (const auto& row : rows) {
        CallerArray array = shape.null ? CallerArray() : CallerArray(shape.lower, shape.items);
        const Outcome outcome = way.parse(object.Get(), row.source, row.match, array.address());
        const std::string label =
            std::string(way.name) + ", " + shape.name + ": " + Narrow(row.source) + " at " + Narrow(row.match);
        EXPECT_EQ(outcome.hr, S_OK) << label << ": " << Narrow(outcome.description);
        EXPECT_EQ(Describe(array.get()), Pieces(row.pieces)) << label;
      }
    }
  }
}

TEST(ParseString, OverlappingSeparatorFailsWithFiveLeavingThePiecesSoFarAndOneEmpty) {
  auto object = NewStringFunction();
  ASSERT_TRUE(object);
  const struct {
    std::wstring source;
    std::vector<std::wstring> left;
  } rows[] = {
      {L"a:::b", {L"a", L""}},
      {L"x::y:::z", {L"x", L"y", L""}},
  };
  for (const Way& way : kWays) {
    for (const Shape& shape : kResizableShapes) {
      for (const auto& row : rows) {
        CallerArray array = shape.null ? CallerArray() : CallerArray(shape.lower, shape.items);
        const Outcome outcome = way.parse(object.Get(), row.source, L"::", array.address());
        const std::string label = std::string(way.name) + ", " + shape.name + ": " + Narrow(row.source);
        EXPECT_EQ(outcome.hr, StandardError(5)) << label;
        EXPECT_EQ(outcome.description, L"Invalid procedure call or argument") << label;
        EXPECT_EQ(outcome.source, L"TarnLib") << label;
        EXPECT_EQ(Describe(array.get()), Pieces(row.left)) << label;
      }
    }
  }
}

TEST(ParseString, ArrayThatCannotBeResizedFailsWithTenAndKeepsItsContents) {
  auto object = NewStringFunction();
  ASSERT_TRUE(object);
  const std::vector<std::wstring> old = {L"keep", L"these", L"three"};
  enum class Kind { kFixedSize, kLocked };
  const struct {
    const char* name;
    Kind kind;
  } kinds[] = {{"fixed-size", Kind::kFixedSize}, {"locked", Kind::kLocked}};
  // A split that would succeed, and one that would fail with error 5.
  const struct {
    const wchar_t* source;
    const wchar_t* match;
  } splits[] = {{L"a,b", L","}, {L"a:::b", L"::"}};
  for (const Way& way : kWays) {
    for (const auto& kind : kinds) {
      for (const auto& split : splits) {
        CallerArray array(1, old);
        if (kind.kind == Kind::kFixedSize) array.get()->fFeatures |= FADF_FIXEDSIZE;
        if (kind.kind == Kind::kLocked) SafeArrayLock(array.get());
        SAFEARRAY* const before = array.get();
        const std::wstring contents = Describe(array.get());
        const Outcome outcome = way.parse(object.Get(), split.source, split.match, array.address());
        const std::string label = std::string(way.name) + ", " + kind.name + ": " + Narrow(split.source);
        EXPECT_EQ(outcome.hr, StandardError(10)) << label;
        EXPECT_EQ(outcome.description, L"This array is fixed or temporarily locked") << label;
        EXPECT_EQ(outcome.source, L"TarnLib") << label;
        EXPECT_EQ(array.get(), before) << label;
        EXPECT_EQ(Describe(array.get()), contents) << label;
        EXPECT_EQ(contents, L"1..3 [keep] [these] [three]") << label;
      }
    }
  }
}

TEST(ParseString, ArrayOfAnotherTypeFailsWithThirteenAndIsKept) {
  auto object = NewStringFunction();
  ASSERT_TRUE(object);
  SAFEARRAYBOUND bound{2, 0};
  SAFEARRAY* numbers = SafeArrayCreate(VT_I4, 1, &bound);
  ASSERT_TRUE(numbers);
  LONG index = 1, value = 42;
  SafeArrayPutElement(numbers, &index, &value);
  SAFEARRAY* dest = numbers;
  const Outcome outcome = ParseThroughVtable(object.Get(), L"a,b", L",", &dest);
  EXPECT_EQ(outcome.hr, StandardError(13));
  EXPECT_EQ(outcome.description, L"Type mismatch");
  EXPECT_EQ(dest, numbers);
  value = 0;
  SafeArrayGetElement(numbers, &index, &value);
  EXPECT_EQ(value, 42);
  SafeArrayDestroy(numbers);
}

// ----------------------------------------------------------------------------
// ParseString into a script's variables, through IDispatch

// Bounds and elements of a Variant that should hold an array of Variants each
// holding a String: "Variant() 0..2 [a] [b] []". Anything else is named.
std::wstring DescribeVariable(const VARIANT& variable) {
  if (V_VT(&variable) == VT_EMPTY) return L"Empty";
  if (V_VT(&variable) != (VT_ARRAY | VT_VARIANT)) return L"(vt " + std::to_wstring(V_VT(&variable)) + L")";
  SAFEARRAY* array = V_ARRAY(&variable);
  if (!array) return L"Variant() (no array)";
  if (SafeArrayGetDim(array) != 1) return L"(not one-dimensional)";
  LONG lower = 0, upper = 0;
  SafeArrayGetLBound(array, 1, &lower);
  SafeArrayGetUBound(array, 1, &upper);
  std::wstring out = L"Variant() " + std::to_wstring(lower) + L".." + std::to_wstring(upper);
  for (LONG i = lower; i <= upper; ++i) {
    Variant element;
    SafeArrayGetElement(array, &i, element.get());
    if (V_VT(element.get()) == VT_BSTR) {
      out += L" [" + Text(V_BSTR(element.get())) + L"]";
    } else {
      out += L" (vt " + std::to_wstring(V_VT(element.get())) + L")";
    }
  }
  return out;
}

std::wstring VariantPieces(const std::vector<std::wstring>& items) { return L"Variant() " + Pieces(items); }

// An array of Variants as a script makes one (Array(), ReDim, Split).
SAFEARRAY* ScriptArray(LONG lower, const std::vector<std::wstring>& items) {
  SAFEARRAYBOUND bound{static_cast<ULONG>(items.size()), lower};
  SAFEARRAY* array = SafeArrayCreate(VT_VARIANT, 1, &bound);
  for (LONG i = 0; i < static_cast<LONG>(items.size()); ++i) {
    LONG index = lower + i;
    VARIANT item = BstrArg(items[i].c_str());
    SafeArrayPutElement(array, &index, &item);  // stores a copy
    VariantClear(&item);
  }
  return array;
}

// How a late-bound caller holds its array, and passes it to ParseString.
enum class Holder {
  kVariable,         // VT_BYREF | VT_VARIANT around what the variable holds
  kArrayVariable,    // VT_BYREF | VT_VARIANT around VT_BYREF | VT_ARRAY | VT_VARIANT (VBScript's Dim a())
  kVariantArrayRef,  // VT_BYREF | VT_ARRAY | VT_VARIANT (a VBA Variant array, Dim d())
};

// A caller's storage: `variable` is what the script's variable holds; for the
// holders that keep the array behind a pointer, `array` is that array.
struct Storage {
  Holder holder;
  VARIANT variable;
  SAFEARRAY* array = nullptr;

  explicit Storage(Holder h) : holder(h) { VariantInit(&variable); }
  Storage(const Storage&) = delete;
  Storage& operator=(const Storage&) = delete;
  ~Storage() {
    SAFEARRAY* left = Held();
    if (left) {
      while (left->cLocks > 0) SafeArrayUnlock(left);
      left->fFeatures &= static_cast<USHORT>(~(FADF_FIXEDSIZE | FADF_STATIC));
    }
    if (holder == Holder::kVariable) {
      VariantClear(&variable);
    } else if (array) {
      SafeArrayDestroy(array);
    }
  }
  // Gives the storage an array of Variants (null: a dynamic array never dimensioned).
  void Hold(SAFEARRAY* a) {
    if (holder == Holder::kVariable) {
      V_VT(&variable) = VT_ARRAY | VT_VARIANT;
      V_ARRAY(&variable) = a;
    } else {
      array = a;
    }
  }
  SAFEARRAY* Held() const { return holder == Holder::kVariable ? nullptr : array; }
  // What the caller sees in its variable afterwards, as DescribeVariable reads it.
  std::wstring Contents() {
    if (holder == Holder::kVariable) return DescribeVariable(variable);
    VARIANT view;
    V_VT(&view) = VT_ARRAY | VT_VARIANT;
    V_ARRAY(&view) = array;
    return DescribeVariable(view);  // borrowed: not cleared
  }
  VARIANT Argument() {
    VARIANT ref;
    VariantInit(&ref);
    switch (holder) {
      case Holder::kVariable:
        V_VT(&ref) = VT_BYREF | VT_VARIANT;
        V_VARIANTREF(&ref) = &variable;
        break;
      case Holder::kArrayVariable:
        V_VT(&variable) = VT_BYREF | VT_ARRAY | VT_VARIANT;
        V_ARRAYREF(&variable) = &array;
        V_VT(&ref) = VT_BYREF | VT_VARIANT;
        V_VARIANTREF(&ref) = &variable;
        break;
      case Holder::kVariantArrayRef:
        V_VT(&ref) = VT_BYREF | VT_ARRAY | VT_VARIANT;
        V_ARRAYREF(&ref) = &array;
        break;
    }
    return ref;
  }
};

Outcome ParseIntoArgument(_StringFunction* object, const std::wstring& source, const std::wstring& match, VARIANT dest,
                          UINT* bad_argument = nullptr) {
  VARIANT text = BstrArg(source.c_str());
  VARIANT separator = BstrArg(match.c_str());
  VARIANT args[] = {dest, separator, text};  // last to first
  DISPPARAMS params{args, nullptr, 3, 0};
  DISPID id = 0;
  LPOLESTR name[] = {const_cast<LPOLESTR>(L"ParseString")};
  object->GetIDsOfNames(IID_NULL, name, 1, LOCALE_USER_DEFAULT, &id);
  Variant result;
  EXCEPINFO exception{};
  UINT bad = 0xFFFFu;
  const HRESULT hr =
      object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, result.get(), &exception, &bad);
  VariantClear(&text);
  VariantClear(&separator);
  if (bad_argument) *bad_argument = bad;
  return FromException(hr, exception);
}

// Every way a script or VBA holds a Variant array it may have replaced.
struct Start {
  const char* name;
  Holder holder;
  int kind;  // 0 Empty variable, 1 no array yet, 2 an array with the given bound and items
  LONG lower;
  std::vector<std::wstring> items;
};
const Start kScriptStarts[] = {
    {"Empty variable", Holder::kVariable, 0, 0, {}},
    {"variable, Variant array never dimensioned", Holder::kVariable, 1, 0, {}},
    {"variable, Array()", Holder::kVariable, 2, 0, {}},
    {"variable, ReDim a(5)", Holder::kVariable, 2, 0, {L"", L"", L"", L"", L"", L""}},
    {"variable, Split result with lower bound 3", Holder::kVariable, 2, 3, {L"x", L"y"}},
    {"Dim a() never dimensioned", Holder::kArrayVariable, 1, 0, {}},
    {"Dim a() after ReDim", Holder::kArrayVariable, 2, 0, {L"old", L"old"}},
    {"VBA Dim d() never dimensioned", Holder::kVariantArrayRef, 1, 0, {}},
    {"VBA Dim d() after ReDim", Holder::kVariantArrayRef, 2, -1, {L"old", L"old", L"old"}},
};

void Prepare(Storage& storage, const Start& start) {
  if (start.kind == 1) storage.Hold(nullptr);
  if (start.kind == 2) storage.Hold(ScriptArray(start.lower, start.items));
}

TEST(ParseString, VariantArraysAndEmptyVariablesReceiveVariantArraysOfStrings) {
  auto object = NewStringFunction();
  ASSERT_TRUE(object);
  const struct {
    std::wstring source;
    std::wstring match;
    std::vector<std::wstring> pieces;
  } rows[] = {
      {L"a,b,,c", L",", {L"a", L"b", L"", L"c"}},
      {L",a,", L",", {L"", L"a", L""}},
      {L"abc", L",", {L"abc"}},
      {L"", L",", {L""}},
  };
  for (const Start& start : kScriptStarts) {
    for (const auto& row : rows) {
      Storage storage(start.holder);
      Prepare(storage, start);
      const Outcome outcome = ParseIntoArgument(object.Get(), row.source, row.match, storage.Argument());
      const std::string label = std::string(start.name) + ": " + Narrow(row.source);
      EXPECT_EQ(outcome.hr, S_OK) << label << ": " << Narrow(outcome.description);
      EXPECT_EQ(storage.Contents(), VariantPieces(row.pieces)) << label;
    }
  }
}

TEST(ParseString, OverlappingSeparatorLeavesThePiecesSoFarInTheVariable) {
  auto object = NewStringFunction();
  ASSERT_TRUE(object);
  for (const Start& start : kScriptStarts) {
    Storage storage(start.holder);
    Prepare(storage, start);
    const Outcome outcome = ParseIntoArgument(object.Get(), L"a:::b", L"::", storage.Argument());
    EXPECT_EQ(outcome.hr, StandardError(5)) << start.name;
    EXPECT_EQ(outcome.description, L"Invalid procedure call or argument") << start.name;
    EXPECT_EQ(storage.Contents(), VariantPieces({L"a", L""})) << start.name;
  }
}

// A script's fixed array (Dim a(2)) arrives flagged fixed-size and static.
TEST(ParseString, FixedOrLockedVariantArrayFailsWithTenAndKeepsItsContents) {
  auto object = NewStringFunction();
  ASSERT_TRUE(object);
  for (const Holder holder : {Holder::kVariable, Holder::kArrayVariable, Holder::kVariantArrayRef}) {
    for (const bool locked : {false, true}) {
      Storage storage(holder);
      SAFEARRAY* array = ScriptArray(0, {L"keep", L"", L""});
      if (locked) {
        SafeArrayLock(array);
      } else {
        array->fFeatures |= FADF_FIXEDSIZE | FADF_STATIC;
      }
      storage.Hold(array);
      const std::string label =
          std::string(locked ? "locked" : "fixed") + ", holder " + std::to_string(static_cast<int>(holder));
      const Outcome outcome = ParseIntoArgument(object.Get(), L"a,b", L",", storage.Argument());
      EXPECT_EQ(outcome.hr, StandardError(10)) << label;
      EXPECT_EQ(outcome.description, L"This array is fixed or temporarily locked") << label;
      EXPECT_EQ(outcome.source, L"TarnLib") << label;
      EXPECT_EQ(storage.Contents(), L"Variant() 0..2 [keep] [] []") << label;
    }
  }
}

// What cannot receive an array is an argument-conversion failure of the
// dispatch, naming ParseString's third argument (first in rgvarg), and the
// caller's value is left as it was. JScript passes every argument by value,
// so whatever it passes ends here.
TEST(ParseString, ValuesThatCannotReceiveAnArrayAreTypeMismatches) {
  auto object = NewStringFunction();
  ASSERT_TRUE(object);
  VARIANT text = BstrArg(L"x");
  VARIANT number = LongArg(4);
  VARIANT null_value;
  VariantInit(&null_value);
  V_VT(&null_value) = VT_NULL;
  VARIANT by_value_array;
  VariantInit(&by_value_array);
  V_VT(&by_value_array) = VT_ARRAY | VT_VARIANT;
  V_ARRAY(&by_value_array) = ScriptArray(0, {L"q"});
  VARIANT empty;
  VariantInit(&empty);
  struct Row {
    const char* name;
    VARIANT* value;
    bool by_reference;
  };
  const Row rows[] = {
      {"variable holding a String", &text, true},
      {"variable holding a Long", &number, true},
      {"variable holding Null", &null_value, true},
      {"Variant array by value (a JScript VBArray)", &by_value_array, false},
      {"Empty by value (JScript undefined)", &empty, false},
      {"String by value", &text, false},
  };
  // The value as text, to compare before and after.
  const auto show = [](const VARIANT& v) -> std::wstring {
    switch (V_VT(&v)) {
      case VT_BSTR:
        return L"String " + Text(V_BSTR(&v));
      case VT_I4:
        return L"Long " + std::to_wstring(V_I4(&v));
      default:
        return DescribeVariable(v);
    }
  };
  for (const Row& row : rows) {
    const std::wstring before = show(*row.value);
    VARIANT arg = *row.value;
    if (row.by_reference) {
      V_VT(&arg) = VT_BYREF | VT_VARIANT;
      V_VARIANTREF(&arg) = row.value;
    }
    UINT bad = 0;
    const Outcome outcome = ParseIntoArgument(object.Get(), L"a,b", L",", arg, &bad);
    EXPECT_EQ(outcome.hr, DISP_E_TYPEMISMATCH) << row.name;
    EXPECT_EQ(bad, 0u) << row.name;
    EXPECT_EQ(show(*row.value), before) << row.name;
  }
  EXPECT_EQ(DescribeVariable(by_value_array), L"Variant() 0..0 [q]");
  VariantClear(&text);
  VariantClear(&by_value_array);
}

// The v-table takes an array of Variants too, as the object's own dispatch
// hands it over, and keeps it an array of Variants.
TEST(ParseString, VariantArrayThroughTheVtableStaysAnArrayOfVariants) {
  auto object = NewStringFunction();
  ASSERT_TRUE(object);
  SAFEARRAY* array = ScriptArray(2, {L"old"});
  const Outcome outcome = ParseThroughVtable(object.Get(), L"p;q", L";", &array);
  EXPECT_EQ(outcome.hr, S_OK) << Narrow(outcome.description);
  VARIANT view;
  V_VT(&view) = VT_ARRAY | VT_VARIANT;
  V_ARRAY(&view) = array;
  EXPECT_EQ(DescribeVariable(view), VariantPieces({L"p", L"q"}));
  SafeArrayDestroy(array);
}

// ----------------------------------------------------------------------------
// The members with a String result, through the v-table

enum class Member { kReplaceString, kCSql, kFirstUCase, kRemoveSpaces, kOnlyOneSpace };

HRESULT CallMember(_StringFunction* object, Member member, const std::vector<std::wstring>& args, BSTR* result) {
  std::vector<Bstr> bstrs;
  for (const auto& arg : args) bstrs.push_back(MakeBstr(arg));
  switch (member) {
    case Member::kReplaceString:
      return object->ReplaceString(bstrs.at(0).get(), bstrs.at(1).get(), bstrs.at(2).get(), result);
    case Member::kCSql:
      return object->CSql(bstrs.at(0).get(), result);
    case Member::kFirstUCase:
      return object->FirstUCase(bstrs.at(0).get(), result);
    case Member::kRemoveSpaces:
      return object->RemoveSpaces(bstrs.at(0).get(), result);
    case Member::kOnlyOneSpace:
      return object->OnlyOneSpace(bstrs.at(0).get(), result);
  }
  return E_UNEXPECTED;
}

std::wstring Repeat(wchar_t c, size_t n) { return std::wstring(n, c); }

TEST(StringMembers, ResultsAndErrorsThroughTheVtable) {
  auto object = NewStringFunction();
  ASSERT_TRUE(object);
  const std::wstring letters_32765 = Repeat(L'x', 32765);
  const std::wstring letters_32766 = Repeat(L'x', 32766);
  struct Row {
    std::string label;
    Member member;
    std::vector<std::wstring> args;
    HRESULT hr;             // S_OK or the error expected
    std::wstring expected;  // the result, or the error's description
  };
  const Row rows[] = {
      {"ReplaceString: no recursion", Member::kReplaceString, {L"aaa", L"a", L"aa"}, S_OK, L"aaaaaa"},
      {"ReplaceString: no overlap", Member::kReplaceString, {L"aaaa", L"aa", L"b"}, S_OK, L"bb"},
      {"ReplaceString: removal forms no new match", Member::kReplaceString, {L"aabb", L"ab", L""}, S_OK, L"ab"},
      {"ReplaceString: empty Search", Member::kReplaceString, {L"abc", L"", L"x"}, S_OK, L"abc"},
      {"ReplaceString: empty Data", Member::kReplaceString, {L"", L"a", L"x"}, S_OK, L""},
      {"ReplaceString: case-sensitive", Member::kReplaceString, {L"Abc", L"a", L"x"}, S_OK, L"Abc"},
      {"ReplaceString: whole text", Member::kReplaceString, {L"abc", L"abc", L""}, S_OK, L""},
      {"ReplaceString: beyond ANSI",
       Member::kReplaceString,
       {L"\u00e8\u65e5\u00e8", L"\u00e8", L"\u65e5\u65e5"},
       S_OK,
       L"\u65e5\u65e5\u65e5\u65e5\u65e5"},
      {"CSql: one apostrophe", Member::kCSql, {L"it's"}, S_OK, L"it''s"},
      {"CSql: two apostrophes", Member::kCSql, {L"''"}, S_OK, L"''''"},
      {"CSql: empty", Member::kCSql, {L""}, S_OK, L""},
      {"CSql: double quotes stay", Member::kCSql, {L"say \"hi\""}, S_OK, L"say \"hi\""},
      {"FirstUCase: spaces", Member::kFirstUCase, {L"  hello   WORLD  "}, S_OK, L"Hello World"},
      {"FirstUCase: apostrophe", Member::kFirstUCase, {L"o'NEIL mcDONALD"}, S_OK, L"O'neil Mcdonald"},
      {"FirstUCase: tab starts no word", Member::kFirstUCase, {L"a\tb"}, S_OK, L"A\tb"},
      {"FirstUCase: beyond ASCII", Member::kFirstUCase, {L"\u00e8LAN \u00c0"}, S_OK, L"\u00c8lan \u00c0"},
      {"FirstUCase: empty", Member::kFirstUCase, {L""}, S_OK, L""},
      {"FirstUCase: spaces only", Member::kFirstUCase, {L"   "}, S_OK, L""},
      {"FirstUCase: 32766 characters", Member::kFirstUCase, {letters_32766}, S_OK, L"X" + letters_32765},
      {"FirstUCase: 32767 characters", Member::kFirstUCase, {letters_32766 + L"x"}, StandardError(6), L"Overflow"},
      {"RemoveSpaces: everywhere", Member::kRemoveSpaces, {L" a b  c "}, S_OK, L"abc"},
      {"RemoveSpaces: tabs stay", Member::kRemoveSpaces, {L"a\tb c"}, S_OK, L"a\tbc"},
      {"RemoveSpaces: empty", Member::kRemoveSpaces, {L""}, S_OK, L""},
      {"RemoveSpaces: space at 32766", Member::kRemoveSpaces, {letters_32765 + L" y"}, S_OK, letters_32765 + L"y"},
      {"RemoveSpaces: space at 32767", Member::kRemoveSpaces, {letters_32766 + L" "}, StandardError(6), L"Overflow"},
      // Positions count in the text as it is when the space is reached.
      {"RemoveSpaces: at 32768 after one removed",
       Member::kRemoveSpaces,
       {L" " + letters_32766 + L" "},
       StandardError(6),
       L"Overflow"},
      {"RemoveSpaces: at 32767 after two removed",
       Member::kRemoveSpaces,
       {L"  " + Repeat(L'x', 32764) + L" "},
       S_OK,
       Repeat(L'x', 32764)},
      {"OnlyOneSpace: runs and ends", Member::kOnlyOneSpace, {L"  a   b  "}, S_OK, L"a b"},
      {"OnlyOneSpace: unchanged", Member::kOnlyOneSpace, {L"a b c"}, S_OK, L"a b c"},
      {"OnlyOneSpace: tabs stay", Member::kOnlyOneSpace, {L"a\t\tb"}, S_OK, L"a\t\tb"},
      {"OnlyOneSpace: empty", Member::kOnlyOneSpace, {L""}, S_OK, L""},
      {"OnlyOneSpace: spaces only", Member::kOnlyOneSpace, {L"    "}, S_OK, L""},
      {"OnlyOneSpace: run at 32766", Member::kOnlyOneSpace, {letters_32765 + L"  y"}, S_OK, letters_32765 + L" y"},
      {"OnlyOneSpace: run at 32767", Member::kOnlyOneSpace, {letters_32766 + L"  "}, StandardError(6), L"Overflow"},
      // A run collapsed earlier moves the later one back by the spaces removed.
      {"OnlyOneSpace: run at 32769 after two removed",
       Member::kOnlyOneSpace,
       {L"a   " + Repeat(L'x', 32763) + L"  b"},
       S_OK,
       L"a " + Repeat(L'x', 32763) + L" b"},
      {"OnlyOneSpace: run at 32770 after two removed",
       Member::kOnlyOneSpace,
       {L"a   " + Repeat(L'x', 32764) + L"  b"},
       StandardError(6),
       L"Overflow"},
  };
  for (const Row& row : rows) {
    BSTR stale = SysAllocString(L"stale");
    BSTR result = stale;
    const HRESULT hr = CallMember(object.Get(), row.member, row.args, &result);
    EXPECT_EQ(hr, row.hr) << row.label;
    if (row.hr == S_OK) {
      EXPECT_TRUE(Text(result) == row.expected) << row.label << ": got " << Narrow(Text(result)).substr(0, 80);
      EXPECT_NE(result, nullptr) << row.label;  // the empty result is an empty String, not null
    } else {
      EXPECT_EQ(result, nullptr) << row.label;
      const auto info = TakeErrorInfo();
      EXPECT_EQ(info.description, row.expected) << row.label;
      EXPECT_EQ(info.source, L"TarnLib") << row.label;
    }
    if (result != stale) SysFreeString(result);
    SysFreeString(stale);
  }
}

// Null Strings read as empty ones.
TEST(StringMembers, NullStringsReadAsEmpty) {
  auto object = NewStringFunction();
  ASSERT_TRUE(object);
  Bstr result;
  ASSERT_EQ(object->ReplaceString(nullptr, Bstr(u"a").get(), Bstr(u"b").get(), result.put()), S_OK);
  EXPECT_EQ(Text(result.get()), L"");
  ASSERT_EQ(object->ReplaceString(Bstr(u"abc").get(), nullptr, Bstr(u"x").get(), result.put()), S_OK);
  EXPECT_EQ(Text(result.get()), L"abc");
  ASSERT_EQ(object->ReplaceString(Bstr(u"abc").get(), Bstr(u"b").get(), nullptr, result.put()), S_OK);
  EXPECT_EQ(Text(result.get()), L"ac");
  ASSERT_EQ(object->CSql(nullptr, result.put()), S_OK);
  EXPECT_EQ(Text(result.get()), L"");
}

// Late-bound callers pass Strings by value, by reference, inside a Variant by
// reference (as scripts pass variables), or as other types to be converted.
TEST(StringMembers, ReplaceStringAndCSqlThroughIDispatchWithEveryFormOfArgument) {
  auto object = NewStringFunction();
  ASSERT_TRUE(object);
  BSTR data = SysAllocString(L"it's Bob's");
  VARIANT data_holder;
  V_VT(&data_holder) = VT_BSTR;
  V_BSTR(&data_holder) = data;  // owned by `data`
  const auto by_value = [&] {
    VARIANT v;
    V_VT(&v) = VT_BSTR;
    V_BSTR(&v) = data;
    return v;
  };
  const auto by_reference = [&] {
    VARIANT v;
    V_VT(&v) = VT_BSTR | VT_BYREF;
    V_BSTRREF(&v) = &data;
    return v;
  };
  const auto in_variant = [&] {
    VARIANT v;
    V_VT(&v) = VT_VARIANT | VT_BYREF;
    V_VARIANTREF(&v) = &data_holder;
    return v;
  };
  VARIANT apostrophe = BstrArg(L"'");
  VARIANT doubled = BstrArg(L"''");
  const struct {
    const char* label;
    const wchar_t* member;
    std::vector<VARIANT> args;
    const wchar_t* expected;
  } rows[] = {
      {"ReplaceString by value", L"ReplaceString", {by_value(), apostrophe, doubled}, L"it''s Bob''s"},
      {"ReplaceString by reference", L"ReplaceString", {by_reference(), apostrophe, doubled}, L"it''s Bob''s"},
      {"ReplaceString in a Variant", L"ReplaceString", {in_variant(), apostrophe, doubled}, L"it''s Bob''s"},
      {"ReplaceString of numbers", L"ReplaceString", {LongArg(12121), LongArg(1), apostrophe}, L"'2'2'"},
      {"CSql by value", L"CSql", {by_value()}, L"it''s Bob''s"},
      {"CSql in a Variant", L"CSql", {in_variant()}, L"it''s Bob''s"},
  };
  for (const auto& row : rows) {
    Variant result;
    EXCEPINFO exception{};
    std::vector<VARIANT> reversed(row.args.rbegin(), row.args.rend());
    DISPID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(row.member)};
    ASSERT_EQ(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK) << row.label;
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    UINT bad = 0;
    const Outcome outcome = FromException(
        object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, result.get(), &exception, &bad),
        exception);
    EXPECT_EQ(outcome.hr, S_OK) << row.label << ": " << Narrow(outcome.description);
    ASSERT_EQ(V_VT(result.get()), VT_BSTR) << row.label;
    EXPECT_EQ(Text(V_BSTR(result.get())), row.expected) << row.label;
  }
  // The caller's text is untouched.
  EXPECT_EQ(Text(data), L"it's Bob's");
  SysFreeString(data);
  VariantClear(&apostrophe);
  VariantClear(&doubled);
}

// ----------------------------------------------------------------------------
// NoNull and IsCustomString: Variant results

TEST(StringMembers, NoNullTurnsOnlyNullIntoAnEmptyString) {
  auto object = NewStringFunction();
  ASSERT_TRUE(object);
  const auto make = [](VARTYPE type, auto assign) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = type;
    assign(v);
    return v;
  };
  struct Row {
    const char* label;
    VARIANT input;
    VARTYPE type;  // of the result
  };
  Row rows[] = {
      {"Null", make(VT_NULL, [](VARIANT&) {}), VT_BSTR},
      {"Empty", make(VT_EMPTY, [](VARIANT&) {}), VT_EMPTY},
      {"Integer 5", make(VT_I2, [](VARIANT& v) { V_I2(&v) = 5; }), VT_I2},
      {"Long 0", make(VT_I4, [](VARIANT& v) { V_I4(&v) = 0; }), VT_I4},
      {"Double 2.5", make(VT_R8, [](VARIANT& v) { V_R8(&v) = 2.5; }), VT_R8},
      {"Currency", make(VT_CY, [](VARIANT& v) { V_CY(&v).int64 = 12345; }), VT_CY},
      {"Date", make(VT_DATE, [](VARIANT& v) { V_DATE(&v) = 45000.5; }), VT_DATE},
      {"Boolean False", make(VT_BOOL, [](VARIANT& v) { V_BOOL(&v) = VARIANT_FALSE; }), VT_BOOL},
      {"String", make(VT_BSTR, [](VARIANT& v) { V_BSTR(&v) = SysAllocString(L"Null"); }), VT_BSTR},
      {"empty String", make(VT_BSTR, [](VARIANT& v) { V_BSTR(&v) = SysAllocString(L""); }), VT_BSTR},
      {"missing", MissingArg(), VT_ERROR},
  };
  for (Row& row : rows) {
    Variant result;
    ASSERT_EQ(object->NoNull(row.input, result.get()), S_OK) << row.label;
    ASSERT_EQ(V_VT(result.get()), row.type) << row.label;
    if (V_VT(&row.input) == VT_NULL) {
      EXPECT_NE(V_BSTR(result.get()), nullptr) << row.label;
      EXPECT_EQ(Text(V_BSTR(result.get())), L"") << row.label;
    } else if (row.type == VT_ERROR) {
      EXPECT_EQ(V_ERROR(result.get()), V_ERROR(&row.input)) << row.label;
    } else {
      EXPECT_EQ(VarCmp(result.get(), &row.input, LOCALE_USER_DEFAULT, 0), static_cast<HRESULT>(VARCMP_EQ)) << row.label;
    }
    VariantClear(&row.input);
  }

  // Through IDispatch, as a script passes Null.
  Variant result;
  EXCEPINFO exception{};
  VARIANT null;
  V_VT(&null) = VT_NULL;
  ASSERT_EQ(InvokeByName(object.Get(), L"NoNull", DISPATCH_METHOD, {null}, result.get(), &exception), S_OK);
  EXPECT_EQ(V_VT(result.get()), VT_BSTR);
}

TEST(StringMembers, IsCustomStringAnswersWithABooleanVariant) {
  auto object = NewStringFunction();
  ASSERT_TRUE(object);
  const struct {
    const wchar_t* testo;
    const wchar_t* good_chars;
    bool expected;
  } rows[] = {
      {L"12a", L"0123456789", false},
      {L"1234", L"0123456789", true},
      {L"", L"x", true},
      {L"", L"", true},
      {L"abc", L"", false},
      {L"abc", L"ABC", false},  // case-sensitive
      {L"cab", L"abc", true},
      {L"\u00e8\u65e5", L"x\u65e5\u00e8", true},
      {L"a b", L"ab", false},
  };
  for (const auto& row : rows) {
    Variant result;
    ASSERT_EQ(object->IsCustomString(MakeBstr(row.testo).get(), MakeBstr(row.good_chars).get(), result.get()), S_OK)
        << Narrow(row.testo) << " / " << Narrow(row.good_chars);
    EXPECT_EQ(V_VT(result.get()), VT_BOOL) << Narrow(row.testo) << " / " << Narrow(row.good_chars);
    EXPECT_EQ(V_BOOL(result.get()), row.expected ? VARIANT_TRUE : VARIANT_FALSE)
        << Narrow(row.testo) << " / " << Narrow(row.good_chars);
  }
}

// ----------------------------------------------------------------------------
// GetRndString

TEST(GetRndString, LengthAndAlphabet) {
  auto object = NewStringFunction();
  ASSERT_TRUE(object);
  const struct {
    LONG length;
    const wchar_t* chars;
    size_t expected_length;
  } rows[] = {
      {10, kDefaultCharacters, 10}, {5, L"x", 5}, {0, L"abc", 0}, {-5, L"abc", 0}, {1, L"\u65e5", 1},
      {3000, L"xy", 3000},
  };
  for (const auto& row : rows) {
    Bstr result;
    ASSERT_EQ(object->GetRndString(row.length, MakeBstr(row.chars).get(), result.put()), S_OK)
        << row.length << " over " << Narrow(row.chars);
    const std::wstring text = Text(result.get());
    EXPECT_NE(result.get(), nullptr) << row.length << " over " << Narrow(row.chars);
    EXPECT_EQ(text.size(), row.expected_length) << row.length << " over " << Narrow(row.chars);
    EXPECT_EQ(text.find_first_not_of(row.chars), std::wstring::npos) << row.length << " over " << Narrow(row.chars);
  }
}

// Every entry of the set is drawn, the last one included, and an entry given
// twice turns up about twice as often.
TEST(GetRndString, DrawsEveryEntryWithEqualChance) {
  auto object = NewStringFunction();
  ASSERT_TRUE(object);
  Bstr result;
  ASSERT_EQ(object->GetRndString(6200, MakeBstr(kDefaultCharacters).get(), result.put()), S_OK);
  const std::wstring all = Text(result.get());
  for (const wchar_t* c = kDefaultCharacters; *c; ++c) {
    EXPECT_NE(all.find(*c), std::wstring::npos) << "never drawn: " << static_cast<char>(*c);
  }
  ASSERT_EQ(object->GetRndString(30000, Bstr(u"aab").get(), result.put()), S_OK);
  const std::wstring weighted = Text(result.get());
  const auto a = std::count(weighted.begin(), weighted.end(), L'a');
  const auto b = std::count(weighted.begin(), weighted.end(), L'b');
  EXPECT_EQ(a + b, 30000);
  // Expected 20000 a; the standard deviation is about 82.
  EXPECT_NEAR(static_cast<double>(a), 20000.0, 600.0);
}

TEST(GetRndString, ErrorsThroughTheVtable) {
  auto object = NewStringFunction();
  ASSERT_TRUE(object);
  const struct {
    const char* label;
    LONG length;
    const wchar_t* chars;  // nullptr: a null BSTR
    HRESULT hr;
    const wchar_t* description;
    const wchar_t* source;
  } rows[] = {
      {"empty set, length 10", 10, L"", kEmptyCharactersError, kEmptyCharactersText, L"TarnLib.dll"},
      {"empty set, length 0", 0, L"", kEmptyCharactersError, kEmptyCharactersText, L"TarnLib.dll"},
      {"empty set, length -1", -1, L"", kEmptyCharactersError, kEmptyCharactersText, L"TarnLib.dll"},
      {"null set", 3, nullptr, kEmptyCharactersError, kEmptyCharactersText, L"TarnLib.dll"},
      // The empty set is checked first, whatever the length.
      {"empty set, length -2147483648", LONG_MIN, L"", kEmptyCharactersError, kEmptyCharactersText, L"TarnLib.dll"},
      {"length -2147483648", LONG_MIN, L"abc", StandardError(6), L"Overflow", L"TarnLib"},
  };
  for (const auto& row : rows) {
    BSTR stale = SysAllocString(L"stale");
    BSTR result = stale;
    const Bstr chars = row.chars ? MakeBstr(row.chars) : Bstr();
    EXPECT_EQ(object->GetRndString(row.length, chars.get(), &result), row.hr) << row.label;
    EXPECT_EQ(result, nullptr) << row.label;
    const auto info = TakeErrorInfo();
    EXPECT_EQ(info.description, row.description) << row.label;
    EXPECT_EQ(info.source, row.source) << row.label;
    if (result != stale) SysFreeString(result);
    SysFreeString(stale);
  }
}

TEST(GetRndString, ThroughIDispatchTheSetDefaultsAndItsErrorIsExceptionInformation) {
  auto object = NewStringFunction();
  ASSERT_TRUE(object);
  {
    Variant result;
    EXCEPINFO exception{};
    ASSERT_EQ(InvokeByName(object.Get(), L"GetRndString", DISPATCH_METHOD, {LongArg(40)}, result.get(), &exception),
              S_OK);
    ASSERT_EQ(V_VT(result.get()), VT_BSTR);
    const std::wstring text = Text(V_BSTR(result.get()));
    EXPECT_EQ(text.size(), 40u);
    EXPECT_EQ(text.find_first_not_of(kDefaultCharacters), std::wstring::npos) << Narrow(text);
  }
  for (const LONG length : {10, 0}) {
    Variant result;
    EXCEPINFO exception{};
    VARIANT empty = BstrArg(L"");
    const HRESULT hr = InvokeByName(object.Get(), L"GetRndString", DISPATCH_METHOD, {LongArg(length), empty},
                                    result.get(), &exception);
    VariantClear(&empty);
    const Outcome outcome = FromException(hr, exception);
    EXPECT_EQ(hr, DISP_E_EXCEPTION) << length;
    EXPECT_EQ(outcome.hr, kEmptyCharactersError) << length;
    EXPECT_EQ(outcome.description, kEmptyCharactersText) << length;
    EXPECT_EQ(outcome.source, L"TarnLib.dll") << length;
  }
}

}  // namespace
}  // namespace tarn::client
