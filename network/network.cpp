#include "network/network.h"

#include "frame/com/call_frame.h"
#include "frame/com/win_text_services.h"
#include "network/host_lookup.h"
#include "network/system_winsock.h"

namespace tarn {

using com::Bstr;
using com::RunMember;
using com::ViewOf;

namespace {

// The platform's type-library dispatch hands an omitted optional String (an
// optional parameter that is not a Variant and has no default) to the v-table
// as the missing-argument value itself, DISP_E_PARAMNOTFOUND, in the pointer's
// place. That value is no string the client allocated: it reads as omitted.
std::u16string_view HostNameArgument(BSTR name) {
  if (reinterpret_cast<uintptr_t>(name) == static_cast<uint32_t>(DISP_E_PARAMNOTFOUND)) return {};
  return ViewOf(name);
}

}  // namespace

HRESULT Network::GetIp(BSTR TextualHostName, BSTR* result) {
  return RunMember(this, result, [&] {
    return Bstr(tarn::GetIp(com::SystemWinSock(), com::SystemTextServices(), HostNameArgument(TextualHostName)));
  });
}

HRESULT Network::HostByAddr(BSTR IPAddress, BSTR* result) {
  return RunMember(this, result, [&] {
    return Bstr(tarn::HostByAddr(com::SystemWinSock(), com::SystemTextServices(), ViewOf(IPAddress)));
  });
}

}  // namespace tarn
