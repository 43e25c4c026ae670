// What the window shows, as a record the server fills and the Win32 window
// only draws: the addresses and the QR code's text, the checklist, the log's
// last lines. DesktopController keeps it current through the seam, so that
// everything but the drawing is tried with the fake.
//
// Pairing adds to it: the pairing code in large letters (the QR code then
// carries http://<IPv4>:<port>/pair#<code>, from QrText alone) and the
// paired devices, each with "Forget".
#ifndef TUNARO_SERVER_DESKTOP_DESKTOP_VIEW_H_
#define TUNARO_SERVER_DESKTOP_DESKTOP_VIEW_H_

#include <cstddef>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "server/desktop/checks.h"
#include "server/desktop/server_addresses.h"
#include "server/http/request_log_queue.h"
#include "server/http/server_log.h"
#include "server/system/server_system.h"

namespace tunaro::server {

struct DesktopView {
  std::vector<RankedAddress> addresses;  // best first; may be empty
  std::string name_address;              // "http://NAME:port/"
  std::string local_address;             // "http://localhost:port/", for this PC's browser
  std::string qr_text;                   // what the QR code carries
  bool login = true;                     // false: --no-login, said in the window
  std::vector<CheckLine> checklist;
  std::string action_problem;         // a button's action that did not start, in one sentence
  std::deque<std::string> log_lines;  // the last lines, oldest first, without line ends
  std::size_t log_added = 0;          // lines ever added: the window redraws its log on a change
};

// The address the QR code and the window's large text carry: the best IPv4
// one, else the computer's name.
std::string PhoneAddress(const DesktopView& view);
// What the QR code carries. (Pairing: PhoneAddress + "pair#" + the code.)
std::string QrText(const DesktopView& view);
// "Ethernet 2: http://10.0.0.5:8080/" lines for the addresses after the
// first, and the computer's name last.
std::string OtherAddressesText(const DesktopView& view);

class DesktopController {
 public:
  static constexpr std::size_t kLogLinesShown = 200;

  DesktopController(ServerSystem& system, int port, bool login, std::function<LogBatch()> take_log);

  const DesktopView& view() const { return view_; }

  // Looks again at the adapters and the checks' facts.
  void Refresh();
  // Takes the queue's lines into the log file and the view; true when there
  // were any (the window then redraws its log and the phone's line).
  bool TakeLog();
  // Lines of the server's own, logged and shown the same way.
  void Note(const std::string& text);

  void RunAction(CheckAction action);
  // The remote in this PC's browser, at the localhost address.
  void OpenRemoteInBrowser();
  bool AutostartOn();
  // Turns the logon start on (with `logon_arguments`) or off. Raises RunError.
  void SetAutostartOn(bool on, const std::vector<std::string>& logon_arguments);

 private:
  void Show(const std::vector<std::string>& lines);

  ServerSystem& system_;
  int port_;
  std::function<LogBatch()> take_log_;
  ServerLog log_;
  bool file_problem_said_ = false;
  CheckFacts facts_;
  DesktopView view_;
};

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_DESKTOP_DESKTOP_VIEW_H_
