// Windows Sockets 1.1 of wsock32.dll, reached through the process's table of
// entry points (the DLL does not import wsock32).
#pragma once

#include "network/winsock_api.h"

namespace tarn::com {

WinSockApi& SystemWinSock();

}  // namespace tarn::com
