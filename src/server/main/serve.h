// The serving sequence: from the checks at start to the stop the user asks for.
#ifndef TUNARO_SERVER_MAIN_SERVE_H_
#define TUNARO_SERVER_MAIN_SERVE_H_

#include "server/main/server_options.h"
#include "server/system/server_system.h"

namespace tunaro::server {

// Serves the release folder until Ctrl+C, the console closing, logoff or
// shutdown. A second copy in the session says where the first one serves and
// returns. Raises RunError, carrying its exit code, for every failure.
void Serve(ServerSystem& system, const ServerOptions& options);

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_MAIN_SERVE_H_
