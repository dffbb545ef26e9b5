#include "strings/string_function.h"

#include <new>

#include "frame/com/call_frame.h"
#include "forms/runtime/forms_runtime_provider.h"
#include "frame/com/safe_array.h"
#include "strings/random/system_random_source.h"
#include "frame/win32/win_text_services.h"
#include "forms/runtime/window_keystroke_queue.h"
#include "strings/character_sets.h"
#include "strings/character_validation.h"
#include "strings/edit_control_helpers.h"
#include "strings/occurrence_search.h"
#include "strings/split_replace.h"
#include "strings/word_case_spacing.h"

namespace tarn {

using com::Bstr;
using com::RunMember;
using com::Variant;
using com::ViewOf;

namespace {

// Calls a member of the object's own interface that returns a String.
Bstr CallOwnMember(_StringFunction* self, HRESULT (STDMETHODCALLTYPE _StringFunction::*member)(BSTR*)) {
  Bstr value;
  const HRESULT hr = (self->*member)(value.put());
  if (FAILED(hr)) com::RaiseFailedCall(hr);
  return value;
}

}  // namespace

HRESULT StringFunction::MATCH_UPPER_CHARS(BSTR* result) {
  return RunMember(this, result, [] { return Bstr(kUpperChars); });
}

HRESULT StringFunction::MATCH_LOWER_CHARS(BSTR* result) {
  return RunMember(this, result, [] { return Bstr(kLowerChars); });
}

HRESULT StringFunction::MATCH_CHARS(BSTR* result) {
  return RunMember(this, result, [this] {
    const Bstr upper = CallOwnMember(Self(), &_StringFunction::MATCH_UPPER_CHARS);
    const Bstr lower = CallOwnMember(Self(), &_StringFunction::MATCH_LOWER_CHARS);
    std::u16string both(upper.view());
    both += lower.view();
    return Bstr(both);
  });
}

HRESULT StringFunction::MATCH_DIGITS(BSTR* result) {
  return RunMember(this, result, [] { return Bstr(kDigits); });
}

HRESULT StringFunction::MATCH_SPACES(BSTR* result) {
  return RunMember(this, result, [] { return Bstr(kSpaces); });
}

HRESULT StringFunction::CountStringInString(BSTR Source, BSTR Match, VARIANT_BOOL Exact, LONG* result) {
  return RunMember(this, result, [&] {
    return tarn::CountStringInString(com::SystemTextServices(), ViewOf(Source), ViewOf(Match), Exact);
  });
}

HRESULT StringFunction::InStrEx(LONG Inizio, BSTR Source, BSTR Match, tlCompareMethod Compare, LONG* result) {
  return RunMember(this, result, [&] {
    return tarn::InStrEx(com::SystemTextServices(), Inizio, ViewOf(Source), ViewOf(Match),
                         static_cast<int32_t>(Compare));
  });
}

HRESULT StringFunction::ParseString(BSTR Source, BSTR Match, SAFEARRAY** dest) {
  return RunMember(this, [&] {
    ParseOutcome outcome = tarn::ParseString(ViewOf(Source), ViewOf(Match));
    // The caller's array receives the pieces even when the split fails part
    // way: it then holds the pieces stored so far and one empty element.
    com::ReplaceStringArray(dest, outcome.pieces);
    if (outcome.error) throw *outcome.error;
  });
}

HRESULT StringFunction::ReplaceString(BSTR Data, BSTR Search, BSTR Replace, BSTR* result) {
  return RunMember(this, result, [&] {
    // The result is written straight into the BSTR handed back: on texts of
    // megabytes a second copy costs as much as the replacement itself.
    Bstr replaced;
    tarn::ReplaceStringInto(ViewOf(Data), ViewOf(Search), ViewOf(Replace), [&replaced](size_t length) {
      if (length > 0x7FFFFFFFu / 2) RaiseStandardError(kErrOutOfMemory);
      BSTR buffer = SysAllocStringLen(nullptr, static_cast<UINT>(length));
      if (!buffer) throw std::bad_alloc();
      *replaced.put() = buffer;
      return reinterpret_cast<char16_t*>(buffer);
    });
    return replaced;
  });
}

HRESULT StringFunction::FirstUCase(BSTR SS, BSTR* result) {
  return RunMember(this, result, [&] { return Bstr(tarn::FirstUCase(com::SystemTextServices(), ViewOf(SS))); });
}

HRESULT StringFunction::InsertFirstUCase(SHORT SS, SHORT* result) {
  return RunMember(this, result,
                   [&] { return tarn::InsertFirstUCase(com::SystemTextServices(), *com::CurrentFormsRuntime(), SS); });
}

HRESULT StringFunction::NoNull(VARIANT SS, VARIANT* result) {
  return RunMember(this, result, [&] {
    Variant value = Variant::CopyOf(SS);
    if (V_VT(value.get()) == VT_NULL) {
      Variant empty;
      V_VT(empty.get()) = VT_BSTR;
      V_BSTR(empty.get()) = Bstr(u"").release();
      return empty;
    }
    return value;
  });
}

HRESULT StringFunction::SelectAllText() {
  return RunMember(this, [] { tarn::SelectAllText(*com::CurrentFormsRuntime()); });
}

HRESULT StringFunction::ConvertRetToTab(SHORT KeyAscii, SHORT* result) {
  return RunMember(this, result, [&] { return tarn::ConvertRetToTab(com::WindowKeystrokes(), KeyAscii); });
}

HRESULT StringFunction::RemoveSpaces(BSTR SS, BSTR* result) {
  return RunMember(this, result, [&] { return Bstr(tarn::RemoveSpaces(ViewOf(SS))); });
}

HRESULT StringFunction::OnlyOneSpace(BSTR SS, BSTR* result) {
  return RunMember(this, result, [&] { return Bstr(tarn::OnlyOneSpace(ViewOf(SS))); });
}

HRESULT StringFunction::CSql(BSTR SQL, BSTR* result) {
  return RunMember(this, result, [&] {
    const Bstr apostrophe(u"'");
    const Bstr doubled(u"''");
    Bstr quoted;
    const HRESULT hr = Self()->ReplaceString(SQL, apostrophe.get(), doubled.get(), quoted.put());
    if (FAILED(hr)) com::RaiseFailedCall(hr);
    return quoted;
  });
}

HRESULT StringFunction::IsCustomString(BSTR Testo, BSTR GoodChars, VARIANT* result) {
  return RunMember(this, result, [&] {
    Variant answer;
    V_VT(answer.get()) = VT_BOOL;
    V_BOOL(answer.get()) = tarn::IsCustomString(ViewOf(Testo), ViewOf(GoodChars)) ? VARIANT_TRUE : VARIANT_FALSE;
    return answer;
  });
}

HRESULT StringFunction::GetRndString(LONG Length, BSTR UsingThisChars, BSTR* result) {
  return RunMember(this, result, [&] {
    // Drawn straight into the String handed back: a length that cannot be
    // allocated fails at once, before any draw.
    const std::u16string_view chars = ViewOf(UsingThisChars);
    const size_t count = RandomStringLength(Length, chars);
    Bstr text = Bstr::WithLength(count);
    com::SystemRandomSource random;
    DrawRandomCharacters(random, chars, reinterpret_cast<char16_t*>(text.get()), count);
    return text;
  });
}

}  // namespace tarn
