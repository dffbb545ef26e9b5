#include "frame/com/host_forms_runtime.h"

#include <wrl/client.h>

#include "frame/com/dispatch_forms_object.h"

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

}  // namespace

std::wstring ScreenItemName(DWORD process_id) { return L"TarnLib.Screen." + std::to_wstring(process_id); }

std::unique_ptr<FormsRuntime> PublishedFormsRuntime() {
  ComPtr<IRunningObjectTable> table;
  if (FAILED(GetRunningObjectTable(0, table.GetAddressOf()))) return nullptr;
  ComPtr<IMoniker> moniker;
  if (FAILED(CreateItemMoniker(L"!", ScreenItemName(GetCurrentProcessId()).c_str(), moniker.GetAddressOf()))) {
    return nullptr;
  }
  ComPtr<IUnknown> published;
  if (table->GetObject(moniker.Get(), published.GetAddressOf()) != S_OK || !published) return nullptr;
  ComPtr<IDispatch> screen;
  if (FAILED(published.As(&screen))) return nullptr;
  return std::make_unique<HostFormsRuntime>(screen.Get());
}

}  // namespace tarn::com
