#include "server/http/request_rules.h"

#include <cstddef>
#include <vector>

#include "base/text_rules.h"

namespace tunaro::server {

const char kRemotePath[] = "/cgi-bin/tunaro/tunaro";

namespace {

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The parts between slashes; false when one is empty (a doubled or final slash).
bool SplitSegments(const std::string& path, std::vector<std::string>* segments) {
  size_t start = 1;
  while (true) {
    size_t end = path.find('/', start);
    std::string segment = path.substr(start, end == std::string::npos ? end : end - start);
    if (segment.empty()) return false;
    segments->push_back(segment);
    if (end == std::string::npos) return true;
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
  std::vector<std::string> segments;
  if (path.empty() || path[0] != '/' || !SplitSegments(path, &segments)) {
    return RequestKind::kRefuse;
  }
  if (ToLowerText(segments[0]) == "cgi-bin") {
    const bool program =
        segments.size() == 3 && IsProgramFolderName(segments[1]) &&
        (ToLowerText(segments[2]) == "tunaro" || ToLowerText(segments[2]) == "tunaro.exe");
    return program ? RequestKind::kRunProgram : RequestKind::kRefuse;
  }
  for (const std::string& segment : segments) {
    if (!IsPlainName(segment)) return RequestKind::kRefuse;
  }
  // Never a program, the settings or a login file, should one be copied here.
  const std::string name = ToLowerText(segments.back());
  if (EndsWith(name, ".exe") || EndsWith(name, ".conf") || EndsWith(name, ".htdigest") ||
      EndsWith(name, ".htpasswd")) {
    return RequestKind::kRefuse;
  }
  return RequestKind::kServeFile;
}

}  // namespace tunaro::server
