// The serving sequence: from the checks at start to the stop the user asks for.
#ifndef TUNARO_SERVER_MAIN_SERVE_H_
#define TUNARO_SERVER_MAIN_SERVE_H_

#include "server/main/server_options.h"
#include "server/system/server_system.h"

namespace tunaro::server {

// Serves the release folder: in its window and tray icon until Quit, logoff
// or shutdown; with --console in the console until Ctrl+C or the console
// closing. A second copy in the session brings the first one's window to the
// front (or says where it serves) and returns. Raises RunError, carrying its
// exit code, for every failure; without a console it is shown in a message
// box too.
void Serve(ServerSystem& system, const ServerOptions& options);

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_MAIN_SERVE_H_
