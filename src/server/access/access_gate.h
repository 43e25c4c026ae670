// Who gets in, decided for each request: a paired device by its cookie, a
// script by a digest login (a browser's digest login pairs it as well), and
// everyone else is sent to the pairing page. The pairing code, the devices,
// the nonces, the attempt limit and the Host rule live here together.
//
// Not safe for two threads at once: the web server's workers and the window
// take turns through one lock (http/access_desk.h).
#ifndef TUNARO_SERVER_ACCESS_ACCESS_GATE_H_
#define TUNARO_SERVER_ACCESS_ACCESS_GATE_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "server/access/attempt_limit.h"
#include "server/access/device_store.h"
#include "server/access/digest_check.h"
#include "server/access/host_rule.h"
#include "server/access/pairing_code.h"
#include "server/system/server_system.h"

namespace tunaro::server {

extern const char kDeviceCookieName[];

struct AccessSettings {
  int port = 8080;
  std::vector<std::string> allow_hosts;  // --allow-host
};

// What the gate reads of a request.
struct AccessRequest {
  std::string method;
  std::string path;                  // decoded once, as CivetWeb gives it
  std::optional<std::string> query;  // as sent, without the '?'
  std::string client;                // the address, as the log shows it
  std::string cookies;               // the Cookie headers, joined by "; "
  std::string authorization;
  std::string user_agent;
  std::string fetch_mode;  // Sec-Fetch-Mode
};

// A browser says so: every one, a phone's web views and home-screen apps
// included, names itself "Mozilla/..." first, and scripts do not (curl,
// Python, Node's fetch, which sends Sec-Fetch-Mode all the same). A browser
// is shown the pairing page rather than asked for a password, which a
// home-screen web app cannot show; it asks for one at /login.
bool IsBrowser(const AccessRequest& request);

// The Set-Cookie value of a device's token: for a year from now, for this
// site's pages alone, out of reach of scripts, and never sent with a request
// another site starts.
std::string DeviceCookie(const std::string& token);

enum class Admission {
  kLetIn,      // a paired device, or a digest login
  kNotPaired,  // 401 with the pairing page
  kChallenge,  // 401 asking for a digest login
  kWaiting,    // 429: too many failed tries from the address
};

struct AccessAnswer {
  Admission admission = Admission::kNotPaired;
  std::string set_cookie;  // to send with the answer: a device cookie, new or renewed
  std::string challenge;   // kChallenge: the WWW-Authenticate value
  std::string user;        // kLetIn by a digest login: who
  std::int64_t wait = 0;   // kWaiting: seconds
  std::string log;         // a line for the server's log, or empty
};

enum class PairingOutcome { kPaired, kWrong, kPast, kWaiting };

struct PairingAnswer {
  PairingOutcome outcome = PairingOutcome::kWrong;
  std::string set_cookie;  // kPaired
  std::int64_t wait = 0;   // kWaiting
  std::string log;
};

class AccessGate {
 public:
  AccessGate(ServerSystem& system, const AccessSettings& settings);

  bool HostAllowed(const std::optional<std::string>& host) { return hosts_.Allows(host); }

  // A request for anything but the pairing page. `password_asked`: the
  // request is for /login, where browsers too are asked for the password.
  AccessAnswer Admit(const AccessRequest& request, bool password_asked);
  // POST /pair with the code as typed.
  PairingAnswer Pair(const AccessRequest& request, std::string_view typed_code);

  // What the window and the console show and change.
  PairingCodeKeeper::Code CurrentCode() { return code_.Current(); }
  std::uint64_t code_generation() const { return code_.generation(); }
  const std::vector<Device>& devices() const { return devices_.devices(); }
  bool ForgetDevice(const std::string& id) { return devices_.Forget(id); }
  bool RenameDevice(const std::string& id, const std::string& name) {
    return devices_.Rename(id, name);
  }
  const DevicesFileHealth& devices_health() const { return devices_.health(); }

 private:
  AccessAnswer Challenge(bool stale);

  ServerSystem& system_;
  HostRule hosts_;
  PairingCodeKeeper code_;
  DeviceStore devices_;
  NonceBook nonces_;
  AttemptLimit attempts_;
};

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_ACCESS_ACCESS_GATE_H_
