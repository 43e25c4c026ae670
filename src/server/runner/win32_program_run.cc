#include "server/runner/win32_program_run.h"

// winsock2.h must come before windows.h.
// clang-format off
#include <winsock2.h>
#include <windows.h>
// clang-format on

#include <civetweb.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/run_error.h"
#include "base/text_rules.h"
#include "base/win32_closing_handle.h"
#include "server/runner/cgi_answer.h"
#include "server/runner/cgi_environment.h"
#include "server/runner/request_body.h"
#include "server/runner/win32_wait_deadline.h"
#include "server/system/win32_wide_text.h"

namespace tunaro::server {
namespace {

constexpr std::size_t kMaxHeadBytes = 16 * 1024;
// tunaro.exe ends by its own limits within seconds; this only keeps a run
// that never ends from holding a worker for good.
constexpr DWORD kRunLimitMs = 60 * 1000;
constexpr int kSpawnAttempts = 3;

[[noreturn]] void Fail(const std::string& why) { throw RunError(kProgramFailedStatus, why); }

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

// The server's own environment, in the ANSI code page as CGI programs read it.
std::vector<std::string> OwnEnvironment() {
  std::vector<std::string> entries;
  if (char* own = GetEnvironmentStringsA()) {
    for (const char* entry = own; *entry != '\0'; entry += std::strlen(entry) + 1) {
      entries.emplace_back(entry);
    }
    FreeEnvironmentStringsA(own);
  }
  return entries;
}

CgiRequest CgiRequestOf(const mg_request_info& request, const RunExtras& extras) {
  CgiRequest cgi;
  cgi.http_version = request.http_version;
  cgi.method = request.request_method;
  cgi.script_name = request.local_uri;
  cgi.query_string = request.query_string != nullptr ? request.query_string : "";
  cgi.client_address = request.remote_addr;
  cgi.server_port = request.server_port;
  cgi.client_port = request.remote_port;
  cgi.user = extras.user;
  cgi.content_length = request.content_length;
  for (int i = 0; i < request.num_headers; ++i) {
    cgi.headers.emplace_back(request.http_headers[i].name, request.http_headers[i].value);
  }
  return cgi;
}

// The body is small (the server refuses a Content-Length over 64 KiB), so it
// is read whole before the program starts, within its bounds all the same.
std::string ReadBody(mg_connection* connection) {
  std::string body;
  // One of CivetWeb's reads goes on while bytes trickle in: its waits end at
  // the deadline too.
  const WaitDeadline deadline(kBodyDeadlineMs);
  const BodyRead read = ReadRequestBody(
      [connection](char* piece, std::size_t size) { return mg_read(connection, piece, size); },
      [] { return static_cast<std::int64_t>(GetTickCount64()); },
      mg_get_request_info(connection)->content_length, kMaxBodyBytes, kBodyDeadlineMs, &body);
  if (read == BodyRead::kTooLarge) throw RunError(413, "the request's body is too large");
  if (read == BodyRead::kIncomplete) {
    throw RunError(408, "the request's body did not come whole in time");
  }
  return body;
}

struct Pipes {
  ClosingHandle child_input, input;    // the program reads the request body from child_input
  ClosingHandle output, child_output;  // and writes its answer to child_output
  ClosingHandle child_errors;          // NUL: tunaro.exe says everything on its page
};

// Every handle made not inheritable: Spawn lends the child's its inheritance
// for its own CreateProcess alone.
void MakePipes(Pipes& pipes) {
  SECURITY_ATTRIBUTES private_handle{sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};
  if (!CreatePipe(pipes.child_input.out(), pipes.input.out(), &private_handle, 0) ||
      !CreatePipe(pipes.output.out(), pipes.child_output.out(), &private_handle, 0)) {
    Fail("no pipes");
  }
  *pipes.child_errors.out() = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                          &private_handle, OPEN_EXISTING, 0, nullptr);
  if (!pipes.child_errors) Fail("no pipes");
}

// The started program's process and first thread.
struct Started {
  ClosingHandle process, thread;
};

// Starts the program with exactly its three handles. Spawns take turns: a
// handle is inheritable only while its own CreateProcess runs, so no other
// run's child can take it along.
void Spawn(const std::wstring& exe, const std::wstring& folder, std::string& environment,
           Pipes& pipes, Started& started) {
  // The one lock of all workers, for the inheritance that is the process's.
  static SRWLOCK spawn_lock = SRWLOCK_INIT;
  HANDLE inherited[3] = {pipes.child_input.get(), pipes.child_output.get(),
                         pipes.child_errors.get()};
  // Windows without the handle list (before Vista) pass every inheritable
  // handle, which the lock keeps to this run's three.
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
  PROCESS_INFORMATION process{};
  bool spawned = false;
  AcquireSRWLockExclusive(&spawn_lock);
  for (HANDLE handle : inherited)
    SetHandleInformation(handle, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
  // Under load Windows now and then refuses a spawn for a moment.
  for (int attempt = 0; attempt < kSpawnAttempts && !spawned; ++attempt) {
    if (attempt > 0) Sleep(20);
    spawned = CreateProcessW(exe.c_str(), command_line.data(), nullptr, nullptr, TRUE,
                             CREATE_NEW_PROCESS_GROUP | (listed ? EXTENDED_STARTUPINFO_PRESENT : 0),
                             environment.data(), folder.c_str(), &startup.StartupInfo, &process);
  }
  const DWORD error = GetLastError();
  for (HANDLE handle : inherited) SetHandleInformation(handle, HANDLE_FLAG_INHERIT, 0);
  ReleaseSRWLockExclusive(&spawn_lock);
  if (listed) DeleteProcThreadAttributeList(list);
  if (!spawned) Fail("CreateProcess failed with error " + std::to_string(error));
  *started.process.out() = process.hProcess;
  *started.thread.out() = process.hThread;
  // The child has its own copies now; the pipes' far ends must close here, so
  // that a read sees the end when the child ends.
  pipes.child_input.Close();
  pipes.child_output.Close();
  pipes.child_errors.Close();
}

// Feeds the request body to the program on a thread of its own, so that a
// program answering before it has read all of it cannot block the server.
// Going out of scope waits for the thread, which ends when the program has
// read the body or has ended.
class BodyFeed {
 public:
  BodyFeed(ClosingHandle& input, std::string body) : body_(std::move(body)) {
    input_ = input.release();  // the thread closes it, to tell the end of the body
    *thread_.out() = CreateThread(nullptr, 0, Feed, this, 0, nullptr);
    if (!thread_) CloseHandle(input_);
  }
  ~BodyFeed() {
    if (thread_) WaitForSingleObject(thread_.get(), INFINITE);
  }
  BodyFeed(const BodyFeed&) = delete;
  BodyFeed& operator=(const BodyFeed&) = delete;

 private:
  static DWORD WINAPI Feed(void* context) {
    auto* feed = static_cast<BodyFeed*>(context);
    const char* at = feed->body_.data();
    std::size_t left = feed->body_.size();
    DWORD written = 0;
    while (left > 0 && WriteFile(feed->input_, at, static_cast<DWORD>(left), &written, nullptr)) {
      at += written;
      left -= written;
    }
    CloseHandle(feed->input_);
    return 0;
  }

  std::string body_;
  HANDLE input_ = nullptr;
  ClosingHandle thread_;
};

// Ends the program if it runs longer than kRunLimitMs. Going out of scope
// deletes the timer, waiting for a callback that is running.
class RunLimit {
 public:
  explicit RunLimit(HANDLE process) {
    CreateTimerQueueTimer(&timer_, nullptr, End, process, kRunLimitMs, 0, WT_EXECUTEONLYONCE);
  }
  ~RunLimit() {
    if (timer_ != nullptr) DeleteTimerQueueTimer(nullptr, timer_, INVALID_HANDLE_VALUE);
  }
  RunLimit(const RunLimit&) = delete;
  RunLimit& operator=(const RunLimit&) = delete;

 private:
  static VOID CALLBACK End(void* process, BOOLEAN) { TerminateProcess(process, 1); }
  HANDLE timer_ = nullptr;
};

// Ends a program that has not answered, however the run is left: it may be
// blocked writing a head nobody reads, and the body's thread waits for it.
class EndUnlessAnswered {
 public:
  explicit EndUnlessAnswered(HANDLE process) : process_(process) {}
  ~EndUnlessAnswered() {
    if (answered_) return;
    TerminateProcess(process_, 1);
    WaitForSingleObject(process_, INFINITE);
  }
  EndUnlessAnswered(const EndUnlessAnswered&) = delete;
  EndUnlessAnswered& operator=(const EndUnlessAnswered&) = delete;
  void Answered() { answered_ = true; }

 private:
  HANDLE process_;
  bool answered_ = false;
};

// Sends the head the program wrote, as CivetWeb's own: the status apart,
// without the headers that are the server's to say about the connection, and
// with the server's own added.
void SendHead(mg_connection* connection, const AnswerHead& head, const RunExtras& extras) {
  mg_response_header_start(connection, head.status);
  for (const auto& [name, value] : head.headers) {
    const std::string lower = ToLowerText(name);
    bool added = lower == "connection" || lower == "transfer-encoding";
    for (const auto& extra : extras.headers) added = added || ToLowerText(extra.first) == lower;
    if (!added) mg_response_header_add(connection, name.c_str(), value.c_str(), -1);
  }
  for (const auto& [name, value] : extras.headers) {
    mg_response_header_add(connection, name.c_str(), value.c_str(), -1);
  }
  mg_response_header_send(connection);
}

// Passes the program's answer on: the head read whole (to know the status),
// the body as it comes. Returns the status sent; raises, with nothing sent,
// when the head is broken, too long, or never came.
int PassAnswerOn(mg_connection* connection, HANDLE output, bool head_only,
                 const RunExtras& extras) {
  std::string text;
  AnswerHead head;
  HeadRead state = HeadRead::kIncomplete;
  bool sending = true;
  int status = 0;
  char piece[4096];
  DWORD got = 0;
  while (ReadFile(output, piece, sizeof piece, &got, nullptr) && got > 0) {
    if (status != 0) {
      if (sending && !head_only) sending = mg_write(connection, piece, got) > 0;
      continue;  // a client gone: the rest is read and dropped, so the program can end
    }
    text.append(piece, got);
    state = ReadAnswerHead(text, &head);
    if (state == HeadRead::kIncomplete && text.size() <= kMaxHeadBytes) continue;
    if (state != HeadRead::kComplete) break;
    SendHead(connection, head, extras);
    status = head.status;
    if (!head_only && text.size() > head.body_start) {
      sending =
          mg_write(connection, text.data() + head.body_start, text.size() - head.body_start) > 0;
    }
  }
  if (status == 0) {
    Fail(state == HeadRead::kBroken ? "its answer began with no valid header"
                                    : "it ended without an answer");
  }
  return status;
}

}  // namespace

int RunProgram(mg_connection* connection, const std::string& folder, const RunExtras& extras) {
  const mg_request_info& request = *mg_get_request_info(connection);
  const std::wstring program_folder = FullPath(L"cgi-bin\\" + WideFromUtf8(folder));
  const std::wstring exe = program_folder + L"\\tunaro.exe";
  std::string body = ReadBody(connection);
  std::string environment =
      CgiEnvironmentBlock(CgiRequestOf(request, extras), AnsiText(exe), OwnEnvironment());

  Pipes pipes;
  MakePipes(pipes);
  Started started;
  Spawn(exe, program_folder, environment, pipes, started);
  // Left in the reverse order: the program ended if it has not answered, then
  // the body's thread waited for, then the time limit deleted.
  const RunLimit limit(started.process.get());
  BodyFeed feed(pipes.input, std::move(body));
  EndUnlessAnswered end(started.process.get());

  const int status = PassAnswerOn(connection, pipes.output.get(),
                                  std::strcmp(request.request_method, "HEAD") == 0, extras);
  end.Answered();
  return status;
}

}  // namespace tunaro::server
