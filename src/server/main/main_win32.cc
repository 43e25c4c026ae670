// tunaro-server.exe: serves the unpacked release folder it lies in, with a
// login, to the home network, in the user's own session.
// winsock2.h must come before windows.h.
// clang-format off
#include <winsock2.h>
#include <windows.h>
// clang-format on

#include <civetweb.h>
#include <qrcodegen.h>

#include <string>
#include <vector>

#include "server/access/address_allow.h"
#include "server/access/login_file.h"
#include "server/desktop/qr_text.h"
#include "server/http/request_rules.h"
#include "server/main/server_options.h"
#include "server/http/web_server.h"
#include "server/desktop/win32_console.h"
#include "server/system/win32_server_system.h"

namespace tunaro::server {
namespace {

enum ExitCode { kOk = 0, kFailed = 1, kBadOption = 2, kBadLogin = 3, kPortInUse = 4 };

const char kProgram[] = "tunaro-server.exe";

std::wstring LoginPath() { return ProgramFolder() + L"\\" + WideFromUtf8(kLoginFileName); }

bool ReadWholeFile(const std::wstring& path, std::string* text, bool* exists) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  *exists = file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_NOT_FOUND;
  if (file == INVALID_HANDLE_VALUE) return false;
  char buffer[4096];
  DWORD got = 0;
  text->clear();
  bool ok = true;
  while ((ok = ReadFile(file, buffer, sizeof buffer, &got, nullptr)) && got > 0) {
    text->append(buffer, got);
    if (text->size() > 64 * 1024) break;
  }
  CloseHandle(file);
  return ok;
}

// Writes the login file whole: a temporary file beside it, then moved over it.
bool WriteLogin(const std::string& user, const std::string& password, std::string* why) {
  char md5[33];
  const std::string source = DigestSource(user, password);
  mg_md5(md5, source.c_str(), nullptr);
  const std::string line = LoginLine(user, md5);
  const std::wstring path = LoginPath();
  const std::wstring temporary = path + L".new";
  HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  const bool ok =
      file != INVALID_HANDLE_VALUE &&
      WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr) &&
      written == line.size();
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  if (!ok || !MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    DeleteFileW(temporary.c_str());
    *why = "cannot write " + Utf8FromWide(path) + " (error " + std::to_string(GetLastError()) +
           "): is the folder your own?";
    return false;
  }
  return true;
}

int SetLoginFromInput(const std::string& user) {
  std::string password;
  if (!ReadInputLine(false, &password) || password.empty()) {
    PrintError("--set-login: give the password on standard input, one line, not empty\n");
    return kBadOption;
  }
  std::string why;
  if (!WriteLogin(user, password, &why)) {
    PrintError(why + "\n");
    return kFailed;
  }
  Print("Login set for \"" + user + "\" in " + Utf8FromWide(LoginPath()) + "\n");
  return kOk;
}

// The first start: asks for the login in the console.
int AskForLogin() {
  if (!InputIsConsole()) {
    PrintError(std::string("No login yet. Start ") + kProgram +
               " in a console window to set one, or run: " + kProgram +
               " --set-login USER (the password on standard input)\n");
    return kBadLogin;
  }
  Print("\nNo login set yet. Choose the user name and password your phone will log in with.\n");
  const std::string suggested = WindowsUserName();
  std::string user;
  while (true) {
    Print("User name" + (suggested.empty() ? std::string() : " [" + suggested + "]") + ": ");
    if (!ReadInputLine(false, &user)) return kFailed;
    if (user.empty()) user = suggested;
    if (IsGoodUserName(user)) break;
    Print("A user name of 1 to 64 characters, without a colon or a double quote, please.\n");
  }
  for (int tries = 0; tries < 3; ++tries) {
    std::string password, again;
    Print("Password (not shown): ");
    if (!ReadInputLine(true, &password)) return kFailed;
    Print("The same password again: ");
    if (!ReadInputLine(true, &again)) return kFailed;
    if (password.empty()) {
      Print("The password must not be empty.\n");
    } else if (password != again) {
      Print("The two did not match. Once more.\n");
    } else {
      std::string why;
      if (!WriteLogin(user, password, &why)) {
        PrintError(why + "\n");
        return kFailed;
      }
      Print("Login saved in " + Utf8FromWide(LoginPath()) + "\n");
      return kOk;
    }
  }
  PrintError("No login set.\n");
  return kFailed;
}

