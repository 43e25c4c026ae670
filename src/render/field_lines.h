// The site's own header and footer text, written into the page field by field.
#ifndef TUNARO_RENDER_FIELD_LINES_H_
#define TUNARO_RENDER_FIELD_LINES_H_

#include <string_view>

#include "cgi/response_writer.h"

namespace tunaro {

// Writes the text field by field, one line per field: a comma outside double
// quotes breaks the line there and vanishes, the quotes themselves are
// dropped, and blanks in front of a field are skipped.
void WriteFieldLines(ResponseWriter& out, std::string_view content);

}  // namespace tunaro

#endif  // TUNARO_RENDER_FIELD_LINES_H_
