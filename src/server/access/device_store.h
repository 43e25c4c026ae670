// The paired devices: each holds a random 256-bit token in its cookie, and
// the server keeps only the token's SHA-256, with the device's name, when it
// was paired and when it was last seen, in tunaro-devices.txt beside the
// program, written whole and readable by the user alone. The file alone lets
// no one in.
#ifndef TUNARO_SERVER_ACCESS_DEVICE_STORE_H_
#define TUNARO_SERVER_ACCESS_DEVICE_STORE_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "server/system/server_system.h"

namespace tunaro::server {

extern const char kDevicesFileName[];
constexpr int kDeviceTokenBytes = 32;
// A device not seen for a year is forgotten, as its cookie is by then.
constexpr std::int64_t kDeviceSeconds = 365LL * 24 * 60 * 60;
// A home has a few phones and tablets; beyond this many, pairing one more
// forgets the one seen least recently.
constexpr std::size_t kMostDevices = 64;

struct Device {
  std::string token_hash;  // 64 hex digits
  std::int64_t paired_at = 0;
  std::int64_t last_seen = 0;  // UnixTime() seconds
  std::string name;
};

// The short id the window forgets a device by: the start of its token's hash.
std::string DeviceId(const Device& device);

// A name for the device from its User-Agent ("iPhone, Safari", "Android,
// Chrome"); its start when it names no known system, "A device" when empty.
std::string DeviceNameFrom(std::string_view user_agent);

// The file's text, and reading it back: every line "hash<TAB>paired<TAB>last
// seen<TAB>name"; '#' lines and empty ones are comments. `problem` names the
// first line that is none of these.
std::string DevicesFileText(const std::vector<Device>& devices);
struct DevicesRead {
  std::vector<Device> devices;
  std::string problem;  // empty when read whole
};
DevicesRead ReadDevicesText(const std::string& text);

std::string DevicesFilePath(ServerSystem& system);

enum class DevicesFileState {
  kGood,        // read (or not there yet), and every change saved
  kBroken,      // not a devices file: left as it is, pairings last until the server stops
  kUnreadable,  // there but not readable: the same
  kUnwritable,  // a change could not be saved: it lasts until the server stops
};

// For the window and the console: what is wrong and what to do about it.
struct DevicesFileHealth {
  DevicesFileState state = DevicesFileState::kGood;
  std::string problem;
  std::string what_to_do;
};

class DeviceStore {
 public:
  // Reads the file; a broken or unreadable one is reported (health()) and
  // never written over, so that nothing in it is lost.
  explicit DeviceStore(ServerSystem& system);

  // A new device named after its User-Agent; returns its token as the cookie
  // carries it (64 hex digits). Saved at once.
  std::string Pair(std::string_view user_agent);
  // The device whose token `cookie_value` is, now seen; nothing for a value
  // that is no token, or one forgotten, unknown or not seen for a year.
  std::optional<std::string> Recognize(std::string_view cookie_value);
  bool Forget(const std::string& id);
  bool Rename(const std::string& id, const std::string& name);

  const std::vector<Device>& devices() const { return devices_; }
  const DevicesFileHealth& health() const { return health_; }

 private:
  void Save();

  ServerSystem& system_;
  std::string path_;
  std::vector<Device> devices_;
  bool keep_file_ = false;  // broken or unreadable: written over by --forget-devices alone
  DevicesFileHealth health_;
};

// --forget-devices: the file emptied of devices (written over whatever it
// holds). Returns how many it held, as far as it could be read. Raises
// RunError when it cannot be written.
int ForgetAllDevices(ServerSystem& system);

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_ACCESS_DEVICE_STORE_H_
