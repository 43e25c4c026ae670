#include "server/http/win32_port_probe.h"

// winsock2.h must come before windows.h.
// clang-format off
#include <winsock2.h>
#include <windows.h>
// clang-format on

namespace tunaro::server {

bool PortInUse(int port) {
  WSADATA wsa;
  WSAStartup(MAKEWORD(2, 2), &wsa);
  SOCKET probe = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (probe == INVALID_SOCKET) return false;
  // Exclusive, so that the bind fails while any other socket has the port, on
  // any address.
  BOOL exclusive = TRUE;
  setsockopt(probe, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive),
             sizeof exclusive);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<u_short>(port));
  address.sin_addr.s_addr = htonl(INADDR_ANY);
  const bool taken = bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 &&
                     (WSAGetLastError() == WSAEADDRINUSE || WSAGetLastError() == WSAEACCES);
  closesocket(probe);
  return taken;
}

}  // namespace tunaro::server
