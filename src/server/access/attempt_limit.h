// How many wrong tries an address gets: after 5 wrong pairing codes or failed
// logins within a minute, it waits a minute, so that guessing takes years
// rather than hours.
#ifndef TUNARO_SERVER_ACCESS_ATTEMPT_LIMIT_H_
#define TUNARO_SERVER_ACCESS_ATTEMPT_LIMIT_H_

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace tunaro::server {

class AttemptLimit {
 public:
  static constexpr int kFailures = 5;
  static constexpr std::int64_t kWindowSeconds = 60;
  static constexpr std::int64_t kWaitSeconds = 60;
  // Beyond this many addresses, the quietest are forgotten: the list of a home
  // network is short, and a flood of addresses must not grow it without end.
  static constexpr std::size_t kAddresses = 1024;

  // The seconds `client` must still wait before it may try again; 0 when it may.
  std::int64_t WaitFor(const std::string& client, std::int64_t now) const;
  // Counts a wrong try; returns how many count within the minute, kFailures
  // when this one made the address wait.
  int Fail(const std::string& client, std::int64_t now);

 private:
  struct Record {
    std::vector<std::int64_t> failures;  // within the window
    std::int64_t waits_until = 0;
    std::int64_t last = 0;
  };
  void MakeRoom(std::int64_t now);

  std::map<std::string, Record> records_;
};

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_ACCESS_ATTEMPT_LIMIT_H_
