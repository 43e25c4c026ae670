#include "server/desktop/desktop_view.h"

#include <utility>

#include "server/access/pairing_code.h"
#include "server/desktop/autostart.h"
#include "server/desktop/pairing_text.h"

namespace tunaro::server {

std::string PhoneAddress(const DesktopView& view) {
  return view.addresses.empty() ? view.name_address : view.addresses.front().url;
}

std::string QrText(const DesktopView& view) {
  return view.pairing_link.empty() ? PhoneAddress(view) : view.pairing_link;
}

std::string OtherAddressesText(const DesktopView& view) {
  std::string text;
  for (std::size_t i = 1; i < view.addresses.size(); ++i) {
    const RankedAddress& address = view.addresses[i];
    text += (address.adapter.empty() ? std::string("another adapter") : address.adapter) + ": " +
            address.url + (address.virtual_adapter ? " (virtual)" : "") + "\n";
  }
  if (!view.addresses.empty()) text += "This PC's name: " + view.name_address + "\n";
  return text;
}

DesktopController::DesktopController(ServerSystem& system, int port, bool login,
                                     std::function<LogBatch()> take_log, PairingDesk pairing)
    : system_(system),
      port_(port),
      take_log_(std::move(take_log)),
      pairing_(std::move(pairing)),
      log_(system) {
  view_.login = login;
  view_.local_address = "http://localhost:" + std::to_string(port) + "/";
  Refresh();
}

void DesktopController::Refresh() {
  view_.addresses = RankAddresses(system_.NetworkAdapters(), port_);
  std::string name = system_.ComputerName();
  if (name.empty()) name = "localhost";
  view_.name_address = "http://" + name + ":" + std::to_string(port_) + "/";
  TakePairing();  // the link's host may have changed
  view_.qr_text = QrText(view_);
  std::optional<RankedAddress> primary;
  if (!view_.addresses.empty()) primary = view_.addresses.front();
  facts_ = GatherCheckFacts(system_, primary, log_.last_remote());
  view_.checklist = BuildChecklist(facts_);
}

void DesktopController::Show(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) {
    view_.log_lines.push_back(line.substr(0, line.size() - (line.back() == '\n' ? 1 : 0)));
    ++view_.log_added;
    if (view_.log_lines.size() > kLogLinesShown) view_.log_lines.pop_front();
  }
}

namespace {

std::string Ago(std::int64_t seconds) {
  if (seconds < 60) return "just now";
  if (seconds < 3600) return std::to_string(seconds / 60) + " min ago";
  if (seconds < 2 * 86400) return std::to_string(seconds / 3600) + " h ago";
  return std::to_string(seconds / 86400) + " days ago";
}

}  // namespace

std::string DeviceLineText(const PairedDevice& device, std::int64_t now) {
  return device.name + ": paired " + Ago(now - device.paired_at) + ", last seen " +
         Ago(now - device.last_seen);
}

bool DesktopController::TakePairing() {
  if (!pairing_.now) return false;
  const PairingCodeNow now = pairing_.now();
  std::vector<std::string> ids, lines;
  for (const PairedDevice& device : now.devices) {
    ids.push_back(device.id);
    lines.push_back(DeviceLineText(device, now.now));
  }
  // The link names the host a phone reaches, as the large address does.
  std::string host = view_.addresses.empty() ? std::string() : view_.addresses.front().ipv4;
  if (host.empty()) host = view_.name_address.substr(7, view_.name_address.rfind(':') - 7);
  const std::string shown = ShownPairingCode(now.code);
  const std::string until = PairingCodeUntil(system_.LocalTimeOfDay(), now.seconds_left);
  const std::string link = PairingLink(host, port_, now.code);
  if (shown == view_.pairing_code && until == view_.pairing_until && link == view_.pairing_link &&
      now.devices_problem == view_.devices_problem && ids == view_.device_ids &&
      lines == view_.device_lines) {
    return false;
  }
  view_.device_ids = std::move(ids);
  view_.device_lines = std::move(lines);
  view_.pairing_code = shown;
  view_.pairing_until = until;
  view_.pairing_link = link;
  view_.devices_problem = now.devices_problem;
  view_.qr_text = QrText(view_);
  return true;
}

bool DesktopController::TakeLog() {
  const bool pairing_changed = TakePairing();
  const LogBatch batch = take_log_();
  std::vector<std::string> lines = log_.Take(batch, system_.LocalTimeOfDay());
  if (!log_.file_problem().empty() && !file_problem_said_) {
    lines.push_back("(the log is not kept in " + log_.path() + ": " + log_.file_problem() + ")\n");
    file_problem_said_ = true;
  }
  Show(lines);
  if (batch.last_remote) {
    // Only the phone's line changes: the other facts keep until Refresh.
    facts_.last_remote = log_.last_remote();
    view_.checklist = BuildChecklist(facts_);
  }
  return pairing_changed || !lines.empty() || batch.last_remote.has_value();
}

void DesktopController::Note(const std::string& text) {
  Show(log_.Note(text, system_.LocalTimeOfDay()));
}

void DesktopController::ForgetDevice(std::size_t index) {
  if (!pairing_.forget || index >= view_.device_ids.size()) return;
  const std::string line = view_.device_lines[index];
  pairing_.forget(view_.device_ids[index]);
  Note("forgot " + line.substr(0, line.find(": paired")));
  TakePairing();
}

void DesktopController::RunAction(CheckAction action) {
  view_.action_problem = RunCheckAction(system_, action, facts_);
}

void DesktopController::OpenRemoteInBrowser() {
  view_.action_problem = system_.OpenWithShell(view_.local_address)
                             ? ""
                             : "Windows could not open " + view_.local_address + " in a browser.";
}

bool DesktopController::AutostartOn() { return AutostartIsOn(system_); }

void DesktopController::SetAutostartOn(bool on, const std::vector<std::string>& logon_arguments) {
  SetAutostart(system_, on, logon_arguments);
}

}  // namespace tunaro::server
