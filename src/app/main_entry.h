// The start of a run and its single error trap.
#ifndef TUNARO_APP_MAIN_ENTRY_H_
#define TUNARO_APP_MAIN_ENTRY_H_

#include <cstdint>
#include <string>

#include "platform/system_interface.h"

namespace tunaro {

// Serves one CGI request: captures it, reads the form data and handles it.
// Any error becomes the internal-error page, or for a request of a JSON
// answer (or a cover) the error object. Returns the process exit status.
int MainEntry(SystemInterface& system);

// "<description> Error Number = <number>", with one blank before a
// non-negative number and "-" directly before a negative one.
std::string ComposeErrorText(const std::string& description, std::int32_t number);

}  // namespace tunaro

#endif  // TUNARO_APP_MAIN_ENTRY_H_
