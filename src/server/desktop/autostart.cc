#include "server/desktop/autostart.h"

namespace tunaro::server {

const char kAutostartValueName[] = "Tunaro";

namespace {

// Every part quoted: the path may hold blanks, and an argument too (the
// --allow list may be given with blanks after its commas). No part can hold a
// double quote: a Windows path cannot, and neither can an option's value that
// ParseServerOptions accepts.
std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// The flag's first byte: 02 enabled, 03 disabled (by Task Manager or
// Settings); the bytes after it are the time it was disabled.
bool DisabledByFlag(const std::string& flag) {
  return !flag.empty() && (static_cast<unsigned char>(flag[0]) & 1) != 0;
}

std::string EnabledFlag() { return std::string("\x02", 1) + std::string(11, '\0'); }

}  // namespace

void SetAutostart(ServerSystem& system, bool on, const std::vector<std::string>& arguments) {
  if (!on) {
    system.RemoveRunValue(kAutostartValueName);
    system.RemoveStartupApprovedValue(kAutostartValueName);
    return;
  }
  std::string command = Quoted(system.ProgramPath());
  for (const std::string& argument : arguments) command += " " + Quoted(argument);
  system.SetRunValue(kAutostartValueName, command);
  const std::optional<std::string> flag = system.StartupApprovedValue(kAutostartValueName);
  if (flag && DisabledByFlag(*flag)) {
    system.SetStartupApprovedValue(kAutostartValueName, EnabledFlag());
  }
}

bool AutostartIsOn(ServerSystem& system) {
  if (!system.RunValue(kAutostartValueName)) return false;
  const std::optional<std::string> flag = system.StartupApprovedValue(kAutostartValueName);
  return !flag || !DisabledByFlag(*flag);
}

}  // namespace tunaro::server
