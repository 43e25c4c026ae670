// The site's settings, read from tunaro.conf beside the executable.
#ifndef TUNARO_APP_SETTINGS_H_
#define TUNARO_APP_SETTINGS_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "cgi/response_writer.h"
#include "platform/system_interface.h"

namespace tunaro {

struct Settings {
  std::string ImgDir;         // IMGDIR: prefix of the button images
  std::string HeaderFile;     // HEADERFILE: replaces the page's first line
  std::string FooterFile;     // FOOTERFILE: replaces the page's last line
  std::string WWWPath;        // WWWPATH: the URL path of this program's folder
  std::string BgColor;        // BGCOLOR: background of the tables
  bool SSIMode = false;       // SSI: "1" selects the compact panel
  std::int16_t SSIWidth = 0;  // SSIWIDTH: titles keep their last this many characters
};

// Fills `settings` from the text of a configuration file. Each line is a
// comment ("#" first after blanks), "KEY value" with exactly the first space
// separating them, or skipped. Lines end at CR LF or a lone CR; a lone LF is
// part of the line. Raises RunError 6 for an SSIWIDTH outside 16 bits.
void ParseSettings(std::string_view content, Settings& settings);

// Reads tunaro.conf from the executable's directory (RunError when it cannot
// be read), then writes one error line for a blank ImgDir and one for a blank
// WWWPath and ends the run when either was written.
void LoadSettings(SystemInterface& system, ResponseWriter& out, Settings& settings);

}  // namespace tunaro

#endif  // TUNARO_APP_SETTINGS_H_
