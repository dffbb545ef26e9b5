// GetIp and HostByAddr of the Network class: each call starts Windows Sockets,
// makes its resolver calls, copies what it needs out of the resolver's memory
// and cleans up. Not finding a host or a name is the empty result, not an
// error.
#pragma once

#include <string>
#include <string_view>

#include "frame/text_services.h"
#include "network/winsock_api.h"

namespace tarn {

// Longest host name GetIp accepts; a longer one raises error 5.
inline constexpr size_t kMaxHostNameLength = 64;
// Size of the host-name field and the most that is read of an official name.
inline constexpr size_t kHostNameFieldSize = 256;

// The first IPv4 address of `host_name` in dotted form; of the local machine
// when `host_name` is empty. When the local machine's name cannot be read the
// result is the empty string and the reason goes to WinSockApi::Trace.
std::u16string GetIp(WinSockApi& api, const TextServices& text, std::u16string_view host_name);

// The official name of the host at dotted address `ip_address`, as the
// resolver gives it. Text that is not an address is looked up as
// 255.255.255.255. A name without NUL within 256 bytes raises error 5.
std::u16string HostByAddr(WinSockApi& api, const TextServices& text, std::u16string_view ip_address);

// "b1.b2.b3.b4", each byte unsigned decimal.
std::u16string FormatDottedAddress(const Ipv4Bytes& address);

}  // namespace tarn
