#include "server/access/attempt_limit.h"

#include <algorithm>

namespace tunaro::server {

std::int64_t AttemptLimit::WaitFor(const std::string& client, std::int64_t now) const {
  const auto found = records_.find(client);
  if (found == records_.end() || found->second.waits_until <= now) return 0;
  // Never longer than the wait itself, should the clock have been set back.
  return std::min(found->second.waits_until - now, kWaitSeconds);
}

int AttemptLimit::Fail(const std::string& client, std::int64_t now) {
  if (records_.find(client) == records_.end()) MakeRoom(now);
  Record& record = records_[client];
  record.last = now;
  std::vector<std::int64_t>& failures = record.failures;
  failures.erase(std::remove_if(failures.begin(), failures.end(),
                                [now](std::int64_t when) {
                                  return when <= now - kWindowSeconds || when > now;
                                }),
                 failures.end());
  failures.push_back(now);
  const int counted = static_cast<int>(failures.size());
  if (counted >= kFailures) {
    record.waits_until = now + kWaitSeconds;
    failures.clear();
  }
  return counted;
}

// Drops the records that no longer hold anything back, then, if that was not
// enough, the one heard from least recently.
void AttemptLimit::MakeRoom(std::int64_t now) {
  if (records_.size() < kAddresses) return;
  for (auto it = records_.begin(); it != records_.end();) {
    const bool quiet = it->second.waits_until <= now && it->second.last <= now - kWindowSeconds;
    it = quiet ? records_.erase(it) : std::next(it);
  }
  if (records_.size() < kAddresses) return;
  records_.erase(
      std::min_element(records_.begin(), records_.end(),
                       [](const auto& a, const auto& b) { return a.second.last < b.second.last; }));
}

}  // namespace tunaro::server
