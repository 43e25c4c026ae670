// Whether another program has the port: CivetWeb only says that setting up
// its ports failed, and the user is to be told to take another port.
#ifndef TUNARO_SERVER_HTTP_WIN32_PORT_PROBE_H_
#define TUNARO_SERVER_HTTP_WIN32_PORT_PROBE_H_

namespace tunaro::server {

// True when binding the port on IPv4 is refused as taken. Starts Winsock for
// the probe and leaves it started, for CivetWeb's sockets.
bool PortInUse(int port);

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_HTTP_WIN32_PORT_PROBE_H_
