#include "server/access/host_rule.h"

#include "base/text_rules.h"
#include "server/access/http_fields.h"

namespace tunaro::server {
namespace {

constexpr std::int64_t kRelearnSeconds = 30;

}  // namespace

HostRule::HostRule(ServerSystem& system, int port, const std::vector<std::string>& extra_names)
    : system_(system), port_(port) {
  for (const std::string& name : extra_names) extra_.insert(ToLowerText(name));
  Learn();
}

bool HostRule::Allows(const std::optional<std::string>& host_header) {
  if (!host_header) return false;
  std::optional<HostHeader> host = ParseHostHeader(*host_header);
  if (!host || host->port.value_or(80) != port_) return false;
  if (host->name.size() > 1 && host->name.back() == '.') host->name.pop_back();
  if (Known(host->name)) return true;
  const std::int64_t now = system_.UnixTime();
  if (now >= learned_at_ && now < learned_at_ + kRelearnSeconds) return false;
  Learn();
  return Known(host->name);
}

bool HostRule::Known(const std::string& name) const {
  return name == "localhost" || name == "127.0.0.1" || name == "[::1]" || extra_.count(name) != 0 ||
         learned_.count(name) != 0;
}

void HostRule::Learn() {
  learned_at_ = system_.UnixTime();
  learned_.clear();
  std::set<std::string> suffixes = {"local"};
  for (const std::string& suffix : system_.ComputerDnsSuffixes()) {
    suffixes.insert(ToLowerText(suffix));
  }
  for (const NetworkAdapter& adapter : system_.NetworkAdapters()) {
    for (const std::string& address : adapter.ipv4) learned_.insert(address);
  }
  for (const std::string& name : {system_.ComputerName(), system_.ComputerDnsHostName()}) {
    if (name.empty()) continue;
    const std::string lower = ToLowerText(name);
    learned_.insert(lower);
    for (const std::string& suffix : suffixes) learned_.insert(lower + "." + suffix);
  }
}

}  // namespace tunaro::server
