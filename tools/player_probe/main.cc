// Talks to the player's window from the command line, for tests and debugging.
//   player_probe.exe find                          window handle, or 0
//   player_probe.exe query CODE WPARAM [CODE WPARAM ...]   one answer per line
//   player_probe.exe path                          the program path it reports
//   player_probe.exe text CODE                     query CODE (wParam 0), then the
//                                                  NUL-ended text at the address it
//                                                  answered, read from the player's
//                                                  process
//   player_probe.exe command ID                    posts a command
//   player_probe.exe bench N                       N state queries, average time
//   player_probe.exe texts                         the window's title, whether it
//                                                  is shown, and the text of each
//                                                  child window, a line each (UTF-8)
// "--window HANDLE" before the action uses that window instead of looking for
// one, to see what a sender of a stale handle gets; "--class NAME" looks for a
// top-level window of another class (the server's window, for its tests).
// Exit codes: 0 done, 1 no window, 2 a query timed out, 3 a query failed
// otherwise (the window went away), 4 bad command line, 5 the answer to
// "text" is no address of a readable text.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "player/player_messages.h"

namespace {

constexpr int kPathLimit = 32768;
constexpr std::size_t kTextLimit = 32768;
constexpr std::uintptr_t kPageSize = 4096;

enum Exit { kOk = 0, kNoWindow = 1, kTimedOut = 2, kFailed = 3, kUsage = 4, kUnreadable = 5 };

bool ParseInteger(const char* text, long long* value) {
  char* end = nullptr;
  errno = 0;
  *value = std::strtoll(text, &end, 10);
  return *text != '\0' && errno == 0 && *end == '\0';
}

// Sends one query. On failure prints why and returns the exit code to use.
int Query(HWND window, long long code, long long argument, LRESULT* answer) {
  DWORD_PTR result = 0;
  SetLastError(0);
  if (SendMessageTimeoutA(window, tunaro::QueryMessage, static_cast<WPARAM>(argument),
                          static_cast<LPARAM>(code), SMTO_ABORTIFHUNG | SMTO_BLOCK,
                          tunaro::QueryTimeoutMilliseconds, &result) != 0) {
    *answer = static_cast<LRESULT>(result);
    return kOk;
  }
  const DWORD error = GetLastError();
  std::fprintf(stderr, "player_probe: SendMessageTimeoutA failed, error %lu\n",
               static_cast<unsigned long>(error));
  if (error == ERROR_TIMEOUT || error == 0) {
    std::printf("timeout\n");
    return kTimedOut;
  }
  std::printf("failed %lu\n", static_cast<unsigned long>(error));
  return kFailed;
}

int RunQueries(HWND window, int count, char** pairs) {
  if (count == 0 || count % 2 != 0) return kUsage;
  for (int i = 0; i < count; i += 2) {
    long long code = 0;
    long long argument = 0;
    if (!ParseInteger(pairs[i], &code) || !ParseInteger(pairs[i + 1], &argument)) return kUsage;
    LRESULT answer = 0;
    const int status = Query(window, code, argument, &answer);
    if (status != kOk) return status;
    std::printf("%lld\n", static_cast<long long>(answer));
  }
  return kOk;
}

int PrintPath(HWND window) {
  std::string path;
  for (int position = 0; position < kPathLimit; ++position) {
    LRESULT answer = 0;
    const int status = Query(window, tunaro::QueryPathChar, position, &answer);
    if (status != kOk) return status;
    if (answer == 0) break;
    path += static_cast<char>(answer);
  }
  std::printf("%s\n", path.c_str());
  return kOk;
}

// Reads the NUL-ended text at `address` in the window's process, a page at a
// time so that a text ending just before an unmapped page still reads.
bool ReadRemoteText(HWND window, std::uintptr_t address, std::string* text) {
  DWORD process_id = 0;
  GetWindowThreadProcessId(window, &process_id);
  HANDLE process = OpenProcess(PROCESS_VM_READ, FALSE, process_id);
  if (process == nullptr) return false;
  bool ended = false;
  while (!ended && text->size() < kTextLimit) {
    char piece[kPageSize];
    const std::size_t size = static_cast<std::size_t>(kPageSize - address % kPageSize);
    SIZE_T got = 0;
    if (!ReadProcessMemory(process, reinterpret_cast<LPCVOID>(address), piece, size, &got) ||
        got != size) {
      break;
    }
    const char* nul = static_cast<const char*>(std::memchr(piece, '\0', size));
    const std::size_t length = nul == nullptr ? size : static_cast<std::size_t>(nul - piece);
    text->append(piece, length);
    ended = length < size;
    address += size;
  }
  CloseHandle(process);
  return ended;
}

int PrintText(HWND window, const char* code_text) {
  long long code = 0;
  if (!ParseInteger(code_text, &code)) return kUsage;
  LRESULT answer = 0;
  const int status = Query(window, code, 0, &answer);
  if (status != kOk) return status;
  std::string text;
  if (!ReadRemoteText(window, static_cast<std::uintptr_t>(answer), &text)) {
    std::printf("unreadable %lld\n", static_cast<long long>(answer));
    return kUnreadable;
  }
  std::printf("%s\n", text.c_str());
  return kOk;
}

// Measures the round trip of a query, for judging timeouts in tests.
int Bench(HWND window, const char* count_text) {
  long long count = 0;
  if (!ParseInteger(count_text, &count) || count <= 0) return kUsage;
  LARGE_INTEGER frequency;
  LARGE_INTEGER start;
  LARGE_INTEGER end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  for (long long i = 0; i < count; ++i) {
    LRESULT answer = 0;
    const int status = Query(window, tunaro::QueryPlayState, 0, &answer);
    if (status != kOk) return status;
  }
  QueryPerformanceCounter(&end);
  const double seconds =
      static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
  std::printf("%lld queries, %.1f us each\n", count, seconds * 1e6 / static_cast<double>(count));
  return kOk;
}

}  // namespace

