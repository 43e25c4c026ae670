// The Windows program: one CGI request per process.
#include "app/main_entry.h"
#include "platform/win32_system.h"

int main() {
  tunaro::Win32System system;
  return tunaro::MainEntry(system);
}