// The folders under cgi-bin\ whose tunaro.exe is served.
std::vector<std::string> ProgramFolders() {
  std::vector<std::string> folders;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(L"cgi-bin\\*", &found);
  if (search == INVALID_HANDLE_VALUE) return folders;
  do {
    const std::string name = Utf8FromWide(found.cFileName);
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsProgramFolderName(name) &&
        GetFileAttributesW(
            (L"cgi-bin\\" + std::wstring(found.cFileName) + L"\\tunaro.exe").c_str()) !=
            INVALID_FILE_ATTRIBUTES) {
      folders.push_back(name);
    }
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return folders;
}

void PrintQrCode(const std::string& text) {
  std::vector<uint8_t> code(qrcodegen_BUFFER_LEN_MAX), scratch(qrcodegen_BUFFER_LEN_MAX);
  if (!qrcodegen_encodeText(text.c_str(), scratch.data(), code.data(), qrcodegen_Ecc_LOW,
                            qrcodegen_VERSION_MIN, 10, qrcodegen_Mask_AUTO, true)) {
    return;
  }
  const int size = qrcodegen_getSize(code.data());
  std::string drawn;
  for (const std::string& line : QrHalfBlockLines(
           size, [&](int x, int y) { return qrcodegen_getModule(code.data(), x, y); })) {
    drawn += "  " + line + "\n";
  }
  Print(drawn);
}

void PrintFirewallHelp() {
  const std::string program = Utf8FromWide(ProgramPath());
  Print(
      "When Windows asks whether to allow tunaro-server.exe, tick Private networks and allow it.\n"
      "If the prompt was dismissed, or you are not an administrator, an administrator can run\n"
      "these lines in PowerShell (\"Run as administrator\") instead:\n\n"
      "# Remove the Block rules that a dismissed prompt left for this program:\n"
      "Get-NetFirewallApplicationFilter -Program \"" +
      program +
      "\" | Get-NetFirewallRule | Where-Object Action -eq Block | Remove-NetFirewallRule\n"
      "# Allow it on private networks:\n"
      "New-NetFirewallRule -DisplayName \"Tunaro server\" -Direction Inbound -Action Allow "
      "-Profile Private -Program \"" +
      program +
      "\"\n"
      "# Your home network must count as Private (a new Wi-Fi starts as Public):\n"
      "Get-NetConnectionProfile\n"
      "Set-NetConnectionProfile -InterfaceAlias \"Wi-Fi\" -NetworkCategory Private\n");
}

// tunaro.exe reads its own path, and the script path it is given, in the ANSI
// code page: the folder's path must be spellable in it.
bool FolderFitsCodePage(const std::wstring& folder) {
  BOOL lossy = FALSE;
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, folder.c_str(), -1, nullptr, 0, nullptr,
                      &lossy);
  return !lossy;
}

