#include "server/access/http_fields.h"

#include <cstddef>

#include "base/text_rules.h"

namespace tunaro::server {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || IsDigit(c) || c == '-' || c == '.' ||
         c == '_';
}

// A token of HTTP: the characters a parameter's name and an unquoted value
// may have.
bool IsTokenChar(char c) {
  return IsNameChar(c) ||
         (c != '\0' && std::string_view("!#$%&'*+^`|~").find(c) != std::string_view::npos);
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::optional<int> ReadPort(std::string_view text) {
  if (text.empty() || text.size() > 5) return std::nullopt;
  int value = 0;
  for (char c : text) {
    if (!IsDigit(c)) return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value < 1 || value > 65535) return std::nullopt;
  return value;
}

int HexDigit(char c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::optional<HostHeader> ParseHostHeader(std::string_view value) {
  value = TrimBlanks(value);
  HostHeader host;
  std::string_view rest;
  if (!value.empty() && value.front() == '[') {
    const std::size_t close = value.find(']');
    if (close == std::string_view::npos || close < 3) return std::nullopt;
    for (char c : value.substr(1, close - 1)) {
      if (!(HexDigit(c) >= 0 || c == ':' || c == '.')) return std::nullopt;
    }
    host.name = ToLowerText(value.substr(0, close + 1));
    rest = value.substr(close + 1);
  } else {
    const std::size_t colon = value.find(':');
    const std::string_view name = value.substr(0, colon);
    if (name.empty() || name.size() > 253) return std::nullopt;
    for (char c : name) {
      if (!IsNameChar(c)) return std::nullopt;
    }
    host.name = ToLowerText(name);
    rest = colon == std::string_view::npos ? std::string_view() : value.substr(colon);
  }
  if (!rest.empty()) {
    if (rest.front() != ':') return std::nullopt;
    host.port = ReadPort(rest.substr(1));
    if (!host.port) return std::nullopt;
  }
  return host;
}

std::vector<std::string> CookieValues(std::string_view header, std::string_view name) {
  std::vector<std::string> values;
  std::size_t at = 0;
  while (at <= header.size()) {
    std::size_t end = header.find(';', at);
    if (end == std::string_view::npos) end = header.size();
    const std::string_view pair = TrimBlanks(header.substr(at, end - at));
    const std::size_t equals = pair.find('=');
    if (equals != std::string_view::npos && TrimBlanks(pair.substr(0, equals)) == name) {
      std::string_view value = TrimBlanks(pair.substr(equals + 1));
      // A value may come in double quotes.
      if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
        value = value.substr(1, value.size() - 2);
      }
      values.emplace_back(value);
    }
    at = end + 1;
  }
  return values;
}

std::optional<std::map<std::string, std::string>> DigestParameters(std::string_view header) {
  header = TrimBlanks(header);
  constexpr std::string_view kScheme = "digest";
  if (header.size() <= kScheme.size() || ToLowerText(header.substr(0, kScheme.size())) != kScheme ||
      !IsBlank(header[kScheme.size()])) {
    return std::nullopt;
  }
  std::map<std::string, std::string> parameters;
  std::size_t at = kScheme.size();
  auto skip_blanks = [&] {
    while (at < header.size() && IsBlank(header[at])) ++at;
  };
  while (true) {
    skip_blanks();
    const std::size_t name_start = at;
    while (at < header.size() && IsTokenChar(header[at])) ++at;
    if (at == name_start) return std::nullopt;
    std::string name = ToLowerText(header.substr(name_start, at - name_start));
    skip_blanks();
    if (at >= header.size() || header[at] != '=') return std::nullopt;
    ++at;
    skip_blanks();
    std::string value;
    if (at < header.size() && header[at] == '"') {
      ++at;
      bool closed = false;
      while (at < header.size()) {
        const char c = header[at++];
        if (c == '"') {
          closed = true;
          break;
        }
        if (c == '\\') {
          if (at >= header.size()) return std::nullopt;
          value += header[at++];
        } else {
          value += c;
        }
      }
      if (!closed) return std::nullopt;
    } else {
      const std::size_t value_start = at;
      while (at < header.size() && IsTokenChar(header[at])) ++at;
      if (at == value_start) return std::nullopt;
      value = std::string(header.substr(value_start, at - value_start));
    }
    if (!parameters.emplace(std::move(name), std::move(value)).second) return std::nullopt;
    skip_blanks();
    if (at == header.size()) return parameters;
    if (header[at] != ',') return std::nullopt;
    ++at;
  }
}

std::string PercentDecoded(std::string_view text, bool plus_is_blank) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '+' && plus_is_blank) {
      out += ' ';
    } else if (text[i] == '%' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 &&
               HexDigit(text[i + 2]) >= 0) {
      out += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::optional<std::string> FormField(std::string_view body, std::string_view name) {
  std::size_t at = 0;
  while (at <= body.size()) {
    std::size_t end = body.find('&', at);
    if (end == std::string_view::npos) end = body.size();
    const std::string_view pair = body.substr(at, end - at);
    const std::size_t equals = pair.find('=');
    if (PercentDecoded(pair.substr(0, equals), true) == name) {
      return equals == std::string_view::npos ? std::string()
                                              : PercentDecoded(pair.substr(equals + 1), true);
    }
    at = end + 1;
  }
  return std::nullopt;
}

}  // namespace tunaro::server
