// The parts of the server's seam that ask Windows' COM services: the
// connected networks and their categories (the Network List Manager, netprofm)
// and the firewall's rules (INetFwPolicy2, hnetcfg). Both need no
// administrator to read. A service that is missing or answers with a failure
// (Wine's firewall says E_NOTIMPL) makes the answer "nothing", never a crash.
#include <windows.h>
// clang-format off
#include <netfw.h>
#include <netlistmgr.h>
#include <oleauto.h>
// clang-format on

#include <cwchar>
#include <string>

#include "server/system/win32_server_system.h"
#include "server/system/win32_wide_text.h"

namespace tunaro::server {
namespace {

// COM for this thread while one answer is made; a thread that had it keeps it.
class ComScope {
 public:
  ComScope() : started_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~ComScope() {
    if (started_) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  bool started_;
};

// One reference to an interface, released when it goes.
template <typename Interface>
class Held {
 public:
  Held() = default;
  ~Held() {
    if (pointer_ != nullptr) pointer_->Release();
  }
  Held(const Held&) = delete;
  Held& operator=(const Held&) = delete;
  Interface** out() { return &pointer_; }
  Interface* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }
  Interface* get() const { return pointer_; }

 private:
  Interface* pointer_ = nullptr;
};

// A BSTR the callee made, freed when it goes.
class HeldText {
 public:
  ~HeldText() { SysFreeString(text_); }
  BSTR* out() { return &text_; }
  std::wstring wide() const { return text_ != nullptr ? std::wstring(text_) : std::wstring(); }