int Serve(const ServerOptions& options) {
  const std::wstring folder = ProgramFolder();
  if (!SetCurrentDirectoryW(folder.c_str())) {
    PrintError("cannot enter the folder " + Utf8FromWide(folder) + "\n");
    return kFailed;
  }
  if (GetFileAttributesW(L"wwwroot") == INVALID_FILE_ATTRIBUTES ||
      GetFileAttributesW(L"cgi-bin") == INVALID_FILE_ATTRIBUTES) {
    PrintError(std::string(kProgram) +
               " serves the folder it lies in, which needs wwwroot\\ and cgi-bin\\ beside it: "
               "keep it in the unpacked release folder.\n");
    return kFailed;
  }
  if (!FolderFitsCodePage(folder)) {
    PrintError("The folder " + Utf8FromWide(folder) +
               " has letters this Windows' code page cannot spell, so tunaro.exe cannot be "
               "started from it. Move the folder, e.g. to C:\\Tunaro.\n");
    return kFailed;
  }

  WebServerSettings settings;
  settings.port = options.port;
  std::string why;
  ParseAllowList(options.allow.empty() ? kHomeNetworks : options.allow, &settings.allowed, &why);
  settings.login = !options.no_login;
  settings.program_folders = ProgramFolders();

  SingleInstance instance;
  if (!instance.IsFirst()) {
    const std::string address = instance.RunningAddress();
    Print("Tunaro's server is already running in this session" +
          (address.empty() ? std::string(".") : ": " + address) + "\n");
    return kOk;
  }

  if (settings.login) {
    std::string text;
    bool exists = false;
    if (!ReadWholeFile(LoginPath(), &text, &exists)) {
      if (exists) {
        PrintError("cannot read the login file " + Utf8FromWide(LoginPath()) + "\n");
        return kBadLogin;
      }
      const int asked = AskForLogin();
      if (asked != kOk) return asked;
      ReadWholeFile(LoginPath(), &text, &exists);
    }
    if (!CheckLoginText(text, &why)) {
      PrintError("The login file " + Utf8FromWide(LoginPath()) + " is broken: " + why +
                 ". Delete it and start again to set a new login, or run " + kProgram +
                 " --set-login USER.\n");
      return kBadLogin;
    }
  }

  InstallStopHandler();
  WebServer server(settings);
  bool ipv6 = false;
  switch (server.Start(&why, &ipv6)) {
    case StartResult::kStarted:
      break;
    case StartResult::kPortInUse:
      PrintError("Port " + std::to_string(options.port) +
                 " is in use by another program. Start with another port: " + kProgram +
                 " --port " + std::to_string(options.port == 65535 ? 8081 : options.port + 1) +
                 "\n");
      return kPortInUse;
    case StartResult::kFailed:
      PrintError("The server did not start: " + why + "\n");
      return kFailed;
  }

  const std::string port = std::to_string(options.port);
  std::vector<std::string> addresses = {"http://" + ComputerName() + ":" + port + "/"};
  for (const std::string& address : UpIpv4Addresses()) {
    addresses.push_back("http://" + address + ":" + port + "/");
  }
  instance.PublishAddress(addresses.front());

  std::string banner = "Tunaro's remote is served from " + Utf8FromWide(folder) + "\n" +
                       (ipv6 ? "" : "(IPv4 only: this machine has no IPv6)\n") +
                       "Open one of these addresses on your phone:\n";
  for (const std::string& address : addresses) banner += "  " + address + "\n";
  Print(banner);
  if (OutputIsConsole()) PrintQrCode(addresses.front());
  Print(std::string(settings.login ? "Log in with the user name and password you set.\n"
                                   : "NO LOGIN (--no-login): anyone on the network can use the "
                                     "remote.\n") +
        (options.allow.empty() ? "Only this computer and the home network may connect.\n"
                               : "Only these addresses may connect: " + options.allow + "\n") +
        "When Windows asks, allow the program on private networks (" + kProgram +
        " --firewall-help shows more).\nCtrl+C or closing this window stops the server.\n\n");

  WaitForStopRequest();
  Print("Stopping...\n");
  server.Stop();
  Print("Stopped.\n");
  return kOk;
}

int Run() {
  const ParsedOptions parsed = ParseServerOptions(ProgramArguments());
  if (!parsed.error.empty()) {
    PrintError(std::string(kProgram) + ": " + parsed.error + "\n\n" + UsageText());
    return kBadOption;
  }
  const ServerOptions& options = parsed.options;
  std::string why;
  switch (options.command) {
    case Command::kHelp:
      Print(UsageText());
      return kOk;
    case Command::kFirewallHelp:
      PrintFirewallHelp();
      return kOk;
    case Command::kSetLogin:
      return SetLoginFromInput(options.login_user);
    case Command::kAutostart:
      if (!SetAutostart(options.autostart_on, ServeArguments(options), &why)) {
        PrintError(why + "\n");
        return kFailed;
      }
      Print(options.autostart_on ? "Tunaro's server now starts when you log on.\n"
                                 : "Tunaro's server no longer starts when you log on.\n");
      return kOk;
    case Command::kServe:
      break;
  }
  return Serve(options);
}

}  // namespace
}  // namespace tunaro::server

int main() { return tunaro::server::Run(); }
