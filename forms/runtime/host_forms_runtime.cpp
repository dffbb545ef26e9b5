#include "forms/runtime/host_forms_runtime.h"

#include <windows.h>
#include <wrl/client.h>

#include "forms/runtime/dispatch_forms_object.h"

namespace tarn::com {
namespace {

using Microsoft::WRL::ComPtr;

class HostFormsRuntime final : public FormsRuntime {
 public:
  explicit HostFormsRuntime(IDispatch* screen) : screen_(screen) {}
  std::unique_ptr<FormsObject> Screen() override { return std::make_unique<DispatchFormsObject>(screen_.Get()); }

 private:
  ComPtr<IDispatch> screen_;
};

// The cookie in the environment variable: decimal digits only.
bool PublishedCookie(DWORD& cookie) {
  wchar_t text[16];
  const DWORD length = GetEnvironmentVariableW(kScreenCookieVariable, text, 16);
  if (length == 0 || length >= 16) return false;
  unsigned long long value = 0;
  for (DWORD i = 0; i < length; ++i) {
    if (text[i] < L'0' || text[i] > L'9') return false;
    value = value * 10 + static_cast<unsigned>(text[i] - L'0');
  }
  if (value == 0 || value > 0xFFFFFFFFull) return false;
  cookie = static_cast<DWORD>(value);
  return true;
}

}  // namespace

std::unique_ptr<FormsRuntime> PublishedFormsRuntime() {
  DWORD cookie = 0;
  if (!PublishedCookie(cookie)) return nullptr;
  ComPtr<IGlobalInterfaceTable> table;
  if (FAILED(CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER,
                              IID_PPV_ARGS(table.GetAddressOf())))) {
    return nullptr;
  }
  ComPtr<IDispatch> screen;
  if (FAILED(table->GetInterfaceFromGlobal(cookie, IID_IDispatch, reinterpret_cast<void**>(screen.GetAddressOf()))) ||
      !screen) {
    return nullptr;
  }
  return std::make_unique<HostFormsRuntime>(screen.Get());
}

}  // namespace tarn::com
