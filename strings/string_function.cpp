#include "strings/string_function.h"

#include "frame/com/call_frame.h"
#include "frame/com/win_text_services.h"
#include "strings/character_sets.h"
#include "strings/occurrence_search.h"

namespace tarn {

using com::Bstr;
using com::NotAvailableYet;
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

HRESULT StringFunction::ParseString(BSTR, BSTR, SAFEARRAY**) {
  return RunMember(this, [] { NotAvailableYet<void>(u"ParseString"); });
}

HRESULT StringFunction::ReplaceString(BSTR, BSTR, BSTR, BSTR* result) {
  return RunMember(this, result, [] { return NotAvailableYet<Bstr>(u"ReplaceString"); });
}

HRESULT StringFunction::FirstUCase(BSTR, BSTR* result) {
  return RunMember(this, result, [] { return NotAvailableYet<Bstr>(u"FirstUCase"); });
}

HRESULT StringFunction::InsertFirstUCase(SHORT, SHORT* result) {
  return RunMember(this, result, [] { return NotAvailableYet<SHORT>(u"InsertFirstUCase"); });
}

HRESULT StringFunction::NoNull(VARIANT, VARIANT* result) {
  return RunMember(this, result, [] { return NotAvailableYet<Variant>(u"NoNull"); });
}

HRESULT StringFunction::SelectAllText() {
  return RunMember(this, [] { NotAvailableYet<void>(u"SelectAllText"); });
}

HRESULT StringFunction::ConvertRetToTab(SHORT, SHORT* result) {
  return RunMember(this, result, [] { return NotAvailableYet<SHORT>(u"ConvertRetToTab"); });
}

HRESULT StringFunction::RemoveSpaces(BSTR, BSTR* result) {
  return RunMember(this, result, [] { return NotAvailableYet<Bstr>(u"RemoveSpaces"); });
}

HRESULT StringFunction::OnlyOneSpace(BSTR, BSTR* result) {
  return RunMember(this, result, [] { return NotAvailableYet<Bstr>(u"OnlyOneSpace"); });
}

HRESULT StringFunction::CSql(BSTR, BSTR* result) {
  return RunMember(this, result, [] { return NotAvailableYet<Bstr>(u"CSql"); });
}

HRESULT StringFunction::IsCustomString(BSTR, BSTR, VARIANT* result) {
  return RunMember(this, result, [] { return NotAvailableYet<Variant>(u"IsCustomString"); });
}

HRESULT StringFunction::GetRndString(LONG, BSTR, BSTR* result) {
  return RunMember(this, result, [] { return NotAvailableYet<Bstr>(u"GetRndString"); });
}

}  // namespace tarn
