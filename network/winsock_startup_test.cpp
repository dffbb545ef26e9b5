#include "network/winsock_startup.h"

#include <gtest/gtest.h>

#include "network/fake_winsock.h"
#include "tests/native/error_of.h"

namespace tarn {
namespace {

using testing::ErrorOf;
using testing::FakeWinSock;

// Starts and stops once, as a lookup does.
void StartAndStop(FakeWinSock& winsock) {
  WinSockStartup started = StartWinSock(winsock);
  started.StopWinSock();
}

TEST(ByteOf, TakesTheBytesOfTheSixteenBitPattern) {
  const struct {
    int16_t value;
    int32_t low, high;
  } rows[] = {
      {0x0101, 1, 1},     {0x0201, 1, 2}, {0x0002, 2, 0},
      {0, 0, 0},          {-1, 255, 255}, {static_cast<int16_t>(0x8000), 0, 128},
      {0x7F80, 128, 127},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(LowByteOf(row.value), row.low) << row.value;
    EXPECT_EQ(HighByteOf(row.value), row.high) << row.value;
  }
}

TEST(StartWinSock, AcceptsVersionsFromOneOneAndRejectsLowerOnesWithTheirNumbers) {
  const struct {
    uint16_t agreed;
    const char16_t* error;  // null: accepted
  } rows[] = {
      {0x0101, nullptr},
      {0x0201, nullptr},
      {0x0002, nullptr},
      {0xFFFF, nullptr},
      {0x0001, u"Windows Sockets version 1.0 is not supported by winsock.dll "},
      {0x0000, u"Windows Sockets version 0.0 is not supported by winsock.dll "},
      {0xFF00, u"Windows Sockets version 0.255 is not supported by winsock.dll "},
  };
  for (const auto& row : rows) {
    FakeWinSock winsock;
    winsock.agreed.version = row.agreed;
    std::u16string description;
    const int32_t number = ErrorOf([&] { StartAndStop(winsock); }, &description);
    EXPECT_EQ(winsock.requested, 0x0101) << row.agreed;
    if (row.error) {
      EXPECT_EQ(number, -2147161500) << row.agreed;
      EXPECT_EQ(description, row.error) << row.agreed;
    } else {
      EXPECT_EQ(number, 0) << row.agreed;
    }
    EXPECT_EQ(winsock.cleanups, 1) << row.agreed;  // cleaned up on the error path too
  }
}

TEST(StartWinSock, NeedsAtLeastOneSocketReadAsSigned16Bit) {
  const struct {
    uint16_t max_sockets;
    bool accepted;
  } rows[] = {{0, false}, {1, true}, {32767, true}, {0x8000, false}, {0xFFFF, false}};
  for (const auto& row : rows) {
    FakeWinSock winsock;
    winsock.agreed.max_sockets = row.max_sockets;
    std::u16string description;
    const int32_t number = ErrorOf([&] { StartAndStop(winsock); }, &description);
    if (row.accepted) {
      EXPECT_EQ(number, 0) << row.max_sockets;
    } else {
      EXPECT_EQ(number, -2147161499) << row.max_sockets;
      EXPECT_EQ(description, u"This application requires a minimum of 1 supported  sockets.") << row.max_sockets;
    }
    EXPECT_EQ(winsock.cleanups, 1) << row.max_sockets;
  }
}

TEST(StartWinSock, ARefusedStartUpIsTheOnlyErrorAndIsNotCleanedUp) {
  FakeWinSock winsock;
  winsock.startup_result = 10091;
  winsock.agreed = {0x0000, 0};  // would fail both checks if they were made
  std::u16string description;
  try {
    StartAndStop(winsock);
    ADD_FAILURE() << "no error";
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.number(), -2147161503);
    EXPECT_EQ(e.description(), u"Winsock.dll is not responding.");
    EXPECT_EQ(e.source(), u"TarnLib.Network");
  }
  EXPECT_EQ(winsock.cleanups, 0);
}

TEST(StopWinSock, AFailedCleanUpReportsWhatWSACleanupReturned) {
  const struct {
    int32_t result;
    const char16_t* description;
  } rows[] = {
      {-1, u"Socket error -1 occurred in   Cleanup \""},
      {10093, u"Socket error 10093 occurred in   Cleanup \""},
  };
  for (const auto& row : rows) {
    FakeWinSock winsock;
    winsock.cleanup_result = row.result;
    std::u16string description;
    EXPECT_EQ(ErrorOf([&] { StartAndStop(winsock); }, &description), -2147161502) << row.result;
    EXPECT_EQ(description, row.description) << row.result;
    EXPECT_EQ(winsock.cleanups, 1) << row.result;  // tried once, not again by the guard
  }
}

TEST(WinSockStartup, AnErrorDuringTheLookupCleansUpOnceAndKeepsThatError) {
  FakeWinSock winsock;
  winsock.cleanup_result = -1;  // the quiet clean-up must not replace the lookup's error
  EXPECT_EQ(ErrorOf([&] {
              WinSockStartup started = StartWinSock(winsock);
              RaiseStandardError(kErrInvalidCall);
            }),
            5);
  EXPECT_EQ(winsock.startups, 1);
  EXPECT_EQ(winsock.cleanups, 1);
}

TEST(WinSockStartup, AMovedGuardCleansUpOnce) {
  FakeWinSock winsock;
  {
    WinSockStartup first = StartWinSock(winsock);
    WinSockStartup second(std::move(first));
  }
  EXPECT_EQ(winsock.cleanups, 1);
}

}  // namespace
}  // namespace tarn
