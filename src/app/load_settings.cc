#include "app/load_settings.h"

#include "base/number_reader.h"
#include "base/run_error.h"
#include "base/text_lines.h"
#include "base/text_rules.h"
#include "platform/ansi_characters.h"

namespace tunaro {
namespace {

void ApplySetting(std::string_view line, Settings& settings) {
  if (TrimBlanks(line).substr(0, 1) == "#") return;
  const std::size_t blank = line.find(' ');
  if (blank == std::string_view::npos) return;
  // The key part keeps its blank; a line that starts with one has no key.
  const std::string key = ToUpperText(TrimBlanks(line.substr(0, blank + 1)));
  const std::string_view value = line.substr(blank + 1);
  if (key == "IMGDIR") {
    settings.ImgDir = std::string(value);
  } else if (key == "HEADERFILE") {
    settings.HeaderFile = std::string(value);
  } else if (key == "FOOTERFILE") {
    settings.FooterFile = std::string(value);
  } else if (key == "WWWPATH") {
    settings.WWWPath = std::string(value);
  } else if (key == "BGCOLOR") {
    settings.BgColor = std::string(value);
  } else if (key == "SSI") {
    settings.SSIMode = value == "1";
  } else if (key == "SSIWIDTH") {
    settings.SSIWidth = RoundToInt16(ReadLeadingNumber(value));
  } else if (key == "MUSICDIR") {
    // A path ends at no blank that Windows would keep.
    const std::string_view folder = TrimBlanks(value);
    if (!folder.empty()) settings.MusicDirs.emplace_back(folder);
  }
}

// The program's folder with one separator after it.
std::string ProgramFolder(SystemInterface& system) {
  std::string path = system.ExecutableDirectory();
  // The folder's last byte may be the second of a character's two.
  if (!AnsiCharacters(system).EndsWithSeparator(path)) path += '\\';
  return path;
}

// "header.html" or "charsets\header-1251.html": neither a drive ("C:...") nor
// a root ("\..." or "/...", UNC paths among them) in front.
bool IsRelativePath(std::string_view path) {
  if (path.empty() || path[0] == '\\' || path[0] == '/') return false;
  return !(path.size() >= 2 && path[1] == ':');
}

// A relative HEADERFILE or FOOTERFILE is taken from the program's own folder,
// not from whatever folder the web server starts the program in, so the
// shipped tunaro.conf works wherever its folder is unpacked.
void PlaceInProgramFolder(SystemInterface& system, std::string& path) {
  if (IsRelativePath(path)) path.insert(0, ProgramFolder(system));
}

}  // namespace

void ParseSettings(std::string_view content, Settings& settings) {
  ForEachTextLine(content, [&](std::string_view line) { ApplySetting(line, settings); });
}

void ReadSettingsFile(SystemInterface& system, Settings& settings) {
  ParseSettings(system.ReadWholeFile(ProgramFolder(system) + "tunaro.conf"), settings);
  PlaceInProgramFolder(system, settings.HeaderFile);
  PlaceInProgramFolder(system, settings.FooterFile);
  for (std::string& folder : settings.MusicDirs) PlaceInProgramFolder(system, folder);
}

void LoadSettings(SystemInterface& system, ResponseWriter& out, Settings& settings) {
  ReadSettingsFile(system, settings);
  bool failed = false;
  if (TrimBlanks(settings.ImgDir).empty()) {
    out.WriteLine("ERROR: ImgDir is null. Check your configuration file.<br>\r\n");
    failed = true;
  }
  if (TrimBlanks(settings.WWWPath).empty()) {
    out.WriteLine("ERROR: WWWPath is null. Check your configuration file.<br>\r\n");
    failed = true;
  }
  if (failed) throw RunEndedEarly{};
}

}  // namespace tunaro
