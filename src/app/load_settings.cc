#include "app/load_settings.h"

#include "base/number_reader.h"
#include "base/run_error.h"
#include "base/text_rules.h"
#include "platform/ansi_characters.h"
#include "platform/text_lines.h"

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
  }
}

std::string ConfigurationPath(SystemInterface& system) {
  std::string path = system.ExecutableDirectory();
  // The folder's last byte may be the second of a character's two.
  if (!AnsiCharacters(system).EndsWithSeparator(path)) path += '\\';
  return path + "tunaro.conf";
}

}  // namespace

void ParseSettings(std::string_view content, Settings& settings) {
  ForEachTextLine(content, [&](std::string_view line) { ApplySetting(line, settings); });
}

void LoadSettings(SystemInterface& system, ResponseWriter& out, Settings& settings) {
  ParseSettings(system.ReadWholeFile(ConfigurationPath(system)), settings);
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
