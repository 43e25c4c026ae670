#include "server/runner/request_body.h"

namespace tunaro::server {

BodyRead ReadRequestBody(const std::function<int(char*, std::size_t)>& read,
                         const std::function<std::int64_t()>& now_ms, std::size_t max_bytes,
                         std::int64_t deadline_ms, std::string* body) {
  const std::int64_t started = now_ms();
  char piece[4096];
  while (true) {
    // One byte past the limit is enough to know it is too large.
    const std::size_t room = max_bytes + 1 - body->size();
    const int got = read(piece, room < sizeof piece ? room : sizeof piece);
    if (got <= 0) return BodyRead::kWhole;
    body->append(piece, static_cast<std::size_t>(got));
    if (body->size() > max_bytes) return BodyRead::kTooLarge;
    if (now_ms() - started > deadline_ms) return BodyRead::kTooSlow;
  }
}

}  // namespace tunaro::server