 private:
  BSTR text_ = nullptr;
};

// "{0A1B...}" in upper case, as GetAdaptersAddresses names adapters.
std::string GuidText(const GUID& guid) {
  wchar_t text[64];
  if (StringFromGUID2(guid, text, 64) == 0) return std::string();
  std::string narrow = Utf8FromWide(text);
  for (char& c : narrow) {
    if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
  }
  return narrow;
}

NetworkCategory CategoryOf(NLM_NETWORK_CATEGORY category) {
  switch (category) {
    case NLM_NETWORK_CATEGORY_PRIVATE:
      return NetworkCategory::kPrivate;
    case NLM_NETWORK_CATEGORY_DOMAIN_AUTHENTICATED:
      return NetworkCategory::kDomain;
    default:
      return NetworkCategory::kPublic;
  }
}

std::vector<std::string> AdapterIdsOf(INetwork* network) {
  std::vector<std::string> ids;
  Held<IEnumNetworkConnections> connections;
  if (FAILED(network->GetNetworkConnections(connections.out())) || !connections) return ids;
  while (true) {
    Held<INetworkConnection> connection;
    ULONG fetched = 0;
    if (connections->Next(1, connection.out(), &fetched) != S_OK || fetched != 1) break;
    GUID adapter{};
    if (SUCCEEDED(connection->GetAdapterId(&adapter))) ids.push_back(GuidText(adapter));
  }
  return ids;
}

// The rule's program, its environment variables (%SystemDrive%) filled in.
std::wstring ExpandedProgram(const std::wstring& program) {
  wchar_t expanded[MAX_PATH * 2];
  const DWORD size = ExpandEnvironmentStringsW(program.c_str(), expanded, MAX_PATH * 2);
  return size > 0 && size <= MAX_PATH * 2 ? std::wstring(expanded) : program;
}

// The rule as far as the check reads it, when it names `program`.
std::optional<FirewallRule> RuleFor(INetFwRule* rule, const std::wstring& program) {
  HeldText application;
  if (FAILED(rule->get_ApplicationName(application.out()))) return std::nullopt;
  const std::wstring named = application.wide();
  if (named.empty() || _wcsicmp(ExpandedProgram(named).c_str(), program.c_str()) != 0) {
    return std::nullopt;
  }
  FirewallRule found;
  HeldText name;
  if (SUCCEEDED(rule->get_Name(name.out()))) found.name = Utf8FromWide(name.wide());
  NET_FW_RULE_DIRECTION direction = NET_FW_RULE_DIR_IN;
  VARIANT_BOOL enabled = VARIANT_FALSE;
  NET_FW_ACTION action = NET_FW_ACTION_BLOCK;
  LONG profiles = 0;
  if (FAILED(rule->get_Direction(&direction)) || FAILED(rule->get_Enabled(&enabled)) ||
      FAILED(rule->get_Action(&action)) || FAILED(rule->get_Profiles(&profiles))) {
    return std::nullopt;
  }
  found.inbound = direction == NET_FW_RULE_DIR_IN;
  found.enabled = enabled != VARIANT_FALSE;
  found.allow = action == NET_FW_ACTION_ALLOW;
  found.profiles = static_cast<int>(profiles);
  return found;
}

}  // namespace

std::optional<std::vector<ConnectedNetwork>> Win32ServerSystem::ConnectedNetworks() {
  const ComScope com;
  Held<INetworkListManager> manager;
  if (FAILED(CoCreateInstance(__uuidof(NetworkListManager), nullptr, CLSCTX_ALL,
                              __uuidof(INetworkListManager),
                              reinterpret_cast<void**>(manager.out()))) ||
      !manager) {
    return std::nullopt;
  }
  Held<IEnumNetworks> networks;
  if (FAILED(manager->GetNetworks(NLM_ENUM_NETWORK_CONNECTED, networks.out())) || !networks) {
    return std::nullopt;
  }
  std::vector<ConnectedNetwork> found;
  while (true) {
    Held<INetwork> network;
    ULONG fetched = 0;
    if (networks->Next(1, network.out(), &fetched) != S_OK || fetched != 1) break;
    ConnectedNetwork entry;
    HeldText name;
    if (SUCCEEDED(network->GetName(name.out()))) entry.name = Utf8FromWide(name.wide());
    NLM_NETWORK_CATEGORY category = NLM_NETWORK_CATEGORY_PUBLIC;
    if (FAILED(network->GetCategory(&category))) return std::nullopt;
    entry.category = CategoryOf(category);
    entry.adapter_ids = AdapterIdsOf(network.get());
    found.push_back(std::move(entry));
  }
  return found;
}

std::optional<FirewallFacts> Win32ServerSystem::FirewallFor(const std::string& program) {
  const ComScope com;
  Held<INetFwPolicy2> policy;
  if (FAILED(CoCreateInstance(__uuidof(NetFwPolicy2), nullptr, CLSCTX_INPROC_SERVER,
                              __uuidof(INetFwPolicy2), reinterpret_cast<void**>(policy.out()))) ||
      !policy) {
    return std::nullopt;
  }
  FirewallFacts facts;
  LONG current = 0;
  if (FAILED(policy->get_CurrentProfileTypes(&current))) return std::nullopt;
  facts.current_profiles = static_cast<int>(current);
  for (int profile :
       {firewall_profile::kDomain, firewall_profile::kPrivate, firewall_profile::kPublic}) {
    VARIANT_BOOL on = VARIANT_FALSE;
    if (FAILED(policy->get_FirewallEnabled(static_cast<NET_FW_PROFILE_TYPE2>(profile), &on))) {
      return std::nullopt;
    }
    if (on != VARIANT_FALSE) facts.enabled_profiles |= profile;
  }
  Held<INetFwRules> rules;
  if (FAILED(policy->get_Rules(rules.out())) || !rules) return std::nullopt;
  Held<IUnknown> listing;
  Held<IEnumVARIANT> each;
  if (FAILED(rules->get__NewEnum(listing.out())) || !listing ||
      FAILED(
          listing->QueryInterface(__uuidof(IEnumVARIANT), reinterpret_cast<void**>(each.out())))) {
    return std::nullopt;
  }
  const std::wstring wide_program = WideFromUtf8(program);
  while (true) {
    VARIANT item;
    VariantInit(&item);
    ULONG fetched = 0;
    if (each->Next(1, &item, &fetched) != S_OK || fetched != 1) break;
    Held<INetFwRule> rule;
    if (item.vt == VT_DISPATCH && item.pdispVal != nullptr &&
        SUCCEEDED(item.pdispVal->QueryInterface(__uuidof(INetFwRule),
                                                reinterpret_cast<void**>(rule.out())))) {
      if (std::optional<FirewallRule> found = RuleFor(rule.get(), wide_program)) {
        facts.rules.push_back(std::move(*found));
      }
    }
    VariantClear(&item);
  }
  return facts;
}

}  // namespace tunaro::server
