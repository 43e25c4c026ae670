// The cheapest possible CGI program: it writes the header block and ends.
// Started the same way as tunaro.exe, it shows what a run costs before any
// of tunaro's own work (the floor of the process benchmark).
#include <windows.h>

int main() {
  static const char kHeader[] = "Content-type: text/html\r\n\r\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), kHeader, sizeof kHeader - 1, &written, nullptr);
  return 0;
}
