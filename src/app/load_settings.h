// Reading tunaro.conf, the settings file beside the executable.
#ifndef TUNARO_APP_LOAD_SETTINGS_H_
#define TUNARO_APP_LOAD_SETTINGS_H_

#include <string_view>

#include "app/settings.h"
#include "cgi/response_writer.h"
#include "platform/system_interface.h"

namespace tunaro {

// Fills `settings` from the text of a configuration file. Each line is a
// comment ("#" first after blanks), "KEY value" with exactly the first space
// separating them, or skipped; the last line of a key counts, but for
// MUSICDIR, whose every line names one more folder. Lines end at CR LF, a
// lone LF or a lone CR, so a file saved with any editor's line ends reads
// the same. Raises RunError 6 for an SSIWIDTH outside 16 bits.
void ParseSettings(std::string_view content, Settings& settings);

// Reads tunaro.conf from the executable's directory (RunError when it cannot
// be read) and takes a relative HEADERFILE, FOOTERFILE or MUSICDIR from that
// directory too: what the JSON answers need, which show no page.
void ReadSettingsFile(SystemInterface& system, Settings& settings);

// ReadSettingsFile, then writes one error line for a blank ImgDir and one for
// a blank WWWPath and ends the run when either was written.
void LoadSettings(SystemInterface& system, ResponseWriter& out, Settings& settings);

}  // namespace tunaro

#endif  // TUNARO_APP_LOAD_SETTINGS_H_
