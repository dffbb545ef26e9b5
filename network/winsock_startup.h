// Start-up and clean-up of Windows Sockets around one lookup. StartWinSock
// asks for version 1.1, checks the version agreed and the socket capacity, and
// hands back a guard; StopWinSock on the guard cleans up and reports a failed
// clean-up. Every successful WSAStartup is matched by exactly one WSACleanup:
// when the lookup ends by an error instead, the guard cleans up quietly, so the
// process-wide start-up count never creeps up and the client still sees the
// error that ended the lookup.
#pragma once

#include <cstdint>
#include <string_view>

#include "network/winsock_api.h"

namespace tarn {

// The version word asked for: major 1 in the low byte, minor 1 in the high byte.
inline constexpr uint16_t kRequestedWinSockVersion = 0x0101;
inline constexpr int16_t kMinimumSockets = 1;
inline constexpr int32_t kSocketError = -1;

// The class's own errors: the object-error base 0x80040000 plus 60001 to 60005.
inline constexpr int32_t kErrWinSockNotResponding = static_cast<int32_t>(0x8004EA61u);
inline constexpr int32_t kErrWinSockCleanup = static_cast<int32_t>(0x8004EA62u);
inline constexpr int32_t kErrWinSockVersion = static_cast<int32_t>(0x8004EA64u);
inline constexpr int32_t kErrWinSockCapacity = static_cast<int32_t>(0x8004EA65u);

// The class passes no source with its errors; the client sees the class's
// programmatic id, as a VB-family runtime fills it in.
inline constexpr std::u16string_view kNetworkSource = u"TarnLib.Network";

// Bits 0 to 7 and bits 8 to 15 of the 16-bit pattern of `value`, 0 to 255.
int32_t LowByteOf(int16_t value) noexcept;
int32_t HighByteOf(int16_t value) noexcept;

class WinSockStartup {
 public:
  WinSockStartup(WinSockStartup&& other) noexcept;
  WinSockStartup(const WinSockStartup&) = delete;
  WinSockStartup& operator=(const WinSockStartup&) = delete;
  WinSockStartup& operator=(WinSockStartup&&) = delete;
  ~WinSockStartup();

  // Cleans up; raises 60002 when WSACleanup fails. Call once, at the end of
  // the lookup's normal path.
  void StopWinSock();

 private:
  friend WinSockStartup StartWinSock(WinSockApi& api);
  explicit WinSockStartup(WinSockApi& api) noexcept : api_(&api) {}

  WinSockApi* api_;  // null once cleaned up
};

// Starts Windows Sockets; raises 60001 when the start-up is refused, 60004
// when the version agreed is below 1.1, 60005 when fewer than one socket is
// available.
WinSockStartup StartWinSock(WinSockApi& api);

}  // namespace tarn
