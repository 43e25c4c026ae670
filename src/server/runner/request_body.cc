#include "server/runner/request_body.h"

namespace tunaro::server {

BodyRead ReadRequestBody(const std::function<int(char*, std::size_t)>& read,
                         const std::function<std::int64_t()>& now_ms, std::int64_t expected_bytes,
                         std::size_t max_bytes, std::int64_t deadline_ms, std::string* body) {
  const std::int64_t started = now_ms();
  const auto complete = [&] {
    return expected_bytes >= 0 && body->size() >= static_cast<std::size_t>(expected_bytes);
  };
  char piece[4096];
  while (!complete()) {
    // One byte past the limit is enough to know it is too large.
    const std::size_t room = max_bytes + 1 - body->size();
    const int got = read(piece, room < sizeof piece ? room : sizeof piece);
    if (got > 0) body->append(piece, static_cast<std::size_t>(got));
    if (body->size() > max_bytes) return BodyRead::kTooLarge;
    if (now_ms() - started >= deadline_ms) {
      return complete() ? BodyRead::kWhole : BodyRead::kIncomplete;
    }
    if (got <= 0) return expected_bytes < 0 ? BodyRead::kWhole : BodyRead::kIncomplete;
  }
  return BodyRead::kWhole;
}

}  // namespace tunaro::server
