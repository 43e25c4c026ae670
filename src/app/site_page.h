// What the pages take from the site's settings, files and system: the
// program's own address, the site's header and footer copied in where the
// page's first and last lines would stand, and the code page of the titles.
#ifndef TUNARO_APP_SITE_PAGE_H_
#define TUNARO_APP_SITE_PAGE_H_

#include <string>

#include "app/settings.h"
#include "cgi/response_writer.h"
#include "platform/system_interface.h"
#include "render/page_input.h"

namespace tunaro {

// WWWPath followed by the program's own file name without its folder and
// extension: the address the pages link to.
std::string SelfUrlFor(SystemInterface& system, const Settings& settings);

// The pages' input from the settings. The header and footer are copied when
// the page gets to them, each when its setting names an ordinary file.
PageInput PageInputFor(SystemInterface& system, const Settings& settings);

// The system's answer for a character in its ANSI code page, the pages'.
AnsiCharacterFunction AnsiCharacterOf(SystemInterface& system);

// Writes the file field by field, one line per field (see WriteFieldLines).
// A file that cannot be read raises RunError.
void CopyFileToOutput(SystemInterface& system, ResponseWriter& out, const std::string& path);

}  // namespace tunaro

#endif  // TUNARO_APP_SITE_PAGE_H_
