#include "server/access/access_gate.h"

#include "server/access/http_fields.h"
#include "server/access/login_file.h"

namespace tunaro::server {

const char kDeviceCookieName[] = "tunaro_device";

namespace {

// A page the browser opens (not an image or a script's request), or a
// browser too old to say.
bool IsNavigation(const AccessRequest& request) {
  return request.fetch_mode.empty() || request.fetch_mode == "navigate";
}

std::string Tries(int counted) {
  return " (" + std::to_string(counted) + " of " + std::to_string(AttemptLimit::kFailures) +
         " within a minute" +
         (counted >= AttemptLimit::kFailures ? "; it must wait a minute now)" : ")");
}

}  // namespace

bool IsBrowser(const AccessRequest& request) {
  return request.user_agent.rfind("Mozilla/", 0) == 0;
}

std::string DeviceCookie(const std::string& token) {
  return std::string(kDeviceCookieName) + "=" + token +
         "; Max-Age=" + std::to_string(kDeviceSeconds) + "; Path=/; HttpOnly; SameSite=Strict";
}

AccessGate::AccessGate(ServerSystem& system, const AccessSettings& settings)
    : system_(system),
      hosts_(system, settings.port, settings.allow_hosts),
      code_(system),
      devices_(system),
      nonces_(system) {}

AccessAnswer AccessGate::Challenge(bool stale) {
  AccessAnswer answer;
  answer.admission = Admission::kChallenge;
  answer.challenge = DigestChallenge(nonces_.Issue(), stale);
  return answer;
}

AccessAnswer AccessGate::Admit(const AccessRequest& request, bool password_asked) {
  AccessAnswer answer;
  for (const std::string& value : CookieValues(request.cookies, kDeviceCookieName)) {
    if (devices_.Recognize(value)) {
      answer.admission = Admission::kLetIn;
      answer.set_cookie = DeviceCookie(value);  // for another year from now
      return answer;
    }
  }
  const std::int64_t now = system_.UnixTime();
  if (!request.authorization.empty()) {
    if (const std::int64_t wait = attempts_.WaitFor(request.client, now); wait > 0) {
      answer.admission = Admission::kWaiting;
      answer.wait = wait;
      return answer;
    }
    const DigestCheck check = CheckDigest(request.authorization,
                                          DigestTarget{request.method, request.path, request.query},
                                          ReadLogins(system_), nonces_);
    switch (check.verdict) {
      case DigestVerdict::kGood:
        answer.admission = Admission::kLetIn;
        answer.user = check.user;
        if (IsBrowser(request) && IsNavigation(request)) {
          answer.set_cookie = DeviceCookie(devices_.Pair(request.user_agent));
          answer.log = "login: \"" + check.user + "\" logged in from " + request.client +
                       " in a browser, which is now paired as \"" +
                       DeviceNameFrom(request.user_agent) + "\"";
        }
        return answer;
      case DigestVerdict::kStale:
        return Challenge(true);
      case DigestVerdict::kWrong: {
        const int counted = attempts_.Fail(request.client, now);
        answer = Challenge(false);
        answer.log = "login: a failed login from " + request.client + Tries(counted);
        return answer;
      }
      case DigestVerdict::kNone:
        break;
    }
  }
  if ((password_asked || !IsBrowser(request)) && !ReadLogins(system_).empty()) {
    return Challenge(false);
  }
  return answer;
}

PairingAnswer AccessGate::Pair(const AccessRequest& request, std::string_view typed_code) {
  PairingAnswer answer;
  const std::int64_t now = system_.UnixTime();
  if (const std::int64_t wait = attempts_.WaitFor(request.client, now); wait > 0) {
    answer.outcome = PairingOutcome::kWaiting;
    answer.wait = wait;
    return answer;
  }
  switch (code_.Check(typed_code)) {
    case CodeCheck::kRight:
      answer.outcome = PairingOutcome::kPaired;
      answer.set_cookie = DeviceCookie(devices_.Pair(request.user_agent));
      answer.log = "pairing: " + request.client + " is paired now, as \"" +
                   DeviceNameFrom(request.user_agent) + "\"";
      return answer;
    case CodeCheck::kPast:
      answer.outcome = PairingOutcome::kPast;
      break;
    case CodeCheck::kWrong:
      answer.outcome = PairingOutcome::kWrong;
      break;
  }
  answer.log =
      std::string("pairing: ") +
      (answer.outcome == PairingOutcome::kPast ? "a used or expired code" : "a wrong code") +
      " from " + request.client + Tries(attempts_.Fail(request.client, now));
  return answer;
}

}  // namespace tunaro::server
