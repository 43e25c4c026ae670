// One copy of the server per session: a second start tells the user where the
// first one serves, rather than failing on its taken port.
#ifndef TUNARO_SERVER_DESKTOP_WIN32_SINGLE_INSTANCE_H_
#define TUNARO_SERVER_DESKTOP_WIN32_SINGLE_INSTANCE_H_

#include <string>

namespace tunaro::server {

// The named mutex Local\Tunaro.Server, and beside it a small shared block
// with the running copy's address. "Local\": each user's session has its own
// copy, as each has its own player.
class SingleInstance {
 public:
  SingleInstance();
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  bool IsFirst() const { return first_; }
  // The running copy's address ("" if it has not written one yet).
  std::string RunningAddress() const;
  void PublishAddress(const std::string& address);

 private:
  void* mutex_ = nullptr;
  void* mapping_ = nullptr;
  char* view_ = nullptr;
  bool first_ = false;
};

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_DESKTOP_WIN32_SINGLE_INSTANCE_H_
