// The site's settings, as tunaro.conf gives them (see load_settings.h).
#ifndef TUNARO_APP_SETTINGS_H_
#define TUNARO_APP_SETTINGS_H_

#include <cstdint>
#include <string>
#include <vector>

namespace tunaro {

struct Settings {
  std::string ImgDir;         // IMGDIR: prefix of the button images
  std::string HeaderFile;     // HEADERFILE: replaces the page's first line
  std::string FooterFile;     // FOOTERFILE: replaces the page's last line
  std::string WWWPath;        // WWWPATH: the URL path of this program's folder
  std::string BgColor;        // BGCOLOR: background of the tables
  bool SSIMode = false;       // SSI: "1" selects the compact panel
  std::int16_t SSIWidth = 0;  // SSIWIDTH: titles keep their last this many characters
  // MUSICDIR: the music folders, one a line, every line counting, in their
  // order; none: the user's Music folder.
  std::vector<std::string> MusicDirs;
};

}  // namespace tunaro

#endif  // TUNARO_APP_SETTINGS_H_
