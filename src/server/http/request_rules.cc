#include "server/http/request_rules.h"

#include <cstddef>
#include <optional>
#include <vector>

#include "base/text_rules.h"

namespace tunaro::server {

const char kRemotePath[] = "/cgi-bin/tunaro/tunaro";

namespace {

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The parts between slashes of a path that starts with one; nothing when one
// is empty (a doubled or final slash).
std::optional<std::vector<std::string>> Segments(const std::string& path) {
  std::vector<std::string> segments;
  size_t start = 1;
  while (true) {
    size_t end = path.find('/', start);
    std::string segment = path.substr(start, end == std::string::npos ? end : end - start);
    if (segment.empty()) return std::nullopt;
    segments.push_back(segment);
    if (end == std::string::npos) return segments;
    start = end + 1;
  }
}

// Letters, digits, '-', '_', '.', inner blanks and UTF-8 bytes; never a
// leading dot (.., hidden files), a trailing dot or blank, '%' (double
// encoding), ':' (streams, drives), '~' (short names), '\' or controls.
bool IsPlainName(const std::string& name) {
  if (name.empty() || name.size() > 128 || name.front() == '.' || name.back() == '.' ||
      name.back() == ' ' || name.front() == ' ') {
    return false;
  }
  for (unsigned char c : name) {
    bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                 c == '-' || c == '_' || c == '.' || c == ' ' || c >= 0x80;
    if (!plain) return false;
  }
  return true;
}

}  // namespace

// ASCII letters, digits, '-' and '_' alone: a name that needs no decoding and
// no case rule beyond ASCII's, and that any code page spells (tunaro.exe is
// given its path in the ANSI one).
bool IsProgramFolderName(const std::string& name) {
  if (name.empty() || name.size() > 64) return false;
  for (char c : name) {
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
          c == '_')) {
      return false;
    }
  }
  return true;
}

RequestKind ClassifyRequest(const std::string& path) {
  if (path == "/") return RequestKind::kRedirectToRemote;
  if (path == "/pair") return RequestKind::kPair;
  if (path == "/login") return RequestKind::kLogin;
  if (path.empty() || path[0] != '/') return RequestKind::kRefuse;
  const std::optional<std::vector<std::string>> parts = Segments(path);
  if (!parts) return RequestKind::kRefuse;
  const std::vector<std::string>& segments = *parts;
  // Of cgi-bin\ only the program itself: never its tunaro.conf or its page
  // parts, which tunaro.exe reads from beside it.
  if (ToLowerText(segments[0]) == "cgi-bin") {
    const bool program =
        segments.size() == 3 && IsProgramFolderName(segments[1]) &&
        (ToLowerText(segments[2]) == "tunaro" || ToLowerText(segments[2]) == "tunaro.exe");
    return program ? RequestKind::kRunProgram : RequestKind::kRefuse;
  }
  for (const std::string& segment : segments) {
    if (!IsPlainName(segment)) return RequestKind::kRefuse;
  }
  // Never a program, the settings, a login file or the devices file, should
  // one be copied here.
  const std::string name = ToLowerText(segments.back());
  if (EndsWith(name, ".exe") || EndsWith(name, ".conf") || EndsWith(name, ".htdigest") ||
      EndsWith(name, ".htpasswd") || name == "tunaro-devices.txt") {
    return RequestKind::kRefuse;
  }
  return RequestKind::kServeFile;
}

}  // namespace tunaro::server
