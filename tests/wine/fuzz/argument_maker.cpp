#include "tests/wine/fuzz/argument_maker.h"

#include <climits>
#include <cmath>
#include <cstring>
#include <limits>

namespace tarn::fuzz {
namespace {

// Characters Strings are built from: letters of several cases and scripts,
// blanks of several kinds, quotes, path and wildcard signs, NUL and lone
// surrogates.
const wchar_t kCharacters[] = {L'a',   L'A',   L'b',   L'B',   L'z',   L' ',   L' ',   L'0',   L'9',
                               L'\t',  L'\r',  L'\n',  L'\'',  L'"',   L'*',   L'?',   L'/',   L'\\',
                               L':',   L'.',   L',',   L'-',   0x00E9, 0x00DF, 0x0130, 0x0131, 0xFB00,
                               0x00A0, 0x3000, 0x0000, 0xD800, 0xDC00, 0xFFFF, L'k',   L'K',   L'_'};
// Keys a collection is likely to hold, so that later calls find them.
const wchar_t* const kKeys[] = {L"a", L"A", L"b", L"key", L"Key", L"1", L"2", L"", L" a", L"k\u00e9"};
// Texts that convert to numbers, dates or Booleans.
const wchar_t* const kNumericTexts[] = {L"12",   L"-1",       L"0",     L"1e400",       L"3.5", L"&H10",
                                        L"True", L"1/1/2000", L"32768", L"-2147483649", L" 7 ", L"2147483647"};
// Names a lookup may try: loopback, addresses, and the reserved .invalid domain.
const wchar_t* const kNames[] = {L"localhost", L"127.0.0.1",       L"x.invalid",  L"tarn-fuzz.invalid", L"",
                                 L"0",         L"127.1",           L"::1",        L"192.0.2.1",         L"-1",
                                 L"1.2.3.4.5", L"255.255.255.255", L"a b.invalid"};
const LONG kIntegers[] = {0,   1,     -1,     2,     7,     13,    32,      65,      127,     128,      255,
                          256, 32767, -32768, 32768, 65535, 65536, INT_MAX, INT_MIN, 1000000, -1000000, 2147483646};

}  // namespace

CallStorage::~CallStorage() {
  for (VARIANT& target : targets_) VariantClear(&target);
}

VARIANT& CallStorage::Target() {
  targets_.emplace_back();
  VariantInit(&targets_.back());
  return targets_.back();
}

DECIMAL& CallStorage::DecimalTarget() {
  decimals_.emplace_back();
  return decimals_.back();
}

ArgumentMaker::ArgumentMaker(std::mt19937_64& random, std::function<IDispatch*()> own_object)
    : random_(random), own_object_(std::move(own_object)) {}

LONG ArgumentMaker::Integer() {
  LONG value = Chance(4) ? static_cast<LONG>(Next()) : kIntegers[Below(std::size(kIntegers))];
  if (limits.answers.small_numbers && (value > 5000 || value < -5000)) value = static_cast<LONG>(Below(5000));
  return value;
}

BSTR ArgumentMaker::NameString() {
  switch (Below(8)) {
    case 0:
      return nullptr;
    case 1: {
      // A label over any length limit, still under .invalid.
      std::wstring name(64 + Below(300), L'a');
      return SysAllocString((name + L".invalid").c_str());
    }
    case 2: {
      // Text after a NUL: a lookup must not see it, and what it sees is a
      // name under .invalid.
      const wchar_t text[] = L"y.invalid\0tail.example";
      return SysAllocStringLen(text, static_cast<UINT>(std::size(text) - 1));
    }
    case 3: {
      const wchar_t text[] = {L'x', 0xD800, L'.', L'i', L'n', L'v', L'a', L'l', L'i', L'd'};
      return SysAllocStringLen(text, static_cast<UINT>(std::size(text)));
    }
    case 4:
      if (Chance(50)) return SysAllocString((std::wstring(1000000, L'h') + L".invalid").c_str());
      [[fallthrough]];
    default:
      return SysAllocString(kNames[Below(std::size(kNames))]);
  }
}

BSTR ArgumentMaker::String() {
  if (limits.answers.no_names) return NameString();
  switch (Below(12)) {
    case 0:
      return nullptr;
    case 1:
      return SysAllocString(L"");
    case 2:
    case 3:
      return SysAllocString(kKeys[Below(std::size(kKeys))]);
    case 4: {
      const wchar_t* text = kNumericTexts[Below(std::size(kNumericTexts))];
      if (limits.answers.small_numbers) text = L"12";
      return SysAllocString(text);
    }
    case 5: {
      // Long, sometimes a million characters.
      const size_t length = Chance(40) ? 1000000 : 1000 + Below(4000);
      std::wstring text(length, L'a');
      for (size_t i = 0; i < length; i += 1 + Below(50)) text[i] = kCharacters[Below(std::size(kCharacters))];
      return SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    }
    case 6: {
      // An odd number of bytes: a String no Automation client makes, but a
      // valid BSTR.
      const char bytes[] = "abcde";
      return SysAllocStringByteLen(bytes, 1 + Below(5));
    }
    default: {
      std::wstring text(Below(13), L'a');
      for (auto& c : text) c = kCharacters[Below(std::size(kCharacters))];
      return SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    }
  }
}

void ArgumentMaker::Object(VARIANT& v, VARTYPE type) {
  V_VT(&v) = type;
  V_UNKNOWN(&v) = nullptr;
  switch (Below(6)) {
    case 0:
      return;  // Nothing
    case 1:
    case 2:
      if (limits.fake_dispatch) {
        V_DISPATCH(&v) = FakeDispatch::Create(Next(), &limits.answers);
        return;
      }
      break;
    case 3:
    case 4:
      if (type == VT_UNKNOWN) {
        V_UNKNOWN(&v) = FakeUnknown::Create();
        return;
      }
      break;
    default:
      break;
  }
  if (limits.own_objects) V_DISPATCH(&v) = own_object_();
}

SAFEARRAY* ArgumentMaker::Array(VARTYPE element, int depth) {
  static const LONG kLowerBounds[] = {0, 1, -5, 0x7FFFFFF0};
  const UINT dimensions = Chance(3) ? 2 : 1;
  SAFEARRAYBOUND bounds[2];
  for (UINT d = 0; d < dimensions; ++d) {
    bounds[d].cElements = Below(4);
    bounds[d].lLbound = kLowerBounds[Below(std::size(kLowerBounds))];
  }
  SAFEARRAY* array = SafeArrayCreate(element, dimensions, bounds);
  if (!array) return nullptr;
  const ULONG count = bounds[0].cElements * (dimensions == 2 ? bounds[1].cElements : 1);
  void* data = nullptr;
  if (count && SUCCEEDED(SafeArrayAccessData(array, &data))) {
    for (ULONG i = 0; i < count; ++i) {
      switch (element) {
        case VT_BSTR:
          static_cast<BSTR*>(data)[i] = String();
          break;
        case VT_VARIANT: {
          VARIANT& item = static_cast<VARIANT*>(data)[i];
          CallStorage none;  // elements are never by reference
          Scalar(item, none, depth + 1);
          break;
        }
        case VT_I4:
          static_cast<LONG*>(data)[i] = Integer();
          break;
        case VT_I2:
          static_cast<SHORT*>(data)[i] = static_cast<SHORT>(Integer());
          break;
        case VT_UI1:
          static_cast<BYTE*>(data)[i] = static_cast<BYTE>(Next());
          break;
        default:
          break;
      }
    }
    SafeArrayUnaccessData(array);
  }
  return array;
}

void ArgumentMaker::Scalar(VARIANT& v, CallStorage& storage, int depth) {
  VariantInit(&v);
  const bool small = limits.answers.small_numbers;
  unsigned pick = Below(24);
  if (limits.few_shapes && pick >= 6 && pick <= 15) pick = 4;  // integers instead of other numbers
  switch (pick) {
    case 0:
      return;  // Empty
    case 1:
      V_VT(&v) = VT_NULL;
      return;
    case 2:
      V_VT(&v) = VT_ERROR;
      V_ERROR(&v) = DISP_E_PARAMNOTFOUND;  // missing
      return;
    case 3:
      V_VT(&v) = VT_ERROR;
      V_ERROR(&v) = Chance(2) ? static_cast<SCODE>(E_FAIL) : static_cast<SCODE>(Next());
      return;
    case 4:
      V_VT(&v) = VT_I4;
      V_I4(&v) = Integer();
      return;
    case 5:
      V_VT(&v) = VT_I2;
      V_I2(&v) = static_cast<SHORT>(Integer());
      return;
    case 6:
    case 7: {
      static const double kDoubles[] = {std::numeric_limits<double>::quiet_NaN(),
                                        std::numeric_limits<double>::infinity(),
                                        -std::numeric_limits<double>::infinity(),
                                        0.0,
                                        -0.0,
                                        1e308,
                                        -1e308,
                                        4.9e-324,
                                        2147483647.5,
                                        -2147483648.5,
                                        32767.5,
                                        0.5,
                                        1.5,
                                        2.5};
      V_VT(&v) = VT_R8;
      V_R8(&v) = kDoubles[Below(std::size(kDoubles))];
      // Wine converts NaN to the largest Long: not a small number either.
      if (small && !(std::fabs(V_R8(&v)) <= 5000)) V_R8(&v) = 3.5;
      return;
    }
    case 8:
      V_VT(&v) = VT_R4;
      V_R4(&v) = small ? 9.5f : (Chance(2) ? std::numeric_limits<float>::quiet_NaN() : 3.4e38f);
      return;
    case 9:
      V_VT(&v) = VT_BOOL;
      V_BOOL(&v) = static_cast<VARIANT_BOOL>(Chance(3) ? 5 : (Chance(2) ? VARIANT_TRUE : VARIANT_FALSE));
      return;
    case 10: {
      static const double kDates[] = {0.0, -657434.0, 2958465.99999, 1e300, -1e300, 25569.5, 50000.0};
      V_VT(&v) = VT_DATE;
      V_DATE(&v) = Chance(6) ? std::numeric_limits<double>::quiet_NaN() : kDates[Below(std::size(kDates))];
      if (small && !(std::fabs(V_DATE(&v)) <= 5000)) V_DATE(&v) = 2.0;
      return;
    }
    case 11:
      V_VT(&v) = VT_CY;
      V_CY(&v).int64 = small ? 35000 : (Chance(2) ? LLONG_MAX : LLONG_MIN);
      return;
    case 12: {
      V_VT(&v) = VT_DECIMAL;
      DECIMAL& d = V_DECIMAL(&v);
      d.scale = static_cast<BYTE>(Below(30));  // 29 is out of range
      d.sign = Chance(2) ? DECIMAL_NEG : 0;
      d.Hi32 = small ? 0 : static_cast<ULONG>(Next());
      d.Lo64 = small ? Below(100) : Next();
      V_VT(&v) = VT_DECIMAL;  // the decimal overlays the type field's neighbours
      return;
    }
    case 13: {
      static const VARTYPE kOthers[] = {VT_I1, VT_UI1, VT_UI2, VT_UI4, VT_I8, VT_UI8, VT_INT, VT_UINT};
      V_VT(&v) = kOthers[Below(std::size(kOthers))];
      V_UI8(&v) = small ? Below(100) : Next();
      return;
    }
    case 14:
    case 15:
      if (limits.few_shapes) {
        V_VT(&v) = VT_I4;
        V_I4(&v) = Integer();
        return;
      }
      Object(v, Chance(3) ? VT_UNKNOWN : VT_DISPATCH);
      return;
    case 16:
    case 17: {
      static const VARTYPE kElements[] = {VT_VARIANT, VT_BSTR, VT_I4, VT_I2, VT_UI1};
      const VARTYPE element = depth > 1 ? static_cast<VARTYPE>(VT_I4) : kElements[Below(std::size(kElements))];
      V_VT(&v) = static_cast<VARTYPE>(VT_ARRAY | element);
      V_ARRAY(&v) = Chance(8) ? nullptr : Array(element, depth);
      return;
    }
    default:
      V_VT(&v) = VT_BSTR;
      V_BSTR(&v) = String();
      (void)storage;
      return;
  }
}

void ArgumentMaker::Any(VARIANT& v, CallStorage& storage, int depth) {
  if (depth > 1 || !Chance(4) || (depth == 1 && !Chance(3))) {
    Scalar(v, storage, depth);
    return;
  }
  VariantInit(&v);
  if (Chance(10)) {
    // A by-reference form with a NULL pointer.
    static const VARTYPE kTypes[] = {VT_VARIANT, VT_BSTR, VT_I4, VT_I2, VT_BOOL, VT_DISPATCH, VT_ARRAY | VT_BSTR};
    V_VT(&v) = static_cast<VARTYPE>(VT_BYREF | kTypes[Below(std::size(kTypes))]);
    V_BYREF(&v) = nullptr;
    return;
  }
  VARIANT& target = storage.Target();
  // Now and then a reference to a reference (NULL ones included), which no
  // well-behaved client sends but a careless one can.
  if (Chance(8)) {
    Any(target, storage, depth + 1);
  } else {
    Scalar(target, storage, depth + 1);
  }
  const VARTYPE inner = V_VT(&target);
  if (Chance(2) || inner == VT_EMPTY || inner == VT_NULL || (inner & VT_BYREF)) {
    V_VT(&v) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&v) = &target;
  } else if (inner == VT_DECIMAL) {
    DECIMAL& decimal = storage.DecimalTarget();
    decimal = V_DECIMAL(&target);
    VariantInit(&target);
    V_VT(&v) = VT_BYREF | VT_DECIMAL;
    V_DECIMALREF(&v) = &decimal;
  } else {
    V_VT(&v) = static_cast<VARTYPE>(VT_BYREF | inner);
    V_BYREF(&v) = &V_UI1(&target);  // the value's place inside the target
  }
}

