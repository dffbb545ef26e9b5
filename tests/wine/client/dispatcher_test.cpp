// The library's own IDispatch against the platform's type-library dispatch
// (ITypeInfo::Invoke on the same type information), member by member. Every
// member of every interface is taken from the type information and called
// through both roads, each on a fresh object, with a table of argument shapes;
// results, HRESULTs, puArgErr, exception information and what by-reference
// arguments hold afterwards must agree, except where the platform's dispatch
// is known to go wrong (each such case is named below and checked on its own).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <deque>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "tests/wine/client/client_support.h"

namespace tarn::client {
namespace {

constexpr UINT kUntouched = 0xDEADBEEFu;

// Members with effects outside this process (a keystroke, the mouse clip,
// the registry, name lookups on the network): called only with argument
// shapes that fail before the member runs.
const std::set<std::wstring> kOutsideEffects = {L"ConvertRetToTab", L"LimitCursor", L"ReleaseCursor", L"SaveSetting",
                                                L"DeleteSetting",   L"GetIp",       L"HostByAddr"};
// Members whose result is random or follows the clock: compared by type (and
// a String's length) only.
const std::set<std::wstring> kVaryingResults = {L"GetRndString", L"SecFrom1970"};

enum class Shape {
  kByValue,
  kByValueMethodOnly,  // the plain flag alone (DISPATCH_METHOD, DISPATCH_PROPERTYGET)
  kByReference,
  kInVariant,  // every argument a Variant passed by reference, as scripts pass variables
  kConverted,  // values of another type that convert
  kMissingMarker,
  kOmitted,
  kNamed,
  kWrongType,
  kOverflow,
  kTooMany,
  kTooFew,
  kPutWithoutName,
};

const char* NameOf(Shape shape) {
  switch (shape) {
    case Shape::kByValue:
      return "by value";
    case Shape::kByValueMethodOnly:
      return "by value, plain flag";
    case Shape::kByReference:
      return "by reference";
    case Shape::kInVariant:
      return "in a Variant by reference";
    case Shape::kConverted:
      return "converted";
    case Shape::kMissingMarker:
      return "missing marker";
    case Shape::kOmitted:
      return "omitted";
    case Shape::kNamed:
      return "named";
    case Shape::kWrongType:
      return "wrong type";
    case Shape::kOverflow:
      return "overflow";
    case Shape::kTooMany:
      return "too many";
    case Shape::kTooFew:
      return "too few";
    case Shape::kPutWithoutName:
      return "put without DISPID_PROPERTYPUT";
  }
  return "?";
}

// One parameter as a client sees it: the type of value it takes and whether
// the slot takes it by reference.
struct Param {
  VARTYPE base;  // VT_BSTR, VT_I2, VT_I4, VT_BOOL, VT_VARIANT, VT_DISPATCH, VT_UNKNOWN, VT_ARRAY | VT_BSTR
  bool by_reference;
  bool optional;
  bool has_default;
  std::wstring name;
};

struct Member {
  std::wstring name;
  DISPID id;
  INVOKEKIND kind;
  std::vector<Param> params;  // without the [retval] one
  bool has_result;
};

VARTYPE BaseOf(ITypeInfo* info, const TYPEDESC& desc, bool& by_reference) {
  switch (desc.vt) {
    case VT_PTR: {
      if (desc.lptdesc->vt == VT_USERDEFINED) {
        bool ignored = false;
        const VARTYPE target = BaseOf(info, *desc.lptdesc, ignored);
        if (target == VT_DISPATCH || target == VT_UNKNOWN) return target;
      }
      by_reference = true;
      bool ignored = false;
      return BaseOf(info, *desc.lptdesc, ignored);
    }
    case VT_SAFEARRAY:
      return static_cast<VARTYPE>(VT_ARRAY | desc.lptdesc->vt);
    case VT_USERDEFINED: {
      ComPtr<ITypeInfo> target;
      TYPEATTR* attr = nullptr;
      VARTYPE type = VT_UNKNOWN;
      if (SUCCEEDED(info->GetRefTypeInfo(desc.hreftype, target.GetAddressOf())) &&
          SUCCEEDED(target->GetTypeAttr(&attr))) {
        type = attr->typekind == TKIND_ENUM ? VT_I4 : VT_DISPATCH;
        target->ReleaseTypeAttr(attr);
      }
      return type;
    }
    default:
      return desc.vt;
  }
}

std::vector<Member> MembersOf(ITypeInfo* dispatch_view) {
  HREFTYPE partner = 0;
  ComPtr<ITypeInfo> vtable;
  EXPECT_EQ(dispatch_view->GetRefTypeOfImplType(static_cast<UINT>(-1), &partner), S_OK);
  EXPECT_EQ(dispatch_view->GetRefTypeInfo(partner, vtable.GetAddressOf()), S_OK);
  std::vector<Member> members;
  TYPEATTR* attr = nullptr;
  if (!vtable || FAILED(vtable->GetTypeAttr(&attr))) return members;
  for (UINT i = 0; i < attr->cFuncs; ++i) {
    FUNCDESC* f = nullptr;
    if (FAILED(vtable->GetFuncDesc(i, &f))) continue;
    Member member{{}, f->memid, f->invkind, {}, false};
    BSTR names[16] = {};
    UINT got = 0;
    vtable->GetNames(f->memid, names, 16, &got);
    member.name = got ? Text(names[0]) : L"?";
    for (SHORT p = 0; p < f->cParams; ++p) {
      const ELEMDESC& elem = f->lprgelemdescParam[p];
      const USHORT flags = elem.paramdesc.wParamFlags;
      if (flags & PARAMFLAG_FRETVAL) {
        member.has_result = true;
        continue;
      }
      Param param{VT_EMPTY, false, (flags & PARAMFLAG_FOPT) != 0, (flags & PARAMFLAG_FHASDEFAULT) != 0,
                  static_cast<UINT>(p + 1) < got ? Text(names[p + 1]) : L""};
      param.base = BaseOf(vtable.Get(), elem.tdesc, param.by_reference);
      member.params.push_back(param);
    }
    for (UINT k = 0; k < got; ++k) SysFreeString(names[k]);
    vtable->ReleaseFuncDesc(f);
    members.push_back(member);
  }
  vtable->ReleaseTypeAttr(attr);
  return members;
}

VARIANT Make(VARTYPE type) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = type;
  return v;
}

// A value of `base` that every member can take.
VARIANT GoodValue(VARTYPE base) {
  VARIANT v = Make(base);
  switch (base) {
    case VT_BSTR:
    case VT_VARIANT:
      V_VT(&v) = VT_BSTR;
      V_BSTR(&v) = SysAllocString(L"Ab c");
      break;
    case VT_I2:
      V_I2(&v) = 3;
      break;
    case VT_I4:
      V_I4(&v) = 2;
      break;
    case VT_BOOL:
      V_BOOL(&v) = VARIANT_TRUE;
      break;
    case VT_DISPATCH:
      V_DISPATCH(&v) = nullptr;
      break;
    case VT_UNKNOWN:
      V_UNKNOWN(&v) = nullptr;
      break;
    default:
      if (base & VT_ARRAY) {
        SAFEARRAYBOUND bound{1, 0};
        V_ARRAY(&v) = SafeArrayCreate(base & VT_TYPEMASK, 1, &bound);
      }
      break;
  }
  return v;
}

// A value of another type that converts to `base`, or VT_EMPTY.
VARIANT ConvertibleValue(VARTYPE base) {
  VARIANT v = Make(VT_EMPTY);
  switch (base) {
    case VT_BSTR:
    case VT_VARIANT:
      V_VT(&v) = VT_I4;
      V_I4(&v) = 12;
      break;
    case VT_I2:
    case VT_I4:
      V_VT(&v) = VT_BSTR;
      V_BSTR(&v) = SysAllocString(L"3");
      break;
    case VT_BOOL:
      V_VT(&v) = VT_I4;
      V_I4(&v) = 1;
      break;
    default:
      break;
  }
  return v;
}

// A value that cannot convert to `base`, or VT_EMPTY for a Variant.
VARIANT WrongValue(VARTYPE base) {
  if (base == VT_VARIANT) return Make(VT_EMPTY);
  if (base & VT_ARRAY) {
    VARIANT v = Make(VT_BSTR);
    V_BSTR(&v) = SysAllocString(L"x");
    return v;
  }
  VARIANT v = Make(VT_ARRAY | VT_I4);
  SAFEARRAYBOUND bound{2, 0};
  V_ARRAY(&v) = SafeArrayCreate(VT_I4, 1, &bound);
  return v;
}

// The arguments of one call, built the same way for each road.
class Arguments {
 public:
  Arguments() = default;
  Arguments(const Arguments&) = delete;
  Arguments& operator=(const Arguments&) = delete;
  ~Arguments() {
    for (auto& value : values_) {
      if (!(V_VT(&value) & VT_BYREF)) VariantClear(&value);
    }
    for (auto& target : targets_) VariantClear(&target);
  }

