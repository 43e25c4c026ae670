#include "app/site_page.h"

#include "render/field_lines.h"

namespace tunaro {
namespace {

// A configured header or footer replaces the default line only when it names
// an ordinary file; an empty setting or a missing file is not an error.
std::function<bool(ResponseWriter&)> SiteFileWriter(SystemInterface& system,
                                                    const std::string& path) {
  return [&system, path](ResponseWriter& out) {
    if (path.empty() || !system.IsOrdinaryFile(path)) return false;
    CopyFileToOutput(system, out, path);
    return true;
  };
}

}  // namespace

std::string SelfUrlFor(SystemInterface& system, const Settings& settings) {
  return settings.WWWPath + system.ExecutableBaseName();
}

PageInput PageInputFor(SystemInterface& system, const Settings& settings) {
  PageInput page;
  page.SelfUrl = SelfUrlFor(system, settings);
  page.ImgDir = settings.ImgDir;
  page.BgColor = settings.BgColor;
  page.WriteHeader = SiteFileWriter(system, settings.HeaderFile);
  page.WriteFooter = SiteFileWriter(system, settings.FooterFile);
  page.AnsiCharacter = AnsiCharacterOf(system);
  return page;
}

AnsiCharacterFunction AnsiCharacterOf(SystemInterface& system) {
  return [&system](char32_t code_point) { return system.AnsiCharacter(code_point); };
}

void CopyFileToOutput(SystemInterface& system, ResponseWriter& out, const std::string& path) {
  WriteFieldLines(out, system.ReadWholeFile(path));
}

}  // namespace tunaro
