#include "server/access/login_file.h"

#include <cstddef>
#include <utility>
#include <vector>

#include "base/run_error.h"
#include "server/system/server_exit.h"

namespace tunaro::server {

const char kLoginFileName[] = "tunaro-login.htdigest";
const char kLoginRealm[] = "Tunaro";

namespace {

// A login file is one line or a few; more than this is no login file, and is
// judged by its start.
constexpr std::size_t kLoginFileLimit = 64 * 1024;

}  // namespace

std::string DigestSource(const std::string& user, const std::string& password) {
  return user + ":" + kLoginRealm + ":" + password;
}

std::string LoginLine(const std::string& user, const std::string& md5_hex) {
  return user + ":" + kLoginRealm + ":" + md5_hex + "\r\n";
}

bool IsGoodUserName(const std::string& user) {
  if (user.empty() || user.size() > 64) return false;
  for (unsigned char c : user) {
    if (c < 0x20 || c == 0x7f || c == ':' || c == '"') return false;
  }
  return true;
}

namespace {

// The file's lines that are not empty, each with its number from 1: lines end
// at LF, a CR before it dropped.
std::vector<std::pair<int, std::string>> LoginLines(const std::string& text) {
  std::vector<std::pair<int, std::string>> lines;
  int line_number = 0;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    ++line_number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.emplace_back(line_number, std::move(line));
  }
  return lines;
}

}  // namespace

std::optional<std::string> LoginTextProblem(const std::string& text) {
  int logins = 0;
  for (const auto& [line_number, line] : LoginLines(text)) {
    const std::string where = "line " + std::to_string(line_number);
    size_t first = line.find(':');
    size_t second = first == std::string::npos ? first : line.find(':', first + 1);
    if (second == std::string::npos) {
      return where + " is not user:" + std::string(kLoginRealm) + ":digest";
    }
    if (!IsGoodUserName(line.substr(0, first))) return where + " has an unusable user name";
    if (line.substr(first + 1, second - first - 1) != kLoginRealm) {
      return where + " is not for the realm " + std::string(kLoginRealm);
    }
    // CivetWeb compares the digest as text with the lowercase hex it makes.
    std::string digest = line.substr(second + 1);
    bool hex = digest.size() == 32;
    for (char c : digest) hex = hex && ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'));
    if (!hex) return where + " has no 32-digit digest";
    ++logins;
  }
  if (logins == 0) return std::string("it holds no login");
  return std::nullopt;
}

std::optional<std::string> PasswordProblem(const std::string& password) {
  std::size_t characters = 0;
  for (char c : password) {
    if ((static_cast<unsigned char>(c) & 0xc0) != 0x80) ++characters;  // not a continuation byte
  }
  if (characters < 8) return std::string("a password of at least 8 characters, please");
  return std::nullopt;
}

std::vector<LoginEntry> LoginsOf(const std::string& text) {
  std::vector<LoginEntry> logins;
  if (LoginTextProblem(text)) return logins;
  for (const auto& numbered : LoginLines(text)) {
    const std::string& line = numbered.second;
    const size_t first = line.find(':');
    logins.push_back({line.substr(0, first), line.substr(line.find(':', first + 1) + 1)});
  }
  return logins;
}

std::string LoginFilePath(ServerSystem& system) {
  return system.ProgramFolder() + "\\" + kLoginFileName;
}

LoginFileCheck CheckLoginFile(ServerSystem& system) {
  const std::string path = LoginFilePath(system);
  std::optional<std::string> text;
  try {
    text = system.ReadWholeFile(path, kLoginFileLimit);
  } catch (const RunError&) {
    throw RunError(exit_code::kBadLogin, "cannot read the login file " + path);
  }
  if (!text) return LoginFileCheck{LoginFileState::kMissing, {}};
  if (std::optional<std::string> problem = LoginTextProblem(*text)) {
    return LoginFileCheck{LoginFileState::kBroken, *problem};
  }
  return LoginFileCheck{LoginFileState::kGood, {}};
}

std::vector<LoginEntry> ReadLogins(ServerSystem& system) {
  try {
    const std::optional<std::string> text =
        system.ReadWholeFile(LoginFilePath(system), kLoginFileLimit);
    return text ? LoginsOf(*text) : std::vector<LoginEntry>();
  } catch (const RunError&) {
    return {};
  }
}

void SaveLoginFile(ServerSystem& system, const std::string& user, const std::string& md5_hex) {
  try {
    // Its digest is as good as the password for a digest login: the user's alone.
    system.WriteUserOnlyFile(LoginFilePath(system), LoginLine(user, md5_hex));
  } catch (const RunError& failure) {
    throw RunError(failure.number(), failure.description() + ": is the folder your own?");
  }
}

}  // namespace tunaro::server
