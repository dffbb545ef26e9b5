// A small late-bound Automation object for the forms tests, the kind a host's
// forms runtime hands out: named members with a getter and an optional
// setter, an optional default member taking one argument, and errors raised
// as exception information. Names match ignoring case.
#pragma once

#include <windows.h>
#include <wrl/client.h>

#include <functional>
#include <string>
#include <vector>

#include "frame/com/variant.h"

namespace tarn::client {

// An error a member raises: its HRESULT (0x800A0000 + n for a standard
// error n) and description.
struct ScriptError {
  HRESULT scode;
  std::wstring description;
};

class ScriptObject final : public IDispatch {
 public:
  using Getter = std::function<com::Variant()>;
  using Setter = std::function<void(const VARIANT&)>;
  using ItemGetter = std::function<com::Variant(const VARIANT& argument)>;

  static Microsoft::WRL::ComPtr<ScriptObject> Create();

  void Define(const std::wstring& name, Getter get, Setter put = {});
  void DefineItem(ItemGetter get) { item_ = std::move(get); }
  // Every Invoke flag seen, for tests of how members are reached.
  const std::vector<WORD>& flags_seen() const { return flags_seen_; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO* exception, UINT* bad_argument) override;

 private:
  struct Member {
    std::wstring name;
    Getter get;
    Setter put;
  };
  ScriptObject() = default;
  LONG references_ = 1;
  std::vector<Member> members_;
  ItemGetter item_;
  std::vector<WORD> flags_seen_;
};

// Variants for getters.
com::Variant StringValue(const std::wstring& text);
com::Variant LongValue(LONG value);
com::Variant IntegerValue(SHORT value);
com::Variant ObjectValue(IDispatch* object);  // adds a reference; null for Nothing

}  // namespace tarn::client
