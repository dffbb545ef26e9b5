#include "network/network.h"

#include "frame/com/call_frame.h"

namespace tarn {

using com::Bstr;
using com::NotAvailableYet;
using com::RunMember;

HRESULT Network::GetIp(BSTR, BSTR* result) {
  return RunMember(this, result, [] { return NotAvailableYet<Bstr>(u"GetIp"); });
}

HRESULT Network::HostByAddr(BSTR, BSTR* result) {
  return RunMember(this, result, [] { return NotAvailableYet<Bstr>(u"HostByAddr"); });
}

}  // namespace tarn
