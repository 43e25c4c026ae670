// A fixture of the layering test, never built: a room with no rule, which the
// check must refuse until it is given one.
#include "base/run_error.h"
