// Reading a request's body for tunaro.exe, within bounds: its size, and one
// deadline for the whole of it. Each of CivetWeb's reads waits up to its
// request timeout, and a client that sends a byte now and then would
// otherwise hold a worker with no end.
#ifndef TUNARO_SERVER_RUNNER_REQUEST_BODY_H_
#define TUNARO_SERVER_RUNNER_REQUEST_BODY_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace tunaro::server {

// A form post is a few hundred bytes; the page sends nothing larger.
constexpr std::size_t kMaxBodyBytes = 64 * 1024;
constexpr std::int64_t kBodyDeadlineMs = 5000;

// kIncomplete: not all of it came by the deadline, or the client stopped
// short of its Content-Length.
enum class BodyRead { kWhole, kTooLarge, kIncomplete };

// Reads through `read` (CivetWeb's mg_read: the bytes got, 0 at the end or
// when its own wait ended, < 0 on a failure) until `expected_bytes` (the
// Content-Length; -1 without one: until the end), `max_bytes`, or
// `deadline_ms` after the first call of `now_ms`. A read must itself end at
// the deadline (the Win32 side: win32_wait_deadline.h).
BodyRead ReadRequestBody(const std::function<int(char*, std::size_t)>& read,
                         const std::function<std::int64_t()>& now_ms, std::int64_t expected_bytes,
                         std::size_t max_bytes, std::int64_t deadline_ms, std::string* body);

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_RUNNER_REQUEST_BODY_H_
