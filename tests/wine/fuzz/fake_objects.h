// Objects the fuzzer hands to the library as arguments: one that has only
// IUnknown, and one with an IDispatch that answers every name and every read
// with a value drawn from the run's random stream (or an error).
#pragma once

#include <windows.h>

#include <cstdint>
#include <random>

namespace tarn::fuzz {

// Limits on what a fake object may answer during the current call, set by
// the fuzzer before each call (see the containment rules in fuzzer.cpp).
struct AnswerLimits {
  bool small_numbers = false;  // no integer above a few thousand
  bool no_names = false;       // no text that a name lookup could try
  HWND window = nullptr;       // a real window whose handle may be answered
};

class FakeUnknown final : public IUnknown {
 public:
  static IUnknown* Create();  // one reference, owned by the caller
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

 private:
  FakeUnknown() = default;
  ULONG references_ = 1;
};

class FakeDispatch final : public IDispatch {
 public:
  // One reference, owned by the caller. `limits` outlives the object.
  static IDispatch* Create(uint64_t seed, const AnswerLimits* limits);
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO* exception, UINT* bad_argument) override;

 private:
  FakeDispatch(uint64_t seed, const AnswerLimits* limits) : random_(seed), limits_(limits) {}
  ULONG references_ = 1;
  std::mt19937_64 random_;
  const AnswerLimits* limits_;
};

}  // namespace tarn::fuzz
