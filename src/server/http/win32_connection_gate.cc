// CivetWeb's accept() and closesocket() (civetweb_sockets.h says why): each
// accepted connection is counted for its client's address, and one past
// kConnectionsPerClient is closed before CivetWeb sees it. The count lives as
// long as the process, as CivetWeb's sockets do: C callers give no context.
#include "server/http/civetweb_sockets.h"

// clang-format off
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
// clang-format on

#include <cstring>

#include "server/http/connection_limits.h"
#include "server/runner/win32_wait_deadline.h"

namespace tunaro::server {
namespace {

// How long CivetWeb may drain a closing connection: a client that keeps
// sending would otherwise hold the worker for as long as it likes.
constexpr unsigned long long kDrainMs = 1000;

struct Gate {
  SRWLOCK lock = SRWLOCK_INIT;
  ConnectionCap cap{kConnectionsPerClient};
};

Gate& TheGate() {
  static Gate gate;
  return gate;
}

ClientKey KeyOf(const sockaddr* address) {
  if (address->sa_family == AF_INET6) {
    ClientKey key{};
    std::memcpy(key.data(), &reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr, 16);
    return key;
  }
  std::uint8_t bytes[4];
  std::memcpy(bytes, &reinterpret_cast<const sockaddr_in*>(address)->sin_addr, 4);
  return ClientKeyOfIpv4(bytes);
}

}  // namespace
}  // namespace tunaro::server

extern "C" SOCKET tunaro_accept(SOCKET listener, sockaddr* address, int* length) {
  using namespace tunaro::server;
  const SOCKET accepted = accept(listener, address, length);
  if (accepted == INVALID_SOCKET || address == nullptr) return accepted;
  Gate& gate = TheGate();
  AcquireSRWLockExclusive(&gate.lock);
  const bool admitted = gate.cap.Admit(static_cast<std::uintptr_t>(accepted), KeyOf(address));
  ReleaseSRWLockExclusive(&gate.lock);
  if (admitted) return accepted;
  closesocket(accepted);
  WSASetLastError(WSAECONNREFUSED);
  return INVALID_SOCKET;
}

extern "C" int tunaro_shutdown(SOCKET socket, int how) {
  tunaro::server::SetThreadWaitDeadline(tunaro::server::kDrainMs);
  return shutdown(socket, how);
}

extern "C" int tunaro_closesocket(SOCKET socket) {
  using namespace tunaro::server;
  ClearThreadWaitDeadline();
  // Forgotten first: once closed, Windows may hand the same number to the
  // next accept on the master thread.
  Gate& gate = TheGate();
  AcquireSRWLockExclusive(&gate.lock);
  gate.cap.Release(static_cast<std::uintptr_t>(socket));
  ReleaseSRWLockExclusive(&gate.lock);
  return closesocket(socket);
}
