// The configuration file, tunaro.conf.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/load_settings.h"
#include "base/run_error.h"
#include "base/text_rules.h"
#include "fuzz_input.h"

namespace {

bool Same(const tunaro::Settings& a, const tunaro::Settings& b) {
  return a.ImgDir == b.ImgDir && a.HeaderFile == b.HeaderFile && a.FooterFile == b.FooterFile &&
         a.WWWPath == b.WWWPath && a.BgColor == b.BgColor && a.SSIMode == b.SSIMode &&
         a.SSIWidth == b.SSIWidth && a.MusicDirs == b.MusicDirs;
}

// Values that no line of a fuzzed file can set (a line ends at its first CR).
tunaro::Settings Untouched() {
  tunaro::Settings s;
  s.ImgDir = s.HeaderFile = s.FooterFile = s.WWWPath = s.BgColor = "\r";
  s.SSIMode = true;
  s.SSIWidth = -12345;
  return s;
}

// A value of the file stands on one line of it.
void CheckValue(const std::string& value, std::string_view content) {
  if (value == "\r") return;
  FUZZ_CHECK(value.find('\r') == std::string::npos);
  FUZZ_CHECK(content.find(value) != std::string_view::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view content(reinterpret_cast<const char*>(data), size);
  const std::string upper = tunaro::ToUpperText(content);

  tunaro::Settings settings = Untouched();
  try {
    tunaro::ParseSettings(content, settings);
  } catch (const tunaro::RunError& error) {
    FUZZ_CHECK(error.number() == tunaro::error_number::kOverflow);
    FUZZ_CHECK(upper.find("SSIWIDTH") != std::string::npos);
    return 0;
  }

  // A setting changes only when its key is in the file.
  const tunaro::Settings untouched = Untouched();
  const auto keyed = [&](const char* key) { return upper.find(key) != std::string::npos; };
  FUZZ_CHECK(settings.ImgDir == untouched.ImgDir || keyed("IMGDIR"));
  FUZZ_CHECK(settings.HeaderFile == untouched.HeaderFile || keyed("HEADERFILE"));
  FUZZ_CHECK(settings.FooterFile == untouched.FooterFile || keyed("FOOTERFILE"));
  FUZZ_CHECK(settings.WWWPath == untouched.WWWPath || keyed("WWWPATH"));
  FUZZ_CHECK(settings.BgColor == untouched.BgColor || keyed("BGCOLOR"));
  FUZZ_CHECK(settings.SSIMode == untouched.SSIMode || keyed("SSI"));
  FUZZ_CHECK(settings.SSIWidth == untouched.SSIWidth || keyed("SSIWIDTH"));
  FUZZ_CHECK(settings.MusicDirs.empty() || keyed("MUSICDIR"));
  for (const std::string* value : {&settings.ImgDir, &settings.HeaderFile, &settings.FooterFile,
                                   &settings.WWWPath, &settings.BgColor}) {
    CheckValue(*value, content);
  }
  for (const std::string& folder : settings.MusicDirs) {
    FUZZ_CHECK(!folder.empty() && folder.front() != ' ' && folder.back() != ' ');
    CheckValue(folder, content);
  }

  // The same file twice over sets the same, but for the music folders, which
  // all count: the last line of any other key wins.
  tunaro::Settings twice = Untouched();
  tunaro::ParseSettings(std::string(content) + "\r\n" + std::string(content), twice);
  std::vector<std::string> both = settings.MusicDirs;
  both.insert(both.end(), settings.MusicDirs.begin(), settings.MusicDirs.end());
  FUZZ_CHECK(twice.MusicDirs == both);
  twice.MusicDirs = settings.MusicDirs;
  FUZZ_CHECK(Same(twice, settings));

  // A lone CR or a lone LF ends a line just as CR LF does.
  std::string crlf;
  for (std::size_t i = 0; i < size; ++i) {
    const char c = content[i];
    const bool after_cr = i > 0 && content[i - 1] == '\r';
    const bool before_lf = i + 1 < size && content[i + 1] == '\n';
    if (c == '\r' && !before_lf) {
      crlf += "\r\n";
    } else if (c == '\n' && !after_cr) {
      crlf += "\r\n";
    } else {
      crlf.push_back(c);
    }
  }
  tunaro::Settings from_crlf = Untouched();
  tunaro::ParseSettings(crlf, from_crlf);
  FUZZ_CHECK(Same(from_crlf, settings));
  return 0;
}