void ArgumentMaker::ForSlot(VARTYPE type, VARIANT& v, CallStorage& storage, bool& null_pointer) {
  VariantInit(&v);
  if (type & VT_BYREF) {
    if (Chance(10)) {
      null_pointer = true;
      V_VT(&v) = type;
      V_BYREF(&v) = nullptr;
      return;
    }
    const VARTYPE base = static_cast<VARTYPE>(type & ~VT_BYREF);
    VARIANT& target = storage.Target();
    if (base == VT_VARIANT) {
      Scalar(target, storage, 1);
      V_VT(&v) = type;
      V_VARIANTREF(&v) = &target;
      return;
    }
    ForSlot(base, target, storage, null_pointer);
    if (base & VT_ARRAY) {
      // A wrong element type or dimension count now and then.
      if (Chance(4)) {
        SafeArrayDestroy(V_ARRAY(&target));
        V_ARRAY(&target) = Chance(3) ? nullptr : Array(Chance(2) ? VT_VARIANT : VT_I4, 0);
        if (V_ARRAY(&target)) {
          VARTYPE element = VT_EMPTY;
          SafeArrayGetVartype(V_ARRAY(&target), &element);
          V_VT(&target) = static_cast<VARTYPE>(VT_ARRAY | element);
        }
      }
    }
    V_VT(&v) = type;
    V_BYREF(&v) = &V_UI1(&target);
    return;
  }
  V_VT(&v) = type;
  switch (type) {
    case VT_BSTR:
      V_BSTR(&v) = String();
      return;
    case VT_I2:
      V_I2(&v) = static_cast<SHORT>(Integer());
      return;
    case VT_I4:
      V_I4(&v) = Integer();
      return;
    case VT_BOOL:
      V_BOOL(&v) = static_cast<VARIANT_BOOL>(Chance(4) ? 5 : (Chance(2) ? VARIANT_TRUE : VARIANT_FALSE));
      return;
    case VT_VARIANT:
      V_VT(&v) = VT_EMPTY;
      Any(v, storage, 0);
      return;
    case VT_DISPATCH:
    case VT_UNKNOWN:
      Object(v, type);
      return;
    default:
      if (type & VT_ARRAY) {
        V_ARRAY(&v) = Chance(6) ? nullptr : Array(static_cast<VARTYPE>(type & VT_TYPEMASK), 0);
        return;
      }
      V_UI8(&v) = Next();
      return;
  }
}

