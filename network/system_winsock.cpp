#include "network/system_winsock.h"

#include <windows.h>
#include <winsock.h>

#include <cstring>
#include <string>

#include "frame/win32/system_entry_points.h"
#include "frame/win32/win_text_services.h"

namespace tarn::com {
namespace {

// The declarations of winsock.h give the calling convention; the functions
// themselves are bound by name at run time.
using WSAStartupFunction = decltype(&::WSAStartup);
using WSACleanupFunction = decltype(&::WSACleanup);
using WSAGetLastErrorFunction = decltype(&::WSAGetLastError);
using GethostnameFunction = decltype(&::gethostname);
using GethostbynameFunction = decltype(&::gethostbyname);
using InetAddrFunction = decltype(&::inet_addr);
using GethostbyaddrFunction = decltype(&::gethostbyaddr);

// The fields the lookups read, copied out of the resolver's record at once;
// the record's layout is the platform's own for this build.
std::optional<HostEntry> EntryOf(const hostent* found) {
  if (!found) return std::nullopt;
  const hostent copy = *found;
  return HostEntry{copy.h_name, copy.h_addr_list};
}

class SystemWinSockApi final : public WinSockApi {
 public:
  int32_t Startup(uint16_t requested_version, WinSockStartupData& data) override {
    // Bound before the start-up, so that a started Windows Sockets can
    // always be cleaned up.
    SystemEntryPoints().Address(EntryPoint::kWSACleanup);
    WSADATA record;
    std::memset(&record, 0, sizeof record);
    const int result = SystemEntryPoints().Get<WSAStartupFunction>(EntryPoint::kWSAStartup)(requested_version, &record);
    data.version = record.wVersion;
    data.max_sockets = record.iMaxSockets;
    return result;
  }

  int32_t Cleanup() override { return SystemEntryPoints().Get<WSACleanupFunction>(EntryPoint::kWSACleanup)(); }

  int32_t LastError() override {
    return SystemEntryPoints().Get<WSAGetLastErrorFunction>(EntryPoint::kWSAGetLastError)();
  }

  int32_t GetHostName(char* buffer, int32_t length) override {
    return SystemEntryPoints().Get<GethostnameFunction>(EntryPoint::kGethostname)(buffer, length);
  }

  std::optional<HostEntry> HostByName(const char* name) override {
    return EntryOf(SystemEntryPoints().Get<GethostbynameFunction>(EntryPoint::kGethostbyname)(name));
  }

  Ipv4Bytes InetAddr(const char* text) override {
    const u_long address = SystemEntryPoints().Get<InetAddrFunction>(EntryPoint::kInetAddr)(text);
    static_assert(sizeof address >= 4);
    Ipv4Bytes bytes;
    std::memcpy(bytes.data(), &address, bytes.size());  // already in network order
    return bytes;
  }

  std::optional<HostEntry> HostByAddr(const Ipv4Bytes& address) override {
    const auto lookup = SystemEntryPoints().Get<GethostbyaddrFunction>(EntryPoint::kGethostbyaddr);
    return EntryOf(lookup(reinterpret_cast<const char*>(address.data()), static_cast<int>(address.size()), AF_INET));
  }

  void Trace(std::u16string_view message) override {
    // The ANSI form: the DLL imports it already, and the texts are English.
    const std::string line = SystemTextServices().ToAnsi(message) + "\n";
    OutputDebugStringA(line.c_str());
  }
};

}  // namespace

WinSockApi& SystemWinSock() {
  static SystemWinSockApi api;
  return api;
}

}  // namespace tarn::com
