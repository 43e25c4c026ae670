#include "server/http/win32_access_desk.h"

#include <windows.h>

namespace tunaro::server {

struct AccessDesk::Lock {
  SRWLOCK lock = SRWLOCK_INIT;
};

AccessDesk::AccessDesk(ServerSystem& system, const AccessSettings& settings)
    : lock_(std::make_unique<Lock>()), gate_(system, settings) {}

AccessDesk::~AccessDesk() = default;

AccessDesk::Held::Held(AccessDesk* desk) : desk_(desk) {
  AcquireSRWLockExclusive(&desk_->lock_->lock);
}

AccessDesk::Held::~Held() {
  if (desk_ != nullptr) ReleaseSRWLockExclusive(&desk_->lock_->lock);
}

}  // namespace tunaro::server
