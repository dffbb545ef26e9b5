#include "network/winsock_error_text.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "network/fake_winsock.h"

namespace tarn {
namespace {

struct Row {
  int32_t code;
  const char16_t* text;
};

// The whole table, as the class's users read it.
constexpr Row kTable[] = {
    {10004, u"The (blocking) call was canceled via WSACancelBlockingCall()."},
    {10009, u"No additional information provided."},
    {10013, u"The requested address is a broadcast address, but the appropriate flag was not set."},
    {10014, u"The length argument is not correct."},
    {10022, u"One of the specified parameters was invalid."},
    {10024, u"No more file descriptors are available."},
    {10035, u"The asynchronous operation cannot be scheduled at this time due to resource or other constraints."},
    {10036, u"A blocking operation is in progress."},
    {10037, u"The asynchronous routine being canceled has already completed."},
    {10038, u"The descriptor is a file, not a socket."},
    {10039, u"A destination address is required."},
    {10040, u"The datagram was too large to fit into the specified buffer and was truncated."},
    {10041, u"The specified protocol is the wrong type for this socket."},
    {10042, u"The option is unknown or unsupported."},
    {10043, u"The specified protocol is not supported."},
    {10044, u"The specified socket type is not supported in this address family."},
    {10045, u"The referenced socket is not a type that supports connection-oriented service."},
    {10046, u"No additional information is provided."},
    {10048, u"The specified address is already in use."},
    {10049, u"The specified address is not available from the local machine."},
    {10050, u"The network subsystem has failed."},
    {10051, u"The network cannot be reached from this host at this time."},
    {10052, u"The connection must be reset because the connection was dropped."},
    {10053, u"The connection was aborted due to timeout or other failure."},
    {10054, u"The connection was reset by the remote side."},
    {10055, u"No/Insufficient buffer space is available."},
    {10056, u"The socket is already connected."},
    {10057, u"The socket is not connected."},
    {10058, u"The socket has been shutdown."},
    {10059, u"No additional information is provided."},
    {10060, u"Attempt to connect timed out without establishing a connection."},
    {10061, u"The attempt to connect was forcefully rejected."},
    {10062, u"No additional information is provided."},
    {10063, u"No additional information is provided."},
    {10064, u"No additional information is provided."},
    {10065, u"No additional information is provided."},
    {10091, u"The Network subsystem is unusable."},
    {10092, u"The TCP/IP Stack on this system will not support this application."},
    {10093, u"A successful WSAStartup() has not yet occurred."},
    {11001, u"Host not found (Authoritative Answer)"},
    {11002, u"Host not found or SERVERFAIL (Non-Authoritative Answer)"},
    {11003, u"Non-Recoverable Error."},
    {11004, u"No data record for the requested host."},
};

std::u16string Fallback(int32_t code) {
  const std::string digits = std::to_string(code);
  return u"Winsock Has Returned Error #" + std::u16string(digits.begin(), digits.end());
}

TEST(WinSockErrorText, EveryRowOfTheTable) {
  static_assert(std::size(kTable) == 43);
  for (const Row& row : kTable) EXPECT_EQ(WinSockErrorTextOf(row.code), row.text) << row.code;
}

TEST(WinSockErrorText, EveryOtherCodeAroundTheTableTakesTheFallback) {
  int rows_found = 0;
  for (int32_t code = -100; code <= 12000; ++code) {
    const Row* row = nullptr;
    for (const Row& candidate : kTable) {
      if (candidate.code == code) row = &candidate;
    }
    if (row) {
      ++rows_found;
    } else if (code != 0) {
      ASSERT_EQ(WinSockErrorTextOf(code), Fallback(code)) << code;
    }
  }
  EXPECT_EQ(rows_found, 43);
  EXPECT_EQ(WinSockErrorTextOf(0), u"");
  EXPECT_EQ(WinSockErrorTextOf(10047), u"Winsock Has Returned Error #10047");
  EXPECT_EQ(WinSockErrorTextOf(-1), u"Winsock Has Returned Error #-1");
  EXPECT_EQ(WinSockErrorTextOf(INT32_MIN), u"Winsock Has Returned Error #-2147483648");
  EXPECT_EQ(WinSockErrorTextOf(INT32_MAX), u"Winsock Has Returned Error #2147483647");
}

TEST(WinSockErrorText, AsksForTheThreadsLastErrorOnce) {
  testing::FakeWinSock winsock;
  winsock.last_error = 11001;
  EXPECT_EQ(WinSockErrorText(winsock), u"Host not found (Authoritative Answer)");
  EXPECT_EQ(winsock.last_error_calls, 1);
}

}  // namespace
}  // namespace tarn
