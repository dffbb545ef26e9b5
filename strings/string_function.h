// The StringFunction class: string helpers behind the dual interface
// _StringFunction. Each member converts its arguments, calls the portable core
// inside the call frame and converts the result back.
#pragma once

#include "TarnLib_h.h"
#include "frame/com/dispatch_object.h"

namespace tarn {

class StringFunction final : public com::DispatchObject<StringFunction, _StringFunction, &CLSID_StringFunction> {
 public:
  HRESULT STDMETHODCALLTYPE MATCH_UPPER_CHARS(BSTR* result) override;
  HRESULT STDMETHODCALLTYPE MATCH_LOWER_CHARS(BSTR* result) override;
  HRESULT STDMETHODCALLTYPE MATCH_CHARS(BSTR* result) override;
  HRESULT STDMETHODCALLTYPE MATCH_DIGITS(BSTR* result) override;
  HRESULT STDMETHODCALLTYPE MATCH_SPACES(BSTR* result) override;
  HRESULT STDMETHODCALLTYPE CountStringInString(BSTR Source, BSTR Match, VARIANT_BOOL Exact, LONG* result) override;
  HRESULT STDMETHODCALLTYPE InStrEx(LONG Inizio, BSTR Source, BSTR Match, tlCompareMethod Compare,
                                    LONG* result) override;
  HRESULT STDMETHODCALLTYPE ParseString(BSTR Source, BSTR Match, SAFEARRAY** dest) override;
  HRESULT STDMETHODCALLTYPE ReplaceString(BSTR Data, BSTR Search, BSTR Replace, BSTR* result) override;
  HRESULT STDMETHODCALLTYPE FirstUCase(BSTR SS, BSTR* result) override;
  HRESULT STDMETHODCALLTYPE InsertFirstUCase(SHORT SS, SHORT* result) override;
  HRESULT STDMETHODCALLTYPE NoNull(VARIANT SS, VARIANT* result) override;
  HRESULT STDMETHODCALLTYPE SelectAllText() override;
  HRESULT STDMETHODCALLTYPE ConvertRetToTab(SHORT KeyAscii, SHORT* result) override;
  HRESULT STDMETHODCALLTYPE RemoveSpaces(BSTR SS, BSTR* result) override;
  HRESULT STDMETHODCALLTYPE OnlyOneSpace(BSTR SS, BSTR* result) override;
  HRESULT STDMETHODCALLTYPE CSql(BSTR SQL, BSTR* result) override;
  HRESULT STDMETHODCALLTYPE IsCustomString(BSTR Testo, BSTR GoodChars, VARIANT* result) override;
  HRESULT STDMETHODCALLTYPE GetRndString(LONG Length, BSTR UsingThisChars, BSTR* result) override;
};

}  // namespace tarn