std::string InvalidArray(SAFEARRAY* array, int depth) {
  if (!array) return {};
  const UINT dimensions = SafeArrayGetDim(array);
  if (dimensions == 0 || dimensions > 60) return "an array of " + std::to_string(dimensions) + " dimensions";
  VARTYPE element = VT_EMPTY;
  if (FAILED(SafeArrayGetVartype(array, &element))) return "an array without element type";
  ULONGLONG count = 1;
  for (UINT d = 1; d <= dimensions; ++d) {
    LONG low = 0, high = 0;
    if (FAILED(SafeArrayGetLBound(array, d, &low)) || FAILED(SafeArrayGetUBound(array, d, &high))) {
      return "an array whose bounds cannot be read";
    }
    count *= static_cast<ULONGLONG>(static_cast<LONGLONG>(high) - low + 1);
  }
  if (count > 100000000) return "an array of implausible size";
  if (element != VT_BSTR && element != VT_VARIANT) return {};
  void* data = nullptr;
  if (count == 0) return {};
  if (FAILED(SafeArrayAccessData(array, &data))) return "an array whose data cannot be reached";
  std::string problem;
  for (ULONGLONG i = 0; i < count && problem.empty(); ++i) {
    if (element == VT_BSTR) {
      const BSTR s = static_cast<BSTR*>(data)[i];
      if (s && SysStringByteLen(s) > 0x7FFFFFFF) problem = "an array element with a bad length";
    } else {
      problem = InvalidVariant(static_cast<VARIANT*>(data)[i], false, depth + 1);
    }
  }
  SafeArrayUnaccessData(array);
  return problem;
}

