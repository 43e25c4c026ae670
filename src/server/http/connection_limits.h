// What keeps one client from holding the server: the address list checked
// when a connection is accepted (CivetWeb's access_control_list, in the
// master thread, so a refused address costs no worker), a cap on the
// connections one address may hold at once, and the settings of CivetWeb's
// workers and waits (web_server.cc gives them, with the why).
#ifndef TUNARO_SERVER_HTTP_CONNECTION_LIMITS_H_
#define TUNARO_SERVER_HTTP_CONNECTION_LIMITS_H_

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "server/access/address_allow.h"

namespace tunaro::server {

// Worker threads, and the connections one address may hold: three quarters
// of them, so that another address always finds a quarter free. A phone's
// browser opens up to six at once; the cap leaves room for several clients
// on one address (the PC itself, a home behind one more router), and for a
// client's next connection that comes while its last one is being closed.
// A worker costs a thread: some 1 MiB of memory under Wine, much less on
// Windows.
constexpr int kWorkerThreads = 32;
constexpr int kConnectionsPerClient = 24;

// The ranges in CivetWeb's access_control_list form: each range allowed
// (CivetWeb refuses the rest), its address masked to the prefix (CivetWeb compares
// the masked client with the range's address as written). An IPv4 range is
// given twice, as itself and as IPv4-mapped IPv6 (::ffff:a.b.c.d), the form
// in which the dual-stack socket sees IPv4 clients.
std::string CivetAccessList(const std::vector<AddressRange>& ranges);

// A client's address as 16 bytes, IPv4 in its IPv4-mapped form, so that
// both forms of one client count as one.
using ClientKey = std::array<std::uint8_t, 16>;
ClientKey ClientKeyOfIpv4(const std::uint8_t (&bytes)[4]);

// The open connections by client. Not thread-safe: the caller holds a lock
// (win32_connection_gate.cc, which CivetWeb's accept and close go through).
class ConnectionCap {
 public:
  explicit ConnectionCap(int per_client) : per_client_(per_client) {}

  // Records the accepted socket; false, recording nothing, when its client
  // holds the cap already.
  bool Admit(std::uintptr_t socket, const ClientKey& client);
  // Forgets a socket as it is closed; one never admitted is no fault.
  void Release(std::uintptr_t socket);
  int OpenFrom(const ClientKey& client) const;

 private:
  int per_client_;
  std::map<std::uintptr_t, ClientKey> sockets_;
  std::map<ClientKey, int> per_client_open_;
};

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_HTTP_CONNECTION_LIMITS_H_
