// The names the server answers to. A page of another site can have a name of
// its own resolve to this PC (DNS rebinding) and then reach the server as if
// it were its own site, with the browser's blessing; the name it used is in
// every request's Host header, and anything but this computer's own names
// and addresses is turned away (421 Misdirected Request).
#ifndef TUNARO_SERVER_ACCESS_HOST_RULE_H_
#define TUNARO_SERVER_ACCESS_HOST_RULE_H_

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "server/system/server_system.h"

namespace tunaro::server {

class HostRule {
 public:
  // `extra_names`: the names of --allow-host, as given.
  HostRule(ServerSystem& system, int port, const std::vector<std::string>& extra_names);

  // True for localhost, 127.0.0.1, [::1], the computer's name (NetBIOS or DNS,
  // any letter case) alone, with ".local" or with a DNS suffix of its own or
  // of an adapter, an IPv4 address of an adapter, or an extra name; each with
  // the server's port (none only when that is 80), one final dot allowed.
  // False without a Host header. The names and addresses are read at the
  // start and again, at most every 30 s, when a name is not among them (an
  // adapter may have got a new address).
  bool Allows(const std::optional<std::string>& host_header);

 private:
  bool Known(const std::string& name) const;
  void Learn();

  ServerSystem& system_;
  int port_;
  std::set<std::string> extra_;
  std::set<std::string> learned_;
  std::int64_t learned_at_ = 0;
};

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_ACCESS_HOST_RULE_H_
