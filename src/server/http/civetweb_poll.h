/* Given to CivetWeb's compile (-include, with -DHAVE_POLL -Dpoll=tunaro_poll):
 * its poll() on Windows becomes ours, through WSAPoll (win32_poll.cc). */
#ifndef TUNARO_SERVER_HTTP_CIVETWEB_POLL_H_
#define TUNARO_SERVER_HTTP_CIVETWEB_POLL_H_

#include <winsock2.h>

#ifdef __cplusplus
extern "C" {
#endif

int tunaro_poll(WSAPOLLFD* sockets, unsigned int count, int timeout_ms);

#ifdef __cplusplus
}
#endif

#endif /* TUNARO_SERVER_HTTP_CIVETWEB_POLL_H_ */
