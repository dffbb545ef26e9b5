// The Windows Sockets 1.1 calls that the Network class makes, as a seam with
// portable types: the DLL binds it to wsock32.dll through the table of entry
// points, native tests to a fake. Records come back already read through the
// platform's own structure layouts (WSADATA and hostent differ between 32-bit
// and 64-bit Windows); pointers refer to memory that Windows Sockets owns and
// are valid only until the next call on the same thread.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace tarn {

// Four address bytes in network order, as inet_addr gives them and as the
// address list of a host entry points to them.
using Ipv4Bytes = std::array<uint8_t, 4>;

// The two fields of WSADATA that the start-up checks read.
struct WinSockStartupData {
  uint16_t version = 0;      // wVersion: major in the low byte, minor in the high byte
  uint16_t max_sockets = 0;  // iMaxSockets, as the 16-bit pattern the platform stored
};

// The two fields of a hostent that the lookups read.
struct HostEntry {
  const char* name = nullptr;                 // h_name
  const char* const* address_list = nullptr;  // h_addr_list, ended by a null pointer
};

class WinSockApi {
 public:
  virtual ~WinSockApi() = default;

  // WSAStartup: 0 when started, else an error code. `data` starts zeroed.
  virtual int32_t Startup(uint16_t requested_version, WinSockStartupData& data) = 0;
  // WSACleanup: 0, or SOCKET_ERROR (-1).
  virtual int32_t Cleanup() = 0;
  virtual int32_t LastError() = 0;
  // gethostname into `buffer` of `length` bytes: 0, or SOCKET_ERROR.
  virtual int32_t GetHostName(char* buffer, int32_t length) = 0;
  // gethostbyname; nothing when the name is not found.
  virtual std::optional<HostEntry> HostByName(const char* name) = 0;
  // inet_addr; all bits set for text that is not an address.
  virtual Ipv4Bytes InetAddr(const char* text) = 0;
  // gethostbyaddr for an AF_INET address of 4 bytes; nothing when it has no name.
  virtual std::optional<HostEntry> HostByAddr(const Ipv4Bytes& address) = 0;

  // A note for a developer watching the process (the debugger's output in the
  // DLL): the library shows no user interface of its own.
  virtual void Trace(std::u16string_view message) = 0;
};

}  // namespace tarn
