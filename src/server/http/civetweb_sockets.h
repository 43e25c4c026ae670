/* Given to CivetWeb's compile (-include, after civetweb_poll.h): its accept()
 * and closesocket() become ours (win32_connection_gate.cc), which count the
 * connections each client address holds and close one over the cap at once,
 * in CivetWeb's master thread, before any worker takes it. CivetWeb has no
 * callback that may refuse a connection (init_connection's answer is
 * ignored), and its sources stay as Debian ships them. Its shutdown(), made
 * as it closes a connection, becomes ours too: CivetWeb then drains what the
 * client still sends for as long as it keeps sending, which ours bounds to a
 * second (a wait deadline, runner/win32_wait_deadline.h). */
#ifndef TUNARO_SERVER_HTTP_CIVETWEB_SOCKETS_H_
#define TUNARO_SERVER_HTTP_CIVETWEB_SOCKETS_H_

#include <winsock2.h>

#ifdef __cplusplus
extern "C" {
#endif

SOCKET tunaro_accept(SOCKET listener, struct sockaddr* address, int* length);
int tunaro_closesocket(SOCKET socket);
int tunaro_shutdown(SOCKET socket, int how);

#ifdef __cplusplus
}
#endif

/* Only in CivetWeb's compile: winsock2.h has been read above, so only the
 * calls that follow are renamed, never its declarations. */
#ifdef TUNARO_CIVETWEB_SOCKETS
#define accept tunaro_accept
#define closesocket tunaro_closesocket
#define shutdown tunaro_shutdown
#endif

#endif /* TUNARO_SERVER_HTTP_CIVETWEB_SOCKETS_H_ */