  // Appends an argument in natural order.
  void Add(VARIANT value, DISPID name = DISPID_UNKNOWN) {
    values_.push_back(value);
    names_.push_back(name);
  }
  // Appends `value` passed by reference: typed (VT_BYREF | its type), or in a
  // Variant passed by reference.
  void AddByReference(VARIANT value, bool in_variant, DISPID name = DISPID_UNKNOWN) {
    targets_.push_back(value);
    VARIANT& target = targets_.back();
    VARIANT ref = Make(VT_EMPTY);
    if (in_variant || V_VT(&value) == VT_EMPTY) {
      V_VT(&ref) = VT_BYREF | VT_VARIANT;
      V_VARIANTREF(&ref) = &target;
    } else {
      V_VT(&ref) = static_cast<VARTYPE>(VT_BYREF | V_VT(&target));
      V_BYREF(&ref) = &V_UI1(&target);
    }
    Add(ref, name);
  }

  // Lays the arguments out for Invoke: named ones first, then the positional
  // ones last to first.
  DISPPARAMS* Params() {
    args_.clear();
    ids_.clear();
    for (size_t i = 0; i < values_.size(); ++i) {
      if (names_[i] != DISPID_UNKNOWN) {
        args_.push_back(values_[i]);
        ids_.push_back(names_[i]);
      }
    }
    for (size_t i = values_.size(); i-- > 0;) {
      if (names_[i] == DISPID_UNKNOWN) args_.push_back(values_[i]);
    }
    params_ = {args_.empty() ? nullptr : args_.data(), ids_.empty() ? nullptr : ids_.data(),
               static_cast<UINT>(args_.size()), static_cast<UINT>(ids_.size())};
    return &params_;
  }
  const std::deque<VARIANT>& targets() const { return targets_; }
  size_t size() const { return values_.size(); }
  // Index in rgvarg of the argument added as number `natural`.
  UINT IndexOf(size_t natural) const {
    UINT named_before = 0;
    for (size_t i = 0; i < values_.size(); ++i) named_before += names_[i] != DISPID_UNKNOWN;
    if (names_[natural] != DISPID_UNKNOWN) {
      UINT k = 0;
      for (size_t i = 0; i < natural; ++i) k += names_[i] != DISPID_UNKNOWN;
      return k;
    }
    UINT later = 0;
    for (size_t i = natural + 1; i < values_.size(); ++i) later += names_[i] == DISPID_UNKNOWN;
    return named_before + later;
  }

