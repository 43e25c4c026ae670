#include "server/desktop/desktop_view.h"

#include <utility>

#include "server/desktop/autostart.h"

namespace tunaro::server {

std::string PhoneAddress(const DesktopView& view) {
  return view.addresses.empty() ? view.name_address : view.addresses.front().url;
}

std::string QrText(const DesktopView& view) { return PhoneAddress(view); }

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
                                     std::function<LogBatch()> take_log)
    : system_(system), port_(port), take_log_(std::move(take_log)), log_(system) {
  view_.login = login;
  view_.local_address = "http://localhost:" + std::to_string(port) + "/";
  Refresh();
}

void DesktopController::Refresh() {
  view_.addresses = RankAddresses(system_.NetworkAdapters(), port_);
  std::string name = system_.ComputerName();
  if (name.empty()) name = "localhost";
  view_.name_address = "http://" + name + ":" + std::to_string(port_) + "/";
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

bool DesktopController::TakeLog() {
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
  return !lines.empty() || batch.last_remote.has_value();
}

void DesktopController::Note(const std::string& text) {
  Show(log_.Note(text, system_.LocalTimeOfDay()));
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
