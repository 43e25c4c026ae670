#include "render/field_lines.h"

#include "base/text_lines.h"

namespace tunaro {

void WriteFieldLines(ResponseWriter& out, std::string_view content) {
  FieldReader fields(content);
  while (!fields.AtEnd()) out.WriteLine(fields.NextField());
}

}  // namespace tunaro
