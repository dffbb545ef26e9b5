// English sentences for the calling thread's last Windows Sockets error.
#pragma once

#include <cstdint>
#include <string>

#include "network/winsock_api.h"

namespace tarn {

// The text for `code`: the empty string for 0, the table's row where there is
// one, else "Winsock Has Returned Error #" and the decimal code.
std::u16string WinSockErrorTextOf(int32_t code);

// The text for the thread's last error; asks WSAGetLastError exactly once.
std::u16string WinSockErrorText(WinSockApi& api);

}  // namespace tarn
