// A fixture of the layering test, never built: access/ includes desktop/, a
// room above it, which the check must refuse.
#include "server/access/address_allow.h"
#include "server/desktop/console_qr.h"