 private:
  std::vector<VARIANT> values_;
  std::vector<DISPID> names_;
  std::vector<VARIANT> args_;
  std::vector<DISPID> ids_;
  std::deque<VARIANT> targets_;
  DISPPARAMS params_{};
};

bool IsPut(const Member& m) { return m.kind == INVOKE_PROPERTYPUT || m.kind == INVOKE_PROPERTYPUTREF; }

// Builds the arguments of `shape` for `member`; false when the shape does not
// apply to it. `wrong_at` receives the natural index of the argument that
// must fail, if any.
bool BuildArguments(const Member& member, Shape shape, Arguments& out, int& wrong_at) {
  wrong_at = -1;
  const auto& params = member.params;
  const size_t n = params.size();
  const bool put = IsPut(member);
  size_t count = n;
  if (shape == Shape::kOmitted) {
    while (count > 0 && params[count - 1].optional && !(put && count == n)) --count;
    if (count == n) return false;
  }
  if (shape == Shape::kTooFew) {
    size_t required = 0;
    for (size_t i = 0; i < n; ++i) required += !params[i].optional;
    if (required == 0) return false;
    count = n - 1;
  }
  bool applies = shape != Shape::kMissingMarker && shape != Shape::kWrongType && shape != Shape::kOverflow &&
                 shape != Shape::kConverted;
  for (size_t i = 0; i < count; ++i) {
    const Param& p = params[i];
    // The value of a property put is the named DISPID_PROPERTYPUT argument.
    DISPID name = DISPID_UNKNOWN;
    if (put && i == n - 1 && shape != Shape::kPutWithoutName) name = DISPID_PROPERTYPUT;
    if (shape == Shape::kNamed && name == DISPID_UNKNOWN) name = static_cast<DISPID>(i);
    VARIANT value = GoodValue(p.base);
    if (shape == Shape::kMissingMarker && p.optional && !(put && i == n - 1)) {
      VariantClear(&value);
      value = MissingArg();
      applies = true;
    } else if (shape == Shape::kConverted && wrong_at < 0) {
      VARIANT other = ConvertibleValue(p.base);
      if (V_VT(&other) != VT_EMPTY) {
        VariantClear(&value);
        value = other;
        applies = true;
        wrong_at = -2;  // converted, not wrong
      }
    } else if (shape == Shape::kWrongType && wrong_at < 0 && p.base != VT_VARIANT) {
      VariantClear(&value);
      value = WrongValue(p.base);
      wrong_at = static_cast<int>(i);
      applies = true;
    } else if (shape == Shape::kOverflow && wrong_at < 0 && p.base == VT_I2) {
      V_VT(&value) = VT_I4;
      V_I4(&value) = 100000;
      wrong_at = static_cast<int>(i);
      applies = true;
    }
    if (shape == Shape::kByReference || shape == Shape::kInVariant) {
      out.AddByReference(value, shape == Shape::kInVariant || p.base == VT_VARIANT, name);
    } else {
      out.Add(value, name);
    }
  }
  if (shape == Shape::kTooMany) out.Add(LongArg(7));
  if (shape == Shape::kPutWithoutName && !put) return false;
  if (wrong_at == -2) wrong_at = -1;
  return applies;
}

std::wstring Render(const VARIANT& v, bool varying) {
  wchar_t buffer[64];
  const VARTYPE type = V_VT(&v);
  std::wstring out = L"vt " + std::to_wstring(type) + L" ";
  if (type & VT_BYREF) {
    if (type == (VT_BYREF | VT_VARIANT)) return out + L"-> " + Render(*V_VARIANTREF(&v), varying);
    VARIANT inner = Make(type & ~VT_BYREF);
    std::memcpy(&V_UI1(&inner), V_BYREF(&v), 8);  // every target here is a Variant's value
    return out + L"-> " + Render(inner, varying);
  }
  switch (type) {
    case VT_BSTR:
      if (varying) return out + L"length " + std::to_wstring(SysStringLen(V_BSTR(&v)));
      return out + L"'" + Text(V_BSTR(&v)) + L"'";  // a null String reads as the empty one
    case VT_I2:
      return varying ? out : out + std::to_wstring(V_I2(&v));
    case VT_I4:
      return varying ? out : out + std::to_wstring(V_I4(&v));
    case VT_BOOL:
      return out + std::to_wstring(V_BOOL(&v));
    case VT_ERROR:
      swprintf(buffer, 64, L"%08lX", static_cast<unsigned long>(V_ERROR(&v)));
      return out + buffer;
    case VT_DISPATCH:
    case VT_UNKNOWN:
      return out + (V_UNKNOWN(&v) ? L"object" : L"nothing");
    default:
      if (type & VT_ARRAY) return out + (V_ARRAY(&v) ? L"array" : L"no array");
      return out;
  }
}

struct Outcome {
  HRESULT hr = S_OK;
  std::wstring result;
  UINT bad_argument = kUntouched;
  SCODE scode = 0;
  std::wstring description;
  std::wstring source;
  std::vector<std::wstring> targets;
};

std::string Narrow(const std::wstring& text) {
  std::string out;
  for (const wchar_t c : text) out += (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '?';
  return out;
}

std::string Describe(const Outcome& o) {
  char hr[16];
  std::snprintf(hr, sizeof hr, "%08lX", static_cast<unsigned long>(o.hr));
  std::string text = std::string("hr ") + hr + ", result " + Narrow(o.result) + ", argerr " +
                     (o.bad_argument == kUntouched ? std::string("untouched") : std::to_string(o.bad_argument));
  char scode[16];
  std::snprintf(scode, sizeof scode, "%08lX", static_cast<unsigned long>(o.scode));
  text += std::string(", scode ") + scode + ", '" + Narrow(o.description) + "' from '" + Narrow(o.source) + "'";
  for (const auto& t : o.targets) text += ", by reference " + Narrow(t);
  return text;
}

// The interfaces under test and how to get a fresh object of each.
struct Subject {
  const wchar_t* name;
  IID iid;
  std::function<ComPtr<IDispatch>()> create;
};

ComPtr<IDispatch> CreateAs(const CLSID& clsid, const IID& iid) {
  auto object = CreateFromDll<IUnknown>(clsid);
  ComPtr<IDispatch> dispatch;
  if (object) object->QueryInterface(iid, reinterpret_cast<void**>(dispatch.GetAddressOf()));
  return dispatch;
}

// The collection's item, when the collection hands one out.
ComPtr<IDispatch> NewItem() {
  auto collection = CreateAs(CLSID_ExCollection, __uuidof(_ExCollection));
  if (!collection) return nullptr;
  Variant result;
  EXCEPINFO exception{};
  VARIANT key = LongArg(1);
  const HRESULT hr =
      InvokeByName(collection.Get(), L"Item", DISPATCH_METHOD | DISPATCH_PROPERTYGET, {key}, result.get(), &exception);
  ReleaseException(exception);
  if (FAILED(hr) || V_VT(result.get()) != VT_DISPATCH || !V_DISPATCH(result.get())) return nullptr;
  ComPtr<IDispatch> item;
  V_DISPATCH(result.get())->QueryInterface(__uuidof(clsExItem), reinterpret_cast<void**>(item.GetAddressOf()));
  return item;
}

std::vector<Subject> Subjects() {
  return {
      {L"_StringFunction", __uuidof(_StringFunction),
       [] { return CreateAs(CLSID_StringFunction, __uuidof(_StringFunction)); }},
      {L"_GeneralUtility", __uuidof(_GeneralUtility),
       [] { return CreateAs(CLSID_GeneralUtility, __uuidof(_GeneralUtility)); }},
      {L"_ExCollection", __uuidof(_ExCollection), [] { return CreateAs(CLSID_ExCollection, __uuidof(_ExCollection)); }},
      {L"_Network", __uuidof(_Network), [] { return CreateAs(CLSID_Network, __uuidof(_Network)); }},
      {L"_TimeUtility", __uuidof(_TimeUtility), [] { return CreateAs(CLSID_TimeUtility, __uuidof(_TimeUtility)); }},
      {L"_CRegSettings", __uuidof(_CRegSettings), [] { return CreateAs(CLSID_CRegSettings, __uuidof(_CRegSettings)); }},
      {L"clsExItem", __uuidof(clsExItem), NewItem},
  };
}

ComPtr<ITypeInfo> DispatchViewOf(const IID& iid) {
  ComPtr<ITypeLib> library;
  ComPtr<ITypeInfo> info;
  if (SUCCEEDED(LoadTypeLibEx(DllPath().c_str(), REGKIND_NONE, library.GetAddressOf()))) {
    library->GetTypeInfoOfGuid(iid, info.GetAddressOf());
  }
  return info;
}

WORD FlagsOf(const Member& member, Shape shape) {
  switch (member.kind) {
    case INVOKE_FUNC:
      return shape == Shape::kByValueMethodOnly ? DISPATCH_METHOD : DISPATCH_METHOD | DISPATCH_PROPERTYGET;
    case INVOKE_PROPERTYGET:
      return shape == Shape::kByValueMethodOnly ? DISPATCH_PROPERTYGET : DISPATCH_METHOD | DISPATCH_PROPERTYGET;
    case INVOKE_PROPERTYPUT:
      return DISPATCH_PROPERTYPUT;
    default:
      return DISPATCH_PROPERTYPUTREF;
  }
}

// One call on a fresh object, through our IDispatch or through the type
// information's Invoke.
Outcome Call(const Subject& subject, ITypeInfo* reference, const Member& member, Shape shape, bool use_reference) {
  Outcome outcome;
  auto object = subject.create();
  if (!object) {
    outcome.hr = E_NOINTERFACE;
    return outcome;
  }
  Arguments args;
  int wrong_at = -1;
  BuildArguments(member, shape, args, wrong_at);
  Variant result;
  EXCEPINFO exception{};
  DISPPARAMS* params = args.Params();
  const WORD flags = FlagsOf(member, shape);
  outcome.hr = use_reference ? reference->Invoke(object.Get(), member.id, flags, params, result.get(), &exception,
                                                 &outcome.bad_argument)
                             : object->Invoke(member.id, IID_NULL, LOCALE_USER_DEFAULT, flags, params, result.get(),
                                              &exception, &outcome.bad_argument);
  outcome.result = Render(*result.get(), kVaryingResults.count(member.name) != 0);
  outcome.scode = exception.scode;
  outcome.description = Text(exception.bstrDescription);
  outcome.source = Text(exception.bstrSource);
  ReleaseException(exception);
  for (const auto& target : args.targets()) outcome.targets.push_back(Render(target, false));
  return outcome;
}

bool FailsBeforeTheCall(Shape shape) {
  return shape == Shape::kWrongType || shape == Shape::kOverflow || shape == Shape::kTooMany || shape == Shape::kTooFew;
}

// The platform's dispatch passes the missing-argument marker itself in the
// slot of an omitted optional parameter that is no Variant and has no
// default: the member would read an error code as a String or number. That
// road is not taken; ours gives the member the empty value of the type.
bool ReferenceMisreadsOmitted(const Member& member, Shape shape) {
  if (shape != Shape::kOmitted && shape != Shape::kMissingMarker) return false;
  for (const auto& p : member.params) {
    if (p.optional && !p.has_default && p.base != VT_VARIANT) return true;
  }
  return false;
}

constexpr Shape kShapes[] = {Shape::kByValue,       Shape::kByValueMethodOnly, Shape::kByReference, Shape::kInVariant,
                             Shape::kConverted,     Shape::kMissingMarker,     Shape::kOmitted,     Shape::kNamed,
                             Shape::kWrongType,     Shape::kOverflow,          Shape::kTooMany,     Shape::kTooFew,
                             Shape::kPutWithoutName};

TEST(Dispatcher, EveryMemberAnswersAsTheTypeInformationsInvoke) {
  int compared = 0;
  for (const auto& subject : Subjects()) {
    if (!subject.create()) {
      // clsExItem is reachable only through a working ExCollection.Item.
      EXPECT_STREQ(subject.name, L"clsExItem") << "no object for " << Narrow(subject.name);
      continue;
    }
    const auto reference = DispatchViewOf(subject.iid);
    ASSERT_TRUE(reference) << Narrow(subject.name);
    const auto members = MembersOf(reference.Get());
    ASSERT_FALSE(members.empty()) << Narrow(subject.name);
    for (const auto& member : members) {
      for (const Shape shape : kShapes) {
        Arguments probe;
        int wrong_at = -1;
        if (!BuildArguments(member, shape, probe, wrong_at)) continue;
        if (kOutsideEffects.count(member.name) && !FailsBeforeTheCall(shape)) continue;
        const std::string where = Narrow(subject.name) + "." + Narrow(member.name) + " kind " +
                                  std::to_string(member.kind) + ", " + NameOf(shape);
        const Outcome ours = Call(subject, reference.Get(), member, shape, false);
        if (ReferenceMisreadsOmitted(member, shape)) {
          EXPECT_NE(ours.hr, DISP_E_TYPEMISMATCH) << where;
          EXPECT_NE(ours.hr, DISP_E_BADPARAMCOUNT) << where;
          continue;
        }
        const Outcome theirs = Call(subject, reference.Get(), member, shape, true);
        ++compared;
        // Where a by-reference parameter of a type other than Variant gets a
        // Variant passed by reference that holds a value of its type, the
        // platform's dispatch fails with a type mismatch; ours reads and writes
        // the caller's variable, just as with a typed reference.
        bool variable_into_typed_reference = false;
        for (const auto& p : member.params) {
          variable_into_typed_reference |= p.by_reference && p.base != VT_VARIANT;
        }
        if (shape == Shape::kInVariant && variable_into_typed_reference && theirs.hr == DISP_E_TYPEMISMATCH) {
          const Outcome typed = Call(subject, reference.Get(), member, Shape::kByReference, true);
          EXPECT_EQ(Describe(ours), Describe(typed)) << where << " (against a typed reference)";
          continue;
        }
        // After the call the platform's dispatch copies [in, out] parameters
        // back into arguments passed by value, finding them by position even
        // when they were named, so that it converts into the wrong argument and
        // fails. Ours leaves by-value arguments alone: the named call must then
        // answer as the positional one.
        bool in_out = false;
        for (const auto& p : member.params) in_out |= p.by_reference;
        if (shape == Shape::kNamed && in_out && theirs.hr == DISP_E_TYPEMISMATCH) {
          const Outcome positional = Call(subject, reference.Get(), member, Shape::kByValue, true);
          EXPECT_EQ(Describe(ours), Describe(positional)) << where << " (against positional arguments)";
          continue;
        }
        // Surplus arguments to a member without a result: the platform's
        // dispatch ignores them, ours refuses the call.
        if (shape == Shape::kTooMany && !member.has_result && theirs.hr != DISP_E_BADPARAMCOUNT) {
          EXPECT_EQ(ours.hr, DISP_E_BADPARAMCOUNT) << where;
          continue;
        }
        Outcome expected = theirs;
        // puArgErr: the platform's dispatch may leave it alone; ours names the
        // argument that failed to convert.
        if (theirs.bad_argument == kUntouched && ours.bad_argument != kUntouched) {
          expected.bad_argument = ours.bad_argument;
          EXPECT_TRUE(ours.hr == DISP_E_TYPEMISMATCH || ours.hr == DISP_E_PARAMNOTFOUND) << where;
          EXPECT_EQ(static_cast<int>(ours.bad_argument), wrong_at < 0 ? -1 : static_cast<int>(probe.IndexOf(wrong_at)))
              << where;
        }
        EXPECT_EQ(Describe(ours), Describe(expected)) << where;
      }
    }
  }
  EXPECT_GT(compared, 200);
}

std::wstring WithCase(const std::wstring& name, int variant) {
  std::wstring out = name;
  for (auto& c : out) {
    if (variant == 1) c = static_cast<wchar_t>(towupper(c));
    if (variant == 2) c = static_cast<wchar_t>(towlower(c));
  }
  return out;
}

TEST(Dispatcher, NamesAnswerAsTheTypeInformation) {
  for (const auto& subject : Subjects()) {
    auto object = subject.create();
    if (!object) continue;
    const auto reference = DispatchViewOf(subject.iid);
    ASSERT_TRUE(reference) << Narrow(subject.name);
    auto members = MembersOf(reference.Get());
    // Names of the interfaces every dual interface derives from.
    members.push_back({L"QueryInterface", 0, INVOKE_FUNC, {{VT_EMPTY, false, false, false, L"riid"}}, false});
    members.push_back({L"GetIDsOfNames", 0, INVOKE_FUNC, {{VT_EMPTY, false, false, false, L"cNames"}}, false});
    for (const auto& member : members) {
      for (int variant = 0; variant < 3; ++variant) {
        std::vector<std::wstring> texts{WithCase(member.name, variant)};
        for (const auto& p : member.params) texts.push_back(WithCase(p.name, variant));
        std::vector<LPOLESTR> names;
        for (auto& t : texts) names.push_back(t.data());
        const UINT count = static_cast<UINT>(names.size());
        std::vector<DISPID> ours(count, 12345), theirs(count, 12345);
        const HRESULT ours_hr = object->GetIDsOfNames(IID_NULL, names.data(), count, LOCALE_USER_DEFAULT, ours.data());
        const HRESULT theirs_hr = reference->GetIDsOfNames(names.data(), count, theirs.data());
        const std::string where = Narrow(subject.name) + "." + Narrow(texts[0]);
        EXPECT_EQ(ours_hr, theirs_hr) << where;
        EXPECT_EQ(ours, theirs) << where;
      }
    }
    // Unknown names: every one that is not found reads DISPID_UNKNOWN.
    const std::wstring first = members.front().name;
    const struct {
      std::vector<std::wstring> names;
      std::vector<bool> known;
    } rows[] = {
        {{L"NoSuchMember"}, {false}},
        {{L"NoSuchMember", L"x"}, {false, false}},
        {{first, L"NoSuchParameter"}, {true, false}},
        {{L""}, {false}},
        {{first + L"\u00e9"}, {false}},  // not ASCII: left to the platform's own folding
    };
    for (const auto& row : rows) {
      std::vector<std::wstring> texts = row.names;
      std::vector<LPOLESTR> names;
      for (auto& t : texts) names.push_back(t.data());
      std::vector<DISPID> ids(names.size(), 12345);
      const UINT count = static_cast<UINT>(names.size());
      EXPECT_EQ(object->GetIDsOfNames(IID_NULL, names.data(), count, LOCALE_USER_DEFAULT, ids.data()),
                DISP_E_UNKNOWNNAME)
          << Narrow(texts[0]);
      for (size_t i = 0; i < ids.size(); ++i) {
        if (row.known[i]) {
          EXPECT_EQ(ids[i], members.front().id) << Narrow(texts[i]);
        } else {
          EXPECT_EQ(ids[i], DISPID_UNKNOWN) << Narrow(texts[i]);
        }
      }
    }
  }
}

TEST(Dispatcher, CallsThatFindNoMemberAnswerAsTheTypeInformation) {
  for (const auto& subject : Subjects()) {
    if (!subject.create()) continue;
    const auto reference = DispatchViewOf(subject.iid);
    ASSERT_TRUE(reference);
    const auto members = MembersOf(reference.Get());
    std::vector<std::pair<DISPID, WORD>> calls = {
        {0x12345, DISPATCH_METHOD}, {0x60000000, DISPATCH_METHOD}, {0x60000001, DISPATCH_METHOD}};
    for (const auto& m : members) {
      calls.push_back({m.id, 0});
      if (m.kind == INVOKE_FUNC) calls.push_back({m.id, DISPATCH_PROPERTYPUT});
      if (m.kind == INVOKE_FUNC) calls.push_back({m.id, DISPATCH_PROPERTYGET});
      if (m.kind == INVOKE_PROPERTYGET) calls.push_back({m.id, DISPATCH_METHOD});
    }
    for (const auto& [id, flags] : calls) {
      auto ours_object = subject.create();
      auto theirs_object = subject.create();
      DISPPARAMS none{nullptr, nullptr, 0, 0};
      Variant ours_result, theirs_result;
      EXCEPINFO ours_exception{}, theirs_exception{};
      UINT ours_bad = kUntouched, theirs_bad = kUntouched;
      const HRESULT ours = ours_object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &none, ours_result.get(),
                                               &ours_exception, &ours_bad);
      const HRESULT theirs =
          reference->Invoke(theirs_object.Get(), id, flags, &none, theirs_result.get(), &theirs_exception, &theirs_bad);
      // Members without a result that were found differ only in their own
      // answer; the point here is a call that finds no member at all.
      if (theirs == DISP_E_MEMBERNOTFOUND) {
        EXPECT_EQ(ours, theirs) << Narrow(subject.name) << " id " << id << " flags " << flags;
        EXPECT_EQ(V_VT(ours_result.get()), VT_EMPTY);
      }
      ReleaseException(ours_exception);
      ReleaseException(theirs_exception);
    }
  }
}

// Things the platform's dispatch lets pass and ours refuses, as IDispatch
// promises: a named argument that names no parameter, surplus arguments.
TEST(Dispatcher, RefusesArgumentsThatNameNoParameter) {
  auto object = CreateAs(CLSID_StringFunction, __uuidof(_StringFunction));
  ASSERT_TRUE(object);
  DISPID id = 0;
  LPOLESTR name[] = {const_cast<LPOLESTR>(L"CountStringInString")};
  ASSERT_EQ(object->GetIDsOfNames(IID_NULL, name, 1, LOCALE_USER_DEFAULT, &id), S_OK);
  const struct {
    std::vector<DISPID> names;  // one per argument, DISPID_UNKNOWN for positional
    HRESULT hr;
    UINT bad_argument;
  } rows[] = {
      {{DISPID_UNKNOWN, DISPID_UNKNOWN}, S_OK, kUntouched},
      {{1, 0}, S_OK, kUntouched},
      {{7, 0, 1}, DISP_E_PARAMNOTFOUND, 0},  // no parameter 7
      {{0, 1, 1}, DISP_E_PARAMNOTFOUND, 2},  // Match twice
      {{DISPID_UNKNOWN, DISPID_UNKNOWN, DISPID_UNKNOWN, DISPID_UNKNOWN}, DISP_E_BADPARAMCOUNT, kUntouched},
  };
  for (const auto& row : rows) {
    Arguments args;
    for (size_t i = 0; i < row.names.size(); ++i) args.Add(BstrArg(i == 2 ? L"-1" : L"aXa"), row.names[i]);
    Variant result;
    EXCEPINFO exception{};
    UINT bad = kUntouched;
    const HRESULT hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, args.Params(), result.get(),
                                      &exception, &bad);
    ReleaseException(exception);
    EXPECT_EQ(hr, row.hr) << "row with " << row.names.size() << " arguments, first named " << row.names[0];
    EXPECT_EQ(bad, row.bad_argument) << "row with " << row.names.size() << " arguments";
  }
}

