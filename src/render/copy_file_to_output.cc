#include "render/copy_file_to_output.h"

#include "base/text_lines.h"

namespace tunaro {

void CopyFileToOutput(SystemInterface& system, ResponseWriter& out, const std::string& path) {
  const std::string content = system.ReadWholeFile(path);
  FieldReader fields(content);
  while (!fields.AtEnd()) out.WriteLine(fields.NextField());
}

}  // namespace tunaro
