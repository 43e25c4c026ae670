// Starting the server when the user logs on: a value of the current user's Run
// key, so no administrator is needed, beside which Task Manager and Settings
// keep a flag under StartupApproved\Run that may disable it.
#ifndef TUNARO_SERVER_DESKTOP_AUTOSTART_H_
#define TUNARO_SERVER_DESKTOP_AUTOSTART_H_

#include <string>
#include <vector>

#include "server/system/server_system.h"

namespace tunaro::server {

// The Run key's value that the server owns.
extern const char kAutostartValueName[];

// On: the value set to this exe with the arguments, each quoted, and a
// "disabled" flag that Task Manager left cleared. Off: both removed. Raises
// RunError when the keys cannot be changed.
void SetAutostart(ServerSystem& system, bool on, const std::vector<std::string>& arguments);

// Whether Windows will start it at the next logon: the value is there and
// not disabled.
bool AutostartIsOn(ServerSystem& system);

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_DESKTOP_AUTOSTART_H_
