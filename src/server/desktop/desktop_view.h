// What the window shows, as a record the server fills and the Win32 window
// only draws: the addresses and the QR code's text, the pairing code, the
// paired devices, the checklist, the log's last lines. DesktopController
// keeps it current through the seam, so that everything but the drawing is
// tried with the fake.
#ifndef TUNARO_SERVER_DESKTOP_DESKTOP_VIEW_H_
#define TUNARO_SERVER_DESKTOP_DESKTOP_VIEW_H_

#include <cstddef>
#include <cstdint>
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

// A paired device as the window lists it.
struct PairedDevice {
  std::string id;  // DeviceId: what Forget names
  std::string name;
  std::int64_t paired_at = 0, last_seen = 0;  // UnixTime() seconds
};

// The pairing code and the devices as the access gate holds them now
// (serve.cc asks it).
struct PairingCodeNow {
  std::string code;               // its 8 characters
  std::int64_t seconds_left = 0;  // of its life
  std::string devices_problem;    // what is wrong with the devices file, and what to do
  std::vector<PairedDevice> devices;
  std::int64_t now = 0;  // UnixTime() when asked, for the devices' ages
};

// What the window can ask of pairing; both empty with --no-login.
struct PairingDesk {
  std::function<PairingCodeNow()> now;
  std::function<void(const std::string& id)> forget;
};

// "iPhone, Safari: paired 3 days ago, last seen 2 min ago".
std::string DeviceLineText(const PairedDevice& device, std::int64_t now);

struct DesktopView {
  std::vector<RankedAddress> addresses;  // best first; may be empty
  std::string name_address;              // "http://NAME:port/"
  std::string local_address;             // "http://localhost:port/", for this PC's browser
  std::string qr_text;                   // what the QR code carries
  bool login = true;                     // false: --no-login, said in the window
  // With pairing: the code as shown ("ABCD-EFGH"), until when it is good
  // ("14:32"), and the address of the pairing page the QR code carries.
  std::string pairing_code, pairing_until, pairing_link;
  std::string devices_problem;
  std::vector<std::string> device_ids, device_lines;  // one each per paired device
  std::vector<CheckLine> checklist;
  std::string action_problem;         // a button's action that did not start, in one sentence
  std::deque<std::string> log_lines;  // the last lines, oldest first, without line ends
  std::size_t log_added = 0;          // lines ever added: the window redraws its log on a change
};

// The address the window's large text carries: the best IPv4 one, else the
// computer's name.
std::string PhoneAddress(const DesktopView& view);
// What the QR code carries: the pairing link while there is a code, else
// PhoneAddress.
std::string QrText(const DesktopView& view);
// "Ethernet 2: http://10.0.0.5:8080/" lines for the addresses after the
// first, and the computer's name last.
std::string OtherAddressesText(const DesktopView& view);

class DesktopController {
 public:
  static constexpr std::size_t kLogLinesShown = 200;

  DesktopController(ServerSystem& system, int port, bool login, std::function<LogBatch()> take_log,
                    PairingDesk pairing = {});

  const DesktopView& view() const { return view_; }

  // Looks again at the adapters and the checks' facts.
  void Refresh();
  // Takes the queue's lines into the log file and the view, and the pairing
  // code; true when either changed (the window then redraws).
  bool TakeLog();
  // Lines of the server's own, logged and shown the same way.
  void Note(const std::string& text);
  // Forgets the device of the view's line `index`; it must pair again.
  void ForgetDevice(std::size_t index);

  void RunAction(CheckAction action);
  // The remote in this PC's browser, at the localhost address.
  void OpenRemoteInBrowser();
  bool AutostartOn();
  // Turns the logon start on (with `logon_arguments`) or off. Raises RunError.
  void SetAutostartOn(bool on, const std::vector<std::string>& logon_arguments);

 private:
  void Show(const std::vector<std::string>& lines);
  // True when the code, the devices or the devices file's state changed.
  bool TakePairing();

  ServerSystem& system_;
  int port_;
  std::function<LogBatch()> take_log_;
  PairingDesk pairing_;
  ServerLog log_;
  bool file_problem_said_ = false;
  CheckFacts facts_;
  DesktopView view_;
};

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_DESKTOP_DESKTOP_VIEW_H_
