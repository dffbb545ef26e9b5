#include "network/winsock_startup.h"

#include <string>
#include <utility>

#include "frame/automation_error.h"

namespace tarn {
namespace {

std::u16string Decimal(int64_t value) {
  const std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

[[noreturn]] void RaiseNetworkError(int32_t number, std::u16string description) {
  throw AutomationError(number, std::move(description), std::u16string(kNetworkSource));
}

}  // namespace

int32_t LowByteOf(int16_t value) noexcept { return static_cast<uint16_t>(value) & 0xFF; }

int32_t HighByteOf(int16_t value) noexcept { return (static_cast<uint16_t>(value) >> 8) & 0xFF; }

WinSockStartup::WinSockStartup(WinSockStartup&& other) noexcept : api_(std::exchange(other.api_, nullptr)) {}

WinSockStartup::~WinSockStartup() {
  if (!api_) return;
  // Reached only when the lookup is already ending by an error: that error is
  // the one the client must see, so a failing clean-up here stays silent.
  try {
    api_->Cleanup();
  } catch (...) {
  }
}

void WinSockStartup::StopWinSock() {
  WinSockApi* api = std::exchange(api_, nullptr);
  if (!api) return;
  const int32_t r = api->Cleanup();
  if (r != 0) RaiseNetworkError(kErrWinSockCleanup, u"Socket error " + Decimal(r) + u" occurred in   Cleanup \"");
}

WinSockStartup StartWinSock(WinSockApi& api) {
  WinSockStartupData data{};
  if (api.Startup(kRequestedWinSockVersion, data) != 0) {
    RaiseNetworkError(kErrWinSockNotResponding, u"Winsock.dll is not responding.");
  }
  WinSockStartup started(api);

  const auto version = static_cast<int16_t>(data.version);
  const int32_t major = LowByteOf(version);
  const int32_t minor = HighByteOf(version);
  if (major < 1 || (major == 1 && minor < 1)) {
    RaiseNetworkError(kErrWinSockVersion, u"Windows Sockets version " + Decimal(major) + u"." + Decimal(minor) +
                                              u" is not supported by winsock.dll ");
  }
  if (static_cast<int16_t>(data.max_sockets) < kMinimumSockets) {
    RaiseNetworkError(kErrWinSockCapacity,
                      u"This application requires a minimum of " + Decimal(kMinimumSockets) + u" supported  sockets.");
  }
  return started;
}

}  // namespace tarn