// A caller's variable (a Variant passed by reference) that holds a String
// array reaches ParseString's by-reference array in place: the pieces land in
// the variable itself. An Empty variable receives an array of Variants (a
// script's kind of array). A variable holding a value that is no array is a
// type mismatch naming its argument, and is left as it was.
TEST(Dispatcher, VariablesReachTypedReferencesInPlace) {
  auto object = CreateAs(CLSID_StringFunction, __uuidof(_StringFunction));
  ASSERT_TRUE(object);
  DISPID id = 0;
  LPOLESTR name[] = {const_cast<LPOLESTR>(L"ParseString")};
  ASSERT_EQ(object->GetIDsOfNames(IID_NULL, name, 1, LOCALE_USER_DEFAULT, &id), S_OK);
  const auto parse = [&](VARIANT& variable, UINT& bad) {
    VARIANT ref = Make(VT_BYREF | VT_VARIANT);
    V_VARIANTREF(&ref) = &variable;
    Arguments args;
    args.Add(BstrArg(L"a,b,c"));
    args.Add(BstrArg(L","));
    args.Add(ref);
    Variant result;
    EXCEPINFO exception{};
    bad = kUntouched;
    const HRESULT hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, args.Params(), result.get(),
                                      &exception, &bad);
    ReleaseException(exception);
    return hr;
  };
  VARIANT variable = Make(VT_ARRAY | VT_BSTR);  // an array never dimensioned
  UINT bad = 0;
  ASSERT_EQ(parse(variable, bad), S_OK);
  ASSERT_EQ(V_VT(&variable), VT_ARRAY | VT_BSTR);
  ASSERT_TRUE(V_ARRAY(&variable));
  LONG upper = -1;
  SafeArrayGetUBound(V_ARRAY(&variable), 1, &upper);
  EXPECT_EQ(upper, 2);
  LONG index = 2;
  BSTR piece = nullptr;
  SafeArrayGetElement(V_ARRAY(&variable), &index, &piece);
  EXPECT_EQ(Text(piece), L"c");
  SysFreeString(piece);
  VariantClear(&variable);

  VARIANT empty = Make(VT_EMPTY);
  ASSERT_EQ(parse(empty, bad), S_OK);
  ASSERT_EQ(V_VT(&empty), VT_ARRAY | VT_VARIANT);
  upper = -1;
  SafeArrayGetUBound(V_ARRAY(&empty), 1, &upper);
  EXPECT_EQ(upper, 2);
  VariantClear(&empty);

  VARIANT number = LongArg(8);  // cannot become an array
  EXPECT_EQ(parse(number, bad), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(bad, 0u);  // ParseString's third argument, first in rgvarg
  EXPECT_EQ(V_VT(&number), VT_I4);
  EXPECT_EQ(V_I4(&number), 8);
}

