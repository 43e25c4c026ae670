// The first start's questions in the console: the user name and password the
// phone will log in with.
#ifndef TUNARO_SERVER_DESKTOP_LOGIN_PROMPT_H_
#define TUNARO_SERVER_DESKTOP_LOGIN_PROMPT_H_

#include <string>

namespace tunaro::server {

struct Login {
  std::string user;
  std::string password;
};

// Asks for a user name (the Windows one offered) and a password typed twice,
// three tries. Raises RunError: exit_code::kBadLogin when there is no console
// to ask in (naming --set-login instead), kFailed when the input ends or no
// two passwords matched.
Login AskForLogin();

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_DESKTOP_LOGIN_PROMPT_H_
