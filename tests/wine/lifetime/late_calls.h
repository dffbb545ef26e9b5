// Late-bound calls on the library's objects, as a script host makes them:
// objects created through the registry, members called by name.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>

namespace tarn::lifetime {

// The outcome of one call: its HRESULT, its result as text (or the error's
// number and description after DISP_E_EXCEPTION).
struct Outcome {
  HRESULT hr = E_FAIL;
  std::wstring text;
  bool raised() const { return hr == DISP_E_EXCEPTION; }
};

// An owned argument list: Variants freed when it goes.
class Args {
 public:
  Args(std::initializer_list<VARIANT> values);
  ~Args();
  Args(const Args&) = delete;
  Args& operator=(const Args&) = delete;
  VARIANT* data() { return values_; }
  UINT size() const { return count_; }

 private:
  VARIANT values_[6];
  UINT count_ = 0;
};

VARIANT Str(const wchar_t* text);
VARIANT Long(LONG value);

// Creates a registered class by ProgID ("TarnLib.StringFunction"); null on failure.
IDispatch* Create(const wchar_t* prog_id);
Outcome Call(IDispatch* object, const wchar_t* name, WORD flags, Args&& args);
inline Outcome Call(IDispatch* object, const wchar_t* name, Args&& args) {
  return Call(object, name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, static_cast<Args&&>(args));
}

// Every class created and called the way a script would; the answers in one
// text, so that runs can be compared. `ok` false when a call failed unexpectedly.
std::wstring UseEveryClass(bool& ok);

// One load-use cycle's use: create, a call that raises, a call that succeeds,
// release. False when the calls did not answer as expected.
bool UseWithRaisedError();

}  // namespace tarn::lifetime
