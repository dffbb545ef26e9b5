#include "time/system_local_clock.h"

#include <windows.h>

namespace tarn::com {
namespace {

class WindowsLocalClock final : public LocalClock {
 public:
  LocalDateTime Now() const override {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
  }
};

}  // namespace

const LocalClock& SystemLocalClock() noexcept {
  static const WindowsLocalClock clock;
  return clock;
}

}  // namespace tarn::com
