#include "server/runner/win32_program_run.h"

// winsock2.h must come before windows.h.
// clang-format off
#include <winsock2.h>
#include <windows.h>
// clang-format on

#include <civetweb.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "server/access/address_allow.h"
#include "server/runner/cgi_answer.h"
#include "server/desktop/win32_console.h"

namespace tunaro::server {
namespace {

constexpr std::size_t kMaxHeadBytes = 16 * 1024;
// tunaro.exe ends by its own limits within seconds; this only keeps a run
// that never ends from holding a worker for good.
constexpr DWORD kRunLimitMs = 60 * 1000;
constexpr int kSpawnAttempts = 3;

// Closes a handle when it goes out of scope.
class Handle {
 public:
  Handle() = default;
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() { Close(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return handle_; }
  HANDLE* out() { return &handle_; }
  explicit operator bool() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
  void Close() {
    if (*this) CloseHandle(handle_);
    handle_ = nullptr;
  }

 private:
  HANDLE handle_ = nullptr;
};

std::wstring FullPath(const std::wstring& relative) {
  std::wstring full(MAX_PATH, L'\0');
  DWORD length =
      GetFullPathNameW(relative.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (length >= full.size()) {
    full.resize(length);
    length =
        GetFullPathNameW(relative.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  }
  full.resize(length < full.size() ? length : 0);
  return full;
}

// The server checks at start that its folder fits the ANSI code page.
std::string AnsiText(const std::wstring& text) {
  const int length = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string ansi(length > 0 ? length : 1, '\0');
  WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, ansi.data(), length, nullptr, nullptr);
  ansi.resize(std::strlen(ansi.c_str()));
  return ansi;
}

std::string UpperName(const char* entry, std::size_t length) {
  std::string name(entry, length);
  for (char& c : name) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return name;
}

// The program's environment, in the ANSI code page as CGI programs read it:
// the server's own (the system's folders and paths), without anything that
// could pass for a request's variable, then the request's.
std::string EnvironmentFor(const mg_request_info& request, const std::string& script_path) {
  std::vector<std::pair<std::string, std::string>> cgi = {
      {"GATEWAY_INTERFACE", "CGI/1.1"},
      {"SERVER_SOFTWARE", "tunaro-server"},
      {"SERVER_PROTOCOL", std::string("HTTP/") + request.http_version},
      {"SERVER_PORT", std::to_string(request.server_port)},
      {"REQUEST_METHOD", request.request_method},
      {"SCRIPT_NAME", request.local_uri},
      {"SCRIPT_FILENAME", script_path},
      {"QUERY_STRING", request.query_string != nullptr ? request.query_string : ""},
  };
  cgi.emplace_back("REMOTE_ADDR", ClientAddressText(request.remote_addr));
  cgi.emplace_back("REMOTE_PORT", std::to_string(request.remote_port));
  if (request.remote_user != nullptr) {
    cgi.emplace_back("REMOTE_USER", request.remote_user);
    cgi.emplace_back("AUTH_TYPE", "Digest");
  }
  if (request.content_length >= 0)
    cgi.emplace_back("CONTENT_LENGTH", std::to_string(request.content_length));
  std::set<std::string> given;
  for (int i = 0; i < request.num_headers; ++i) {
    const std::string variable = HeaderVariableName(request.http_headers[i].name);
    if (!variable.empty() && given.insert(variable).second) {
      cgi.emplace_back(variable, request.http_headers[i].value);
    }
  }
  for (const auto& [name, value] : cgi) given.insert(name);

  std::string block;
  if (char* own = GetEnvironmentStringsA()) {
    for (const char* entry = own; *entry != '\0'; entry += std::strlen(entry) + 1) {
      const char* equals = std::strchr(entry + 1, '=');  // "=C:=C:\..." starts with one
      const std::string name =
          UpperName(entry, equals != nullptr ? equals - entry : std::strlen(entry));
      if (name.rfind("HTTP_", 0) == 0 || given.count(name) != 0) continue;
      block.append(entry).push_back('\0');
    }
    FreeEnvironmentStringsA(own);
  }
  for (const auto& [name, value] : cgi) {
    // A value cannot hold a NUL; CivetWeb has cut header values at one.
    block.append(name).append("=").append(value.c_str()).push_back('\0');
  }
  block.push_back('\0');
  return block;
}

struct Pipes {
  Handle child_input, input;    // the program reads the request body from child_input
  Handle output, child_output;  // and writes its answer to child_output
  Handle child_errors;          // NUL: tunaro.exe says everything on its page
};

bool MakePipes(Pipes* pipes) {
  SECURITY_ATTRIBUTES private_handle{sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};
  if (!CreatePipe(pipes->child_input.out(), pipes->input.out(), &private_handle, 0)) return false;
  if (!CreatePipe(pipes->output.out(), pipes->child_output.out(), &private_handle, 0)) return false;
  *pipes->child_errors.out() =
      CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &private_handle,
                  OPEN_EXISTING, 0, nullptr);
  return static_cast<bool>(pipes->child_errors);
}

// Starts the program with exactly its three handles. Spawns take turns: a
// handle is inheritable only while its own CreateProcess runs, so no other
// run's child can take it along.
bool Spawn(const std::wstring& exe, const std::wstring& folder, std::string& environment,
           Pipes& pipes, PROCESS_INFORMATION* process) {
  static SRWLOCK spawn_lock = SRWLOCK_INIT;  // guards the process-wide inheritance
  HANDLE inherited[3] = {pipes.child_input.get(), pipes.child_output.get(),
                         pipes.child_errors.get()};
  SIZE_T list_size = 0;
  InitializeProcThreadAttributeList(nullptr, 1, 0, &list_size);
  std::vector<char> list_memory(list_size);
  auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(list_memory.data());
  const bool listed = InitializeProcThreadAttributeList(list, 1, 0, &list_size) &&
                      UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST,
                                                inherited, sizeof inherited, nullptr, nullptr);
  STARTUPINFOEXW startup{};
  startup.StartupInfo.cb = sizeof startup;
  startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
  startup.StartupInfo.hStdInput = inherited[0];
  startup.StartupInfo.hStdOutput = inherited[1];
  startup.StartupInfo.hStdError = inherited[2];
  startup.lpAttributeList = listed ? list : nullptr;
  // The program shares the server's console, as a new console each run would
  // cost a console host process; its own process group keeps Ctrl+C, which
  // stops the server, from ending a run half way.
  std::wstring command_line = L"\"" + exe + L"\"";
  bool started = false;
  AcquireSRWLockExclusive(&spawn_lock);
  for (HANDLE handle : inherited)
    SetHandleInformation(handle, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
  for (int attempt = 0; attempt < kSpawnAttempts && !started; ++attempt) {
    if (attempt > 0) Sleep(20);
    started = CreateProcessW(exe.c_str(), command_line.data(), nullptr, nullptr, TRUE,
                             CREATE_NEW_PROCESS_GROUP | (listed ? EXTENDED_STARTUPINFO_PRESENT : 0),
                             environment.data(), folder.c_str(), &startup.StartupInfo, process);
  }
  const DWORD error = GetLastError();
  for (HANDLE handle : inherited) SetHandleInformation(handle, HANDLE_FLAG_INHERIT, 0);
  ReleaseSRWLockExclusive(&spawn_lock);
  if (listed) DeleteProcThreadAttributeList(list);
  SetLastError(error);
  return started;
}

// Feeds the request body to the program on a thread of its own, so that a
// program answering before it has read all of it cannot block the server.
struct BodyFeed {
  HANDLE input;
  std::string body;
};

DWORD WINAPI FeedBody(void* context) {
  auto* feed = static_cast<BodyFeed*>(context);
  const char* at = feed->body.data();
  std::size_t left = feed->body.size();
  DWORD written = 0;
  while (left > 0 && WriteFile(feed->input, at, static_cast<DWORD>(left), &written, nullptr)) {
    at += written;
    left -= written;
  }
  CloseHandle(feed->input);
  return 0;
}

VOID CALLBACK EndOverlongRun(void* process, BOOLEAN) { TerminateProcess(process, 1); }

int Fail(mg_connection* connection, const char* why) {
  mg_cry(connection, "tunaro.exe: %s", why);
  mg_send_http_error(connection, 500, "The remote's program did not run: %s", why);
  return 500;
}

}  // namespace

int RunProgram(mg_connection* connection, const std::string& folder) {
  const mg_request_info& request = *mg_get_request_info(connection);
  const std::wstring program_folder = FullPath(L"cgi-bin\\" + WideFromUtf8(folder));
  const std::wstring exe = program_folder + L"\\tunaro.exe";

  // The body is small (the server refuses more than 64 KiB), so it is read
  // whole before the program starts.
  BodyFeed feed{nullptr, {}};
  char piece[4096];
  for (int got; (got = mg_read(connection, piece, sizeof piece)) > 0;) feed.body.append(piece, got);

  Pipes pipes;
  std::string environment = EnvironmentFor(request, AnsiText(exe));
  PROCESS_INFORMATION started{};
  if (!MakePipes(&pipes)) return Fail(connection, "no pipes");
  if (!Spawn(exe, program_folder, environment, pipes, &started)) {
    char why[64];
    snprintf(why, sizeof why, "CreateProcess failed with error %lu", GetLastError());
    return Fail(connection, why);
  }
  Handle process(started.hProcess), thread(started.hThread);
  pipes.child_input.Close();
  pipes.child_output.Close();
  pipes.child_errors.Close();

  feed.input = pipes.input.get();
  *pipes.input.out() = nullptr;  // the feeding thread closes it
  Handle feeder(CreateThread(nullptr, 0, FeedBody, &feed, 0, nullptr));
  if (!feeder) CloseHandle(feed.input);
  Handle limit;
  CreateTimerQueueTimer(limit.out(), nullptr, EndOverlongRun, process.get(), kRunLimitMs, 0,
                        WT_EXECUTEONLYONCE);

  // The head is read whole (to know the status), the body passed on as it comes.
  const bool head_only = std::strcmp(request.request_method, "HEAD") == 0;
  std::string text;
  AnswerHead head;
  HeadRead state = HeadRead::kIncomplete;
  bool sending = true;
  int status = 0;
  DWORD got = 0;
  while (ReadFile(pipes.output.get(), piece, sizeof piece, &got, nullptr) && got > 0) {
    if (status != 0) {
      if (sending && !head_only) sending = mg_write(connection, piece, got) > 0;
      continue;  // a client gone: the rest is read and dropped, so the program can end
    }
    text.append(piece, got);
    state = ReadAnswerHead(text, &head);
    if (state == HeadRead::kIncomplete && text.size() <= kMaxHeadBytes) continue;
    if (state != HeadRead::kComplete) break;
    mg_response_header_start(connection, head.status);
    for (const auto& [name, value] : head.headers) {
      if (_stricmp(name.c_str(), "Connection") == 0 ||
          _stricmp(name.c_str(), "Transfer-Encoding") == 0) {
        continue;
      }
      mg_response_header_add(connection, name.c_str(), value.c_str(), -1);
    }
    mg_response_header_send(connection);
    status = head.status;
    if (!head_only && text.size() > head.body_start) {
      sending =
          mg_write(connection, text.data() + head.body_start, text.size() - head.body_start) > 0;
    }
  }
  if (status == 0) {
    TerminateProcess(process.get(), 1);
    WaitForSingleObject(process.get(), INFINITE);
  }
  // The body's thread ends when the program has read it or has ended.
  if (feeder) WaitForSingleObject(feeder.get(), INFINITE);
  if (limit) {
    DeleteTimerQueueTimer(nullptr, limit.get(),
                          INVALID_HANDLE_VALUE);  // waits for a running callback
    *limit.out() = nullptr;
  }
  if (status == 0) {
    return Fail(connection, state == HeadRead::kBroken ? "its answer began with no valid header"
                                                       : "it ended without an answer");
  }
  return status;
}

}  // namespace tunaro::server
