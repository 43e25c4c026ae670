// The first start's login, asked in a small window: the user name and the
// password a phone's browser will log in with. Nothing is typed in a
// console.
#ifndef TUNARO_SERVER_DESKTOP_WIN32_LOGIN_DIALOG_H_
#define TUNARO_SERVER_DESKTOP_WIN32_LOGIN_DIALOG_H_

#include <optional>

#include "server/desktop/login_prompt.h"

namespace tunaro::server {

// The login the user chose (a good user name, the password typed twice the
// same), or nothing when they cancelled.
std::optional<Login> AskForLoginInWindow();

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_DESKTOP_WIN32_LOGIN_DIALOG_H_
