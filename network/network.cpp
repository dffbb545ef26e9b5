#include "network/network.h"

#include "frame/com/call_frame.h"
#include "frame/win32/win_text_services.h"
#include "network/host_lookup.h"
#include "network/system_winsock.h"

namespace tarn {

using com::Bstr;
using com::RunMember;
using com::ViewOf;

HRESULT Network::GetIp(BSTR TextualHostName, BSTR* result) {
  return RunMember(this, result, [&] {
    return Bstr(tarn::GetIp(com::SystemWinSock(), com::SystemTextServices(), ViewOf(TextualHostName)));
  });
}

HRESULT Network::HostByAddr(BSTR IPAddress, BSTR* result) {
  return RunMember(this, result, [&] {
    return Bstr(tarn::HostByAddr(com::SystemWinSock(), com::SystemTextServices(), ViewOf(IPAddress)));
  });
}

}  // namespace tarn