// WM_GETTEXT, not GetWindowText, which gives no control's text across
// processes.
std::string Utf8Text(HWND window) {
  wchar_t text[4096] = L"";
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text),
                           SMTO_ABORTIFHUNG, 5000, &length)) {
    length = 0;
  }
  const int count = static_cast<int>(length);
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, count, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, count, utf8.data(), size, nullptr, nullptr);
  for (char& c : utf8) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return utf8;
}

BOOL CALLBACK PrintChild(HWND child, LPARAM) {
  if (IsWindowVisible(child)) std::printf("%s\n", Utf8Text(child).c_str());
  return TRUE;
}

int PrintTexts(HWND window) {
  std::printf("title %s\n%s\n", Utf8Text(window).c_str(),
              IsWindowVisible(window) ? "shown" : "hidden");
  EnumChildWindows(window, PrintChild, 0);
  return kOk;
}

int main(int argc, char** argv) {
  // Plain "\n" line ends, whatever reads the output.
  _setmode(_fileno(stdout), _O_BINARY);
  HWND window = nullptr;
  bool window_given = false;
  if (argc >= 3 && std::strcmp(argv[1], "--window") == 0) {
    long long handle = 0;
    if (!ParseInteger(argv[2], &handle)) return kUsage;
    window = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(handle));
    window_given = true;
    argc -= 2;
    argv += 2;
  }
  const char* window_class = tunaro::PlayerWindowClass;
  if (argc >= 3 && std::strcmp(argv[1], "--class") == 0) {
    window_class = argv[2];
    argc -= 2;
    argv += 2;
  }
  if (argc < 2) {
    std::fputs(
        "usage: player_probe.exe [--window HANDLE | --class NAME] find | query CODE WPARAM... | "
        "path | text CODE | command ID | bench N | texts\n",
        stderr);
    return kUsage;
  }
  const std::string action = argv[1];
  if (!window_given) window = FindWindowA(window_class, nullptr);
  int status = kUsage;
  if (action == "find") {
    std::printf("%llu\n", static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(window)));
    status = window != nullptr ? kOk : kNoWindow;
  } else if (window == nullptr) {
    std::printf("no window\n");
    status = kNoWindow;
  } else if (action == "query") {
    status = RunQueries(window, argc - 2, argv + 2);
  } else if (action == "path" && argc == 2) {
    status = PrintPath(window);
  } else if (action == "text" && argc == 3) {
    status = PrintText(window, argv[2]);
  } else if (action == "texts" && argc == 2) {
    status = PrintTexts(window);
  } else if (action == "bench" && argc == 3) {
    status = Bench(window, argv[2]);
  } else if (action == "command" && argc == 3) {
    long long id = 0;
    if (ParseInteger(argv[2], &id)) {
      status =
          PostMessageA(window, tunaro::CommandMessage, static_cast<WPARAM>(id), 0) ? kOk : kFailed;
    }
  }
  if (status == kUsage) std::fputs("player_probe: bad command line\n", stderr);
  std::fflush(stdout);
  return status;
}
