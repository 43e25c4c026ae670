#include "server/desktop/autostart.h"

namespace tunaro::server {

const char kAutostartValueName[] = "Tunaro";

namespace {

// Every part quoted: the path may hold blanks, and an argument too (the
// --allow list may be given with blanks after its commas). No part can hold a
// double quote: a Windows path cannot, and neither can an option's value that
// ParseServerOptions accepts.
std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

void SetAutostart(ServerSystem& system, bool on, const std::vector<std::string>& arguments) {
  if (!on) {
    system.RemoveRunValue(kAutostartValueName);
    return;
  }
  std::string command = Quoted(system.ProgramPath());
  for (const std::string& argument : arguments) command += " " + Quoted(argument);
  system.SetRunValue(kAutostartValueName, command);
}

}  // namespace tunaro::server
