// The one AccessGate of the server, shared by CivetWeb's worker threads and
// the window: each holds it in turn, through a lock. What the window needs is
// the gate's own interface, held:
//
//   AccessDesk::Held gate = desk.Hold();
//   gate->CurrentCode();      // the pairing code and when it expires
//   gate->code_generation();  // changes with every new code: redraw then
//   gate->devices();          // name, paired, last seen; DeviceId(device)
//   gate->ForgetDevice(id);   gate->RenameDevice(id, name);
//   gate->devices_health();   // what is wrong with the devices file, what to do
//
// and PairingLink (access/pairing_code.h) for the QR code's text. Hold it
// briefly: every request waits for it.
#ifndef TUNARO_SERVER_HTTP_WIN32_ACCESS_DESK_H_
#define TUNARO_SERVER_HTTP_WIN32_ACCESS_DESK_H_

#include <memory>

#include "server/access/access_gate.h"
#include "server/system/server_system.h"

namespace tunaro::server {

class AccessDesk {
 public:
  AccessDesk(ServerSystem& system, const AccessSettings& settings);
  ~AccessDesk();
  AccessDesk(const AccessDesk&) = delete;
  AccessDesk& operator=(const AccessDesk&) = delete;

  // The gate, the lock taken until this goes.
  class Held {
   public:
    ~Held();
    Held(Held&& other) noexcept : desk_(other.desk_) { other.desk_ = nullptr; }
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;
    Held& operator=(Held&&) = delete;
    AccessGate* operator->() const { return &desk_->gate_; }
    AccessGate& operator*() const { return desk_->gate_; }

   private:
    friend class AccessDesk;
    explicit Held(AccessDesk* desk);
    AccessDesk* desk_;
  };
  Held Hold() { return Held(this); }

 private:
  struct Lock;
  std::unique_ptr<Lock> lock_;
  AccessGate gate_;
};

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_HTTP_WIN32_ACCESS_DESK_H_
