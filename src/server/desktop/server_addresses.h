// The addresses the console tells the user to open on the phone.
#ifndef TUNARO_SERVER_DESKTOP_SERVER_ADDRESSES_H_
#define TUNARO_SERVER_DESKTOP_SERVER_ADDRESSES_H_

#include <string>
#include <vector>

#include "server/system/server_system.h"

namespace tunaro::server {

// "http://NAME:port/" first (the computer's name, "localhost" when the system
// will not say it), then one for each IPv4 address of an adapter that is up,
// loopback left out.
std::vector<std::string> ServerAddresses(ServerSystem& system, int port);

// The host the pairing QR code names: the first IPv4 address of an adapter
// that is up (a phone reaches an address where a name may not resolve), else
// the computer's name, else "localhost".
std::string PairingHost(ServerSystem& system);

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_DESKTOP_SERVER_ADDRESSES_H_