// A by-reference argument that refers to nothing is refused before the member
// runs, whatever the parameter's type; the platform's dispatch would hand the
// member a null pointer.
TEST(Dispatcher, RefusesReferencesToNothing) {
  auto object = CreateAs(CLSID_StringFunction, __uuidof(_StringFunction));
  ASSERT_TRUE(object);
  const struct {
    const wchar_t* member;
    VARTYPE type;  // of the first argument
    size_t count;  // of arguments
  } rows[] = {
      {L"RemoveSpaces", VT_BYREF | VT_BSTR, 1},   {L"RemoveSpaces", VT_BYREF | VT_VARIANT, 1},
      {L"NoNull", VT_BYREF | VT_VARIANT, 1},      {L"ParseString", VT_BYREF | VT_ARRAY | VT_BSTR, 3},
      {L"InsertFirstUCase", VT_BYREF | VT_I2, 1},
  };
  for (const auto& row : rows) {
    DISPID id = 0;
    LPOLESTR name[] = {const_cast<LPOLESTR>(row.member)};
    ASSERT_EQ(object->GetIDsOfNames(IID_NULL, name, 1, LOCALE_USER_DEFAULT, &id), S_OK);
    Arguments args;
    for (size_t i = 0; i + 1 < row.count; ++i) args.Add(BstrArg(L"a"));
    VARIANT nothing = Make(row.type);
    V_BYREF(&nothing) = nullptr;
    args.Add(nothing);
    Variant result;
    EXCEPINFO exception{};
    EXPECT_EQ(object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, args.Params(), result.get(),
                             &exception, nullptr),
              E_INVALIDARG)
        << Narrow(row.member) << " " << row.type;
    ReleaseException(exception);
  }
}

}  // namespace
}  // namespace tarn::client
