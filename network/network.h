// The Network class: host name and address lookup behind the dual interface
// _Network. Its members are not available yet.
#pragma once

#include "TarnLib_h.h"
#include "frame/com/dispatch_object.h"

namespace tarn {

class Network final : public com::DispatchObject<Network, _Network> {
 public:
  HRESULT STDMETHODCALLTYPE GetIp(BSTR TextualHostName, BSTR* result) override;
  HRESULT STDMETHODCALLTYPE HostByAddr(BSTR IPAddress, BSTR* result) override;
};

}  // namespace tarn
