// The character rule of the system's ANSI code page, as the seam reports it.
#ifndef TUNARO_PLATFORM_ANSI_CHARACTERS_H_
#define TUNARO_PLATFORM_ANSI_CHARACTERS_H_

#include "base/characters.h"
#include "platform/system_interface.h"

namespace tunaro {

inline CharacterRule AnsiCharacters(SystemInterface& system) {
  const AnsiCodePageInfo code_page = system.AnsiCodePage();
  return CharacterRule::ForCodePage(code_page.number, code_page.lead_bytes);
}

}  // namespace tunaro

#endif  // TUNARO_PLATFORM_ANSI_CHARACTERS_H_