std::string InvalidVariant(const VARIANT& v, bool by_reference_allowed, int depth) {
  if (depth > 8) return "nesting deeper than 8";
  VARTYPE type = V_VT(&v);
  if (type & VT_BYREF) {
    if (!by_reference_allowed) return "a by-reference value (" + TypeName(type) + ") where a value belongs";
    return {};
  }
  if (type & ~(VT_ARRAY | VT_TYPEMASK)) return "type bits " + TypeName(type);
  if (type & VT_ARRAY) {
    const VARTYPE element = type & VT_TYPEMASK;
    std::string problem = InvalidArray(V_ARRAY(&v), depth);
    VARTYPE stored = VT_EMPTY;
    if (problem.empty() && V_ARRAY(&v) && SUCCEEDED(SafeArrayGetVartype(V_ARRAY(&v), &stored)) && stored != element) {
      problem = "an array typed " + TypeName(type) + " holding " + TypeName(stored);
    }
    return problem;
  }
  switch (type) {
    case VT_EMPTY:
    case VT_NULL:
    case VT_I2:
    case VT_I4:
    case VT_R4:
    case VT_R8:
    case VT_CY:
    case VT_DATE:
    case VT_ERROR:
    case VT_I1:
    case VT_UI1:
    case VT_UI2:
    case VT_UI4:
    case VT_I8:
    case VT_UI8:
    case VT_INT:
    case VT_UINT:
    // Any Boolean or decimal: members hand back what a client stored or passed
    // (a Boolean of 5, a decimal of scale 29), as the platform's own copy does.
    case VT_BOOL:
    case VT_DECIMAL:
      return {};
    case VT_BSTR: {
      const BSTR s = V_BSTR(&v);
      if (!s) return {};
      const UINT bytes = SysStringByteLen(s);
      if (bytes > 0x7FFFFFF0) return "a String with a bad length";
      const UINT length = SysStringLen(s);
      if (length && (s[0] == 0xFEEE && s[length - 1] == 0xFEEE)) return "a String in freed memory";
      return {};
    }
    case VT_DISPATCH:
    case VT_UNKNOWN: {
      IUnknown* object = V_UNKNOWN(&v);
      if (!object) return {};
      object->AddRef();
      object->Release();
      return {};
    }
    default:
      return "type " + TypeName(type);
  }
}

