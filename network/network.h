// The Network class: host name and address lookup over Windows Sockets 1.1
// behind the dual interface _Network. Each member converts its argument, runs
// the portable lookup inside the call frame and converts the result back.
#pragma once

#include "TarnLib_h.h"
#include "frame/com/dispatch_object.h"

namespace tarn {

class Network final : public com::DispatchObject<Network, _Network, &CLSID_Network> {
 public:
  HRESULT STDMETHODCALLTYPE GetIp(BSTR TextualHostName, BSTR* result) override;
  HRESULT STDMETHODCALLTYPE HostByAddr(BSTR IPAddress, BSTR* result) override;
};

}  // namespace tarn
