#include "frame/com/call_frame.h"

#include <new>
#include <string>

namespace tarn::com {
namespace {

// Error information with number, source and description; no help file.
void SetThreadErrorInfo(const AutomationError& error, REFIID iid) noexcept {
  ICreateErrorInfo* create = nullptr;
  if (FAILED(CreateErrorInfo(&create))) return;
  create->SetGUID(iid);
  std::u16string source = error.source();
  std::u16string description = error.description();
  create->SetSource(reinterpret_cast<LPOLESTR>(source.data()));
  create->SetDescription(reinterpret_cast<LPOLESTR>(description.data()));
  IErrorInfo* info = nullptr;
  if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)))) {
    SetErrorInfo(0, info);
    info->Release();
  }
  create->Release();
}

}  // namespace

HRESULT ReportError(const AutomationError& error, REFIID iid) noexcept {
  try {
    SetThreadErrorInfo(error, iid);
  } catch (...) {
    SetErrorInfo(0, nullptr);
  }
  return HResultOf(error.number());
}

HRESULT ReportCurrentException(REFIID iid) noexcept {
  try {
    throw;
  } catch (const AutomationError& error) {
    return ReportError(error, iid);
  } catch (const std::bad_alloc&) {
    ReportError(MakeStandardError(kErrOutOfMemory), iid);
    return E_OUTOFMEMORY;
  } catch (...) {
    return ReportError(MakeStandardError(kErrInternal), iid);
  }
}

}  // namespace tarn::com

namespace tarn::com {

void RaiseFailedCall(HRESULT hr) {
  // Standard errors travel as 0x800A0000 + n; give them back their number.
  const auto code = static_cast<uint32_t>(hr);
  const int32_t number =
      (code & 0xFFFF0000u) == 0x800A0000u ? static_cast<int32_t>(code & 0xFFFFu) : static_cast<int32_t>(hr);
  std::u16string description = StandardErrorText(number);
  std::u16string source(kProjectSource);
  IErrorInfo* info = nullptr;
  if (GetErrorInfo(0, &info) == S_OK && info) {
    Bstr text, origin;
    if (SUCCEEDED(info->GetDescription(text.put())) && text.get()) description = std::u16string(text.view());
    if (SUCCEEDED(info->GetSource(origin.put())) && origin.get()) source = std::u16string(origin.view());
    info->Release();
  }
  throw AutomationError(number, std::move(description), std::move(source));
}

}  // namespace tarn::com
