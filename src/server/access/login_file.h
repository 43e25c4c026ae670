// The login file beside the exe, tunaro-login.htdigest, in the htdigest form:
// one line "user:Tunaro:md5(user:Tunaro:password)" in lowercase hex. It is
// optional: devices pair with a code, and the login is for scripts. The
// digest check reads it for each login, so that --set-login counts at once;
// the server checks it at start, so that a broken file is reported once,
// clearly, rather than as a login that fails.
#ifndef TUNARO_SERVER_ACCESS_LOGIN_FILE_H_
#define TUNARO_SERVER_ACCESS_LOGIN_FILE_H_

#include <optional>
#include <string>
#include <vector>

#include "server/system/server_system.h"

namespace tunaro::server {

extern const char kLoginFileName[];
extern const char kLoginRealm[];

// The text that the MD5 of a line is taken of.
std::string DigestSource(const std::string& user, const std::string& password);

std::string LoginLine(const std::string& user, const std::string& md5_hex);

// A user name the file and the browser's login can carry: 1 to 64 printable
// ASCII characters or UTF-8 bytes, no colon (the field separator) and no
// double quote (the browser's header quotes the name).
bool IsGoodUserName(const std::string& user);

// What is wrong with the file's text, naming the line; nothing when it holds
// at least one login and every line is "user:Tunaro:<32 hex>" (CR LF or LF).
std::optional<std::string> LoginTextProblem(const std::string& text);

// A password --set-login takes: 8 characters or more (UTF-8 counted by
// characters). What is wrong with it, or nothing.
std::optional<std::string> PasswordProblem(const std::string& password);

struct LoginEntry {
  std::string user;
  std::string md5_hex;  // md5(user:Tunaro:password)
};

// The logins of a text LoginTextProblem finds nothing wrong with; none for
// any other.
std::vector<LoginEntry> LoginsOf(const std::string& text);

// The file's full path: in the program's folder.
std::string LoginFilePath(ServerSystem& system);

enum class LoginFileState { kMissing, kBroken, kGood };

struct LoginFileCheck {
  LoginFileState state = LoginFileState::kMissing;
  std::string problem;  // kBroken: LoginTextProblem's text
};

// Reads and checks the file. Raises RunError (exit_code::kBadLogin) when it is
// there but cannot be read.
LoginFileCheck CheckLoginFile(ServerSystem& system);

// The logins of the file as it is now; none when it is missing, broken or
// cannot be read (the check at start has said so).
std::vector<LoginEntry> ReadLogins(ServerSystem& system);

// Writes the file whole with the one login, readable by the user alone. Raises RunError (a failure of the
// seam's) saying which file and that the folder must be the user's own.
void SaveLoginFile(ServerSystem& system, const std::string& user, const std::string& md5_hex);

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_ACCESS_LOGIN_FILE_H_
