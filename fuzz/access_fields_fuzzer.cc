// The server reads a request's Host header, its cookies, a digest
// Authorization header and the pairing form before anyone is let in. Fields
// (NUL-separated): the Host header, the Cookie header, the Authorization
// header, the form's body.
#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>

#include "base/text_rules.h"
#include "fuzz_input.h"
#include "server/access/access_gate.h"
#include "server/access/http_fields.h"
#include "server/access/login_digest.h"
#include "server/access/login_file.h"
#include "server/access/pairing_code.h"
#include "testing/fake_server_system.h"

namespace {

using tunaro::server::AccessGate;
using tunaro::server::AccessRequest;
using tunaro::server::Admission;

bool HasUpperCase(const std::string& text) {
  for (char c : text) {
    if (c >= 'A' && c <= 'Z') return true;
  }
  return false;
}

// A digest header of the parameters, each quoted, as a client writes them.
std::string HeaderOf(const std::map<std::string, std::string>& parameters) {
  std::string header = "Digest ";
  for (const auto& [name, value] : parameters) {
    if (header.size() > 7) header += ", ";
    header += name + "=\"";
    for (char c : value) {
      if (c == '"' || c == '\\') header += '\\';
      header += c;
    }
    header += '"';
  }
  return header;
}

// The names the fake machine answers to (HostRule's rule, written out).
const std::set<std::string> kOwnNames = {"localhost",    "127.0.0.1",     "[::1]",
                                         "desk",         "desk.local",    "desk.fritz.box",
                                         "desk-pc",      "desk-pc.local", "desk-pc.fritz.box",
                                         "192.168.1.20", "musik.example"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto fields = tunaro_fuzz::SplitFields(data, size, 4);
  const std::string host(fields[0]), cookies(fields[1]), authorization(fields[2]), body(fields[3]);

  // The Host header: a name in lowercase and a port in range, the same when
  // read again from its plain form; let in only by one of the machine's names.
  const auto parsed = tunaro::server::ParseHostHeader(host);
  if (parsed) {
    FUZZ_CHECK(!parsed->name.empty() && !HasUpperCase(parsed->name));
    FUZZ_CHECK(!parsed->port || (*parsed->port >= 1 && *parsed->port <= 65535));
    const std::string plain =
        parsed->name + (parsed->port ? ":" + std::to_string(*parsed->port) : std::string());
    const auto again = tunaro::server::ParseHostHeader(plain);
    FUZZ_CHECK(again && again->name == parsed->name && again->port == parsed->port);
  }
  tunaro::server::FakeServerSystem system;
  system.computer_name = "DESK";
  system.dns_host_name = "Desk-PC";
  system.dns_suffixes = {"fritz.box"};
  system.adapters = {{true, false, {"192.168.1.20"}}};
  tunaro::server::SaveLoginFile(system, "alice", tunaro::server::LoginDigestHex("alice", "secret"));
  AccessGate gate(system, {8080, {"musik.example"}});
  if (gate.HostAllowed(host)) {
    FUZZ_CHECK(parsed && parsed->port.value_or(80) == 8080);
    std::string name = parsed->name;
    if (name.size() > 1 && name.back() == '.') name.pop_back();
    FUZZ_CHECK(kOwnNames.count(name) != 0);
  }

  // Cookies: each value found is part of the header.
  for (const std::string& value : tunaro::server::CookieValues(cookies, "tunaro_device")) {
    FUZZ_CHECK(cookies.find(value) != std::string::npos);
  }

  // Digest parameters: named in lowercase, and read back the same when
  // written out again.
  if (const auto parameters = tunaro::server::DigestParameters(authorization)) {
    for (const auto& [name, value] : *parameters) FUZZ_CHECK(!name.empty() && !HasUpperCase(name));
    FUZZ_CHECK(tunaro::server::DigestParameters(HeaderOf(*parameters)) == parameters);
  }

  // The form's code: never longer than the body, and a code read from it is
  // eight characters of the alphabet.
  const auto code = tunaro::server::FormField(body, "code");
  if (code) {
    FUZZ_CHECK(code->size() <= body.size());
    if (const auto typed = tunaro::server::TypedPairingCode(*code)) {
      FUZZ_CHECK(typed->size() == 8 &&
                 typed->find_first_not_of(tunaro::server::kPairingAlphabet) == std::string::npos);
    }
  }

  // The gate, with one paired device: only its token lets a browser in (the
  // fake's random bytes are foreseeable, so the fuzzer may find it), and no
  // digest login can, as no nonce was given out before.
  const std::string token = gate.Pair(AccessRequest{}, gate.CurrentCode().text).set_cookie;
  FUZZ_CHECK(!token.empty());
  AccessRequest request;
  request.method = "GET";
  request.path = "/cgi-bin/tunaro/tunaro";
  request.client = "192.168.1.5";
  request.user_agent = "Mozilla/5.0";
  request.cookies = cookies;
  request.authorization = authorization;
  const auto answer = gate.Admit(request, false);
  if (answer.admission == Admission::kLetIn) {
    const std::string value = token.substr(token.find('=') + 1, 64);
    bool has_token = false;
    for (const std::string& given : tunaro::server::CookieValues(cookies, "tunaro_device")) {
      has_token = has_token || tunaro::ToLowerText(given) == value;
    }
    FUZZ_CHECK(has_token);
  }
  gate.Pair(request, body);
  return 0;
}