bool HoldsNothing(const VARIANT& v) {
  const VARTYPE type = V_VT(&v);
  if (type & VT_BYREF) return false;
  if (type & VT_ARRAY) return V_ARRAY(&v) == nullptr;
  switch (type) {
    case VT_BSTR:
      return V_BSTR(&v) == nullptr;
    case VT_DISPATCH:
    case VT_UNKNOWN:
      return V_UNKNOWN(&v) == nullptr;
    default:
      return true;
  }
}

std::string TypeName(VARTYPE type) {
  static const char* const kNames[] = {"Empty", "Null",     "I2",    "I4",   "R4",      "R8",      "CY",      "Date",
                                       "BSTR",  "Dispatch", "Error", "Bool", "Variant", "Unknown", "Decimal", "?15",
                                       "I1",    "UI1",      "UI2",   "UI4",  "I8",      "UI8",     "Int",     "UInt"};
  const VARTYPE base = type & VT_TYPEMASK;
  std::string name = base < std::size(kNames) ? kNames[base] : std::to_string(base);
  if (type & VT_ARRAY) name = "Array(" + name + ")";
  if (type & VT_BYREF) name = "ByRef " + name;
  if (type & ~(VT_BYREF | VT_ARRAY | VT_TYPEMASK)) name += "+flags";
  return name;
}

}  // namespace tarn::fuzz
