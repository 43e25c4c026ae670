// The site's own header and footer files, copied into the page.
#ifndef TUNARO_RENDER_COPY_FILE_TO_OUTPUT_H_
#define TUNARO_RENDER_COPY_FILE_TO_OUTPUT_H_

#include <string>

#include "cgi/response_writer.h"
#include "platform/system_interface.h"

namespace tunaro {

// Writes the file field by field, one line per field: a comma outside double
// quotes breaks the line there and vanishes, the quotes themselves are
// dropped, and blanks in front of a field are skipped. A file that cannot be
// read raises RunError.
void CopyFileToOutput(SystemInterface& system, ResponseWriter& out, const std::string& path);

}  // namespace tunaro

#endif  // TUNARO_RENDER_COPY_FILE_TO_OUTPUT_H_
