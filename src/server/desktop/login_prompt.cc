#include "server/desktop/login_prompt.h"

#include <optional>

#include "base/run_error.h"
#include "server/access/login_file.h"
#include "server/desktop/win32_console.h"
#include "server/system/server_exit.h"

namespace tunaro::server {
namespace {

constexpr int kPasswordTries = 3;

// The input ended (Ctrl+Z, a closed pipe): nothing more to say.
std::string ReadOrEnd(bool hidden) {
  std::optional<std::string> line = ReadInputLine(hidden);
  if (!line) throw RunError(exit_code::kFailed, "");
  return *line;
}

std::string AskForUser() {
  const std::string suggested = WindowsUserName();
  while (true) {
    Print("User name" + (suggested.empty() ? std::string() : " [" + suggested + "]") + ": ");
    std::string user = ReadOrEnd(false);
    if (user.empty()) user = suggested;
    if (IsGoodUserName(user)) return user;
    Print("A user name of 1 to 64 characters, without a colon or a double quote, please.\n");
  }
}

}  // namespace

Login AskForLogin() {
  if (!InputIsConsole()) {
    throw RunError(exit_code::kBadLogin,
                   "No login yet. Start tunaro-server.exe in a console window to set one, or run: "
                   "tunaro-server.exe --set-login USER (the password on standard input)");
  }
  Print("\nNo login set yet. Choose the user name and password your phone will log in with.\n");
  Login login;
  login.user = AskForUser();
  for (int tries = 0; tries < kPasswordTries; ++tries) {
    Print("Password (not shown): ");
    const std::string password = ReadOrEnd(true);
    Print("The same password again: ");
    const std::string again = ReadOrEnd(true);
    if (password.empty()) {
      Print("The password must not be empty.\n");
    } else if (password != again) {
      Print("The two did not match. Once more.\n");
    } else {
      login.password = password;
      return login;
    }
  }
  throw RunError(exit_code::kFailed, "No login set.");
}

}  // namespace tunaro::server
