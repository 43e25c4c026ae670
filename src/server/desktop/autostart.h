// Starting the server when the user logs on: a value of the current user's Run
// key, so no administrator is needed.
#ifndef TUNARO_SERVER_DESKTOP_AUTOSTART_H_
#define TUNARO_SERVER_DESKTOP_AUTOSTART_H_

#include <string>
#include <vector>

#include "server/system/server_system.h"

namespace tunaro::server {

// The Run key's value that the server owns.
extern const char kAutostartValueName[];

// Sets the value to this exe with the arguments, each quoted, or removes it.
// Raises RunError when the key cannot be changed.
void SetAutostart(ServerSystem& system, bool on, const std::vector<std::string>& arguments);

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_DESKTOP_AUTOSTART_H_
