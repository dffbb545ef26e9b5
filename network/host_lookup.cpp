#include "network/host_lookup.h"

#include <array>
#include <cstring>
#include <string>

#include "frame/automation_error.h"
#include "network/winsock_error_text.h"
#include "network/winsock_startup.h"

namespace tarn {
namespace {

// Length of the text at `bytes` up to its NUL, reading no further than the NUL
// and never more than `limit` bytes; `limit` when there is no NUL among them.
size_t BoundedLength(const char* bytes, size_t limit) {
  size_t n = 0;
  while (n < limit && bytes[n] != '\0') ++n;
  return n;
}

// The first address of the host, copied out of the resolver's memory.
std::u16string FirstAddressOf(WinSockApi& api, const std::string& name) {
  const std::optional<HostEntry> entry = api.HostByName(name.c_str());
  if (!entry) return {};
  // A successful lookup always carries an address; an empty list reads as not found.
  if (!entry->address_list || !entry->address_list[0]) return {};
  Ipv4Bytes address;
  std::memcpy(address.data(), entry->address_list[0], address.size());
  return FormatDottedAddress(address);
}

}  // namespace

std::u16string GetIp(WinSockApi& api, const TextServices& text, std::u16string_view host_name) {
  WinSockStartup winsock = StartWinSock(api);
  std::u16string result;
  if (host_name.empty()) {
    std::array<char, kHostNameFieldSize> field{};
    if (api.GetHostName(field.data(), static_cast<int32_t>(field.size())) == 0) {
      result = FirstAddressOf(api, std::string(field.data(), BoundedLength(field.data(), field.size())));
    } else {
      // Without its own name the machine cannot be looked up: whatever the
      // failed call left in the field is no name to trust.
      api.Trace(u"TarnLib.Network.GetIp: the local host name is not available: " + WinSockErrorText(api));
    }
  } else {
    if (host_name.size() > kMaxHostNameLength) RaiseStandardError(kErrInvalidCall);
    result = FirstAddressOf(api, text.ToAnsi(host_name));
  }
  winsock.StopWinSock();
  return result;
}

std::u16string HostByAddr(WinSockApi& api, const TextServices& text, std::u16string_view ip_address) {
  WinSockStartup winsock = StartWinSock(api);
  const Ipv4Bytes address = api.InetAddr(text.ToAnsi(ip_address).c_str());
  std::u16string result;
  if (const std::optional<HostEntry> entry = api.HostByAddr(address); entry && entry->name) {
    const size_t length = BoundedLength(entry->name, kHostNameFieldSize);
    if (length == kHostNameFieldSize) RaiseStandardError(kErrInvalidCall);
    result = text.FromAnsi(std::string_view(entry->name, length));
  }
  winsock.StopWinSock();
  return result;
}

std::u16string FormatDottedAddress(const Ipv4Bytes& address) {
  std::string dotted;
  for (size_t i = 0; i < address.size(); ++i) {
    if (i) dotted += '.';
    dotted += std::to_string(address[i]);
  }
  return std::u16string(dotted.begin(), dotted.end());
}

}  // namespace tarn
