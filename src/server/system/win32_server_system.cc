#include "server/system/win32_server_system.h"

// winsock2.h must come before windows.h.
// clang-format off
#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>
#include <windows.h>
#include <ntsecapi.h>
#include <sddl.h>
#include <shellapi.h>
// clang-format on

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "base/run_error.h"
#include "base/win32_closing_handle.h"
#include "base/win32_files.h"
#include "server/system/win32_wide_text.h"

namespace tunaro::server {
namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kStartupApprovedKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";

// A failure numbered as the table numbers a failed file operation, with the
// system's own code in its text for whoever reads the console.
RunError SystemFailure(DWORD code, const std::string& what) {
  return RunError(FileError(code).number(), what + " (error " + std::to_string(code) + ")");
}

// A key of the current user's, opened to change its values (made when
// missing) or to read them; closed when it goes.
class UserKey {
 public:
  UserKey(const wchar_t* path, REGSAM access) {
    const LONG result = access == KEY_QUERY_VALUE
                            ? RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, access, &key_)
                            : RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, access,
                                              nullptr, &key_, nullptr);
    if (result == ERROR_FILE_NOT_FOUND && access == KEY_QUERY_VALUE) {
      key_ = nullptr;  // a key never made holds no values
    } else if (result != ERROR_SUCCESS) {
      throw SystemFailure(result, "cannot open HKCU\\" + Utf8FromWide(path));
    }
  }
  ~UserKey() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  UserKey(const UserKey&) = delete;
  UserKey& operator=(const UserKey&) = delete;
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

// The value's bytes; nothing when the key or the value is not there.
std::optional<std::string> ReadValueBytes(const wchar_t* key_path, const std::string& name,
                                          DWORD* type) {
  const UserKey key(key_path, KEY_QUERY_VALUE);
  if (key.get() == nullptr) return std::nullopt;
  const std::wstring wide_name = WideFromUtf8(name);
  DWORD size = 0;
  LONG result = RegQueryValueExW(key.get(), wide_name.c_str(), nullptr, type, nullptr, &size);
  if (result == ERROR_FILE_NOT_FOUND) return std::nullopt;
  std::string bytes(size, '\0');
  if (result == ERROR_SUCCESS) {
    result = RegQueryValueExW(key.get(), wide_name.c_str(), nullptr, type,
                              reinterpret_cast<BYTE*>(bytes.data()), &size);
  }
  if (result != ERROR_SUCCESS) throw SystemFailure(result, "cannot read the value " + name);
  bytes.resize(size);
  return bytes;
}

void SetValue(const wchar_t* key_path, const std::string& name, DWORD type, const void* bytes,
              std::size_t size) {
  const UserKey key(key_path, KEY_SET_VALUE);
  const LONG result = RegSetValueExW(key.get(), WideFromUtf8(name).c_str(), 0, type,
                                     static_cast<const BYTE*>(bytes), static_cast<DWORD>(size));
  if (result != ERROR_SUCCESS) throw SystemFailure(result, "cannot change the value " + name);
}

void RemoveValue(const wchar_t* key_path, const std::string& name) {
  const UserKey key(key_path, KEY_SET_VALUE);
  const LONG result = RegDeleteValueW(key.get(), WideFromUtf8(name).c_str());
  if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND) {
    throw SystemFailure(result, "cannot change the value " + name);
  }
}

std::string DottedIpv4(const sockaddr* address) {
  const auto* v4 = reinterpret_cast<const sockaddr_in*>(address);
  const auto* b = reinterpret_cast<const unsigned char*>(&v4->sin_addr);
  return std::to_string(b[0]) + "." + std::to_string(b[1]) + "." + std::to_string(b[2]) + "." +
         std::to_string(b[3]);
}

// Writes the bytes to a temporary file beside `path` (made with `security`,
// the default when null) and moves it over the file in one step, so that a
// reader finds the old file or the new one, never a part.
void WriteThroughTemporary(const std::string& path, const std::string& bytes,
                           SECURITY_ATTRIBUTES* security) {
  const std::wstring target = WideFromUtf8(path);
  const std::wstring temporary = target + L".new";
  DWORD error = ERROR_SUCCESS;
  {  // closed before the move, which a file still open would stop
    ClosingHandle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, security, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!file ||
        !WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
      error = GetLastError();
    } else if (written != bytes.size()) {
      error = ERROR_WRITE_FAULT;
    }
  }
  if (error == ERROR_SUCCESS &&
      !MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    error = GetLastError();
  }
  if (error != ERROR_SUCCESS) {
    DeleteFileW(temporary.c_str());
    throw SystemFailure(error, "cannot write " + path);
  }
}

// The current user's SID as text ("S-1-5-21-..."), from the process's token.
std::wstring CurrentUserSid(const std::string& path) {
  HANDLE raw = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) {
    throw SystemFailure(GetLastError(), "cannot learn the user to write " + path + " for");
  }
  const ClosingHandle token(raw);
  DWORD size = 0;
  GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
  std::vector<unsigned char> buffer(size);
  LPWSTR text = nullptr;
  if (size == 0 || !GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size) ||
      !ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) {
    throw SystemFailure(GetLastError(), "cannot learn the user to write " + path + " for");
  }
  std::wstring sid(text);
  LocalFree(text);
  return sid;
}

// A security descriptor whose access list, protected from the folder's
// inherited entries, grants the current user all access and no one else any.
class UserOnlySecurity {
 public:
  explicit UserOnlySecurity(const std::string& path) {
    const std::wstring text = L"D:P(A;;FA;;;" + CurrentUserSid(path) + L")";
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(text.c_str(), SDDL_REVISION_1,
                                                              &descriptor_, nullptr)) {
      throw SystemFailure(GetLastError(), "cannot make the access list to write " + path);
    }
    attributes_.nLength = sizeof attributes_;
    attributes_.lpSecurityDescriptor = descriptor_;
    attributes_.bInheritHandle = FALSE;
  }
  ~UserOnlySecurity() { LocalFree(descriptor_); }
  UserOnlySecurity(const UserOnlySecurity&) = delete;
  UserOnlySecurity& operator=(const UserOnlySecurity&) = delete;
  SECURITY_ATTRIBUTES* attributes() const { return &attributes_; }

 private:
  PSECURITY_DESCRIPTOR descriptor_ = nullptr;
  mutable SECURITY_ATTRIBUTES attributes_{};
};

}  // namespace

std::string Win32ServerSystem::ProgramPath() {
  // The longest path Windows has, so that one call is enough.
  std::wstring path(32768, L'\0');
  DWORD size = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  path.resize(size);
  return Utf8FromWide(path);
}

std::string Win32ServerSystem::ProgramFolder() {
  const std::string path = ProgramPath();
  size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

std::optional<std::string> Win32ServerSystem::ReadWholeFile(const std::string& path,
                                                            std::size_t limit) {
  // Shared for reading only: a file being written now is a failure to read,
  // not half a file.
  HANDLE file = CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND) return std::nullopt;
    throw SystemFailure(error, "cannot read " + path);
  }
  return ReadAndClose(file, limit);
}

void Win32ServerSystem::WriteWholeFile(const std::string& path, const std::string& bytes) {
  WriteThroughTemporary(path, bytes, nullptr);
}

void Win32ServerSystem::WriteUserOnlyFile(const std::string& path, const std::string& bytes) {
  const UserOnlySecurity security(path);
  WriteThroughTemporary(path, bytes, security.attributes());
}

std::optional<std::uint64_t> Win32ServerSystem::FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(WideFromUtf8(path).c_str(), GetFileExInfoStandard, &data)) {
    return std::nullopt;
  }
  return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

void Win32ServerSystem::AppendToFile(const std::string& path, const std::string& bytes) {
  // Shared for reading, so that the user can look at the log meanwhile.
  ClosingHandle file(CreateFileW(WideFromUtf8(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ,
                                 nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  if (!file ||
      !WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
    throw SystemFailure(GetLastError(), "cannot write " + path);
  }
}

void Win32ServerSystem::MoveFileOver(const std::string& from, const std::string& to) {
  if (!MoveFileExW(WideFromUtf8(from).c_str(), WideFromUtf8(to).c_str(),
                   MOVEFILE_REPLACE_EXISTING)) {
    throw SystemFailure(GetLastError(), "cannot move " + from + " to " + to);
  }
}

void Win32ServerSystem::SetRunValue(const std::string& name, const std::string& command) {
  const std::wstring value = WideFromUtf8(command);
  SetValue(kRunKey, name, REG_SZ, value.c_str(), (value.size() + 1) * sizeof(wchar_t));
}

void Win32ServerSystem::RemoveRunValue(const std::string& name) { RemoveValue(kRunKey, name); }

std::optional<std::string> Win32ServerSystem::RunValue(const std::string& name) {
  DWORD type = 0;
  const std::optional<std::string> bytes = ReadValueBytes(kRunKey, name, &type);
  if (!bytes) return std::nullopt;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return std::string();
  std::wstring text(bytes->size() / sizeof(wchar_t), L'\0');
  std::memcpy(text.data(), bytes->data(), text.size() * sizeof(wchar_t));
  while (!text.empty() && text.back() == L'\0') text.pop_back();
  return Utf8FromWide(text);
}

std::optional<std::string> Win32ServerSystem::StartupApprovedValue(const std::string& name) {
  DWORD type = 0;
  return ReadValueBytes(kStartupApprovedKey, name, &type);
}

void Win32ServerSystem::SetStartupApprovedValue(const std::string& name, const std::string& bytes) {
  SetValue(kStartupApprovedKey, name, REG_BINARY, bytes.data(), bytes.size());
}

void Win32ServerSystem::RemoveStartupApprovedValue(const std::string& name) {
  RemoveValue(kStartupApprovedKey, name);
}

std::string Win32ServerSystem::ComputerName() {
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  if (!GetComputerNameW(name, &size)) return std::string();
  return Utf8FromWide(std::wstring(name, size));
}

std::vector<NetworkAdapter> Win32ServerSystem::NetworkAdapters() {
  std::vector<NetworkAdapter> adapters;
  // The list's size is learned by asking; it may grow between two asks.
  ULONG size = 16 * 1024;  // enough for a few adapters; the call says when not
  std::vector<unsigned char> buffer;
  ULONG result = ERROR_BUFFER_OVERFLOW;
  for (int tries = 0; tries < 3 && result == ERROR_BUFFER_OVERFLOW; ++tries) {
    buffer.resize(size);
    result = GetAdaptersAddresses(AF_INET,
                                  GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST |
                                      GAA_FLAG_SKIP_DNS_SERVER | GAA_FLAG_INCLUDE_GATEWAYS,
                                  nullptr, reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()),
                                  &size);
  }
  if (result != NO_ERROR) return adapters;
  for (auto* found = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()); found != nullptr;
       found = found->Next) {
    NetworkAdapter adapter;
    adapter.up = found->OperStatus == IfOperStatusUp;
    adapter.loopback = found->IfType == IF_TYPE_SOFTWARE_LOOPBACK;
    adapter.type = static_cast<int>(found->IfType);
    adapter.interface_index = static_cast<int>(found->IfIndex);
    if (found->AdapterName != nullptr) adapter.id = found->AdapterName;
    if (found->FriendlyName != nullptr) adapter.name = Utf8FromWide(found->FriendlyName);
    if (found->Description != nullptr) adapter.description = Utf8FromWide(found->Description);
    for (auto* unicast = found->FirstUnicastAddress; unicast != nullptr; unicast = unicast->Next) {
      const sockaddr* address = unicast->Address.lpSockaddr;
      if (address != nullptr && address->sa_family == AF_INET) {
        adapter.ipv4.push_back(DottedIpv4(address));
      }
    }
    // Windows before Vista hand a shorter record, without the gateways.
    if (found->Length >=
        offsetof(IP_ADAPTER_ADDRESSES, FirstGatewayAddress) + sizeof found->FirstGatewayAddress) {
      adapter.has_gateway = found->FirstGatewayAddress != nullptr;
    }
    adapters.push_back(std::move(adapter));
  }
  return adapters;
}

bool Win32ServerSystem::WindowOfClassExists(const std::string& class_name) {
  return FindWindowW(WideFromUtf8(class_name).c_str(), nullptr) != nullptr;
}

ElevatedStart Win32ServerSystem::RunElevated(const std::string& program,
                                             const std::string& parameters) {
  const std::wstring file = WideFromUtf8(program);
  const std::wstring arguments = WideFromUtf8(parameters);
  SHELLEXECUTEINFOW run{};
  run.cbSize = sizeof run;
  run.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
  run.lpVerb = L"runas";
  run.lpFile = file.c_str();
  run.lpParameters = arguments.c_str();
  run.nShow = SW_SHOWNORMAL;
  if (ShellExecuteExW(&run)) return ElevatedStart::kStarted;
  return GetLastError() == ERROR_CANCELLED ? ElevatedStart::kDeclined : ElevatedStart::kFailed;
}

bool Win32ServerSystem::OpenWithShell(const std::string& target) {
  const std::wstring wide = WideFromUtf8(target);
  // Above 32: started (ShellExecute's old way of saying so).
  return reinterpret_cast<INT_PTR>(
             ShellExecuteW(nullptr, L"open", wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL)) > 32;
}

namespace {

std::string DnsNamePart(COMPUTER_NAME_FORMAT part) {
  wchar_t name[256];
  DWORD size = 256;
  if (!GetComputerNameExW(part, name, &size)) return std::string();
  return Utf8FromWide(std::wstring(name, size));
}

}  // namespace

std::string Win32ServerSystem::ComputerDnsHostName() {
  return DnsNamePart(ComputerNameDnsHostname);
}

std::vector<std::string> Win32ServerSystem::ComputerDnsSuffixes() {
  std::vector<std::string> suffixes;
  if (std::string primary = DnsNamePart(ComputerNameDnsDomain); !primary.empty()) {
    suffixes.push_back(std::move(primary));
  }
  ULONG size = 16 * 1024;
  std::vector<unsigned char> buffer;
  ULONG result = ERROR_BUFFER_OVERFLOW;
  for (int tries = 0; tries < 3 && result == ERROR_BUFFER_OVERFLOW; ++tries) {
    buffer.resize(size);
    result = GetAdaptersAddresses(AF_UNSPEC,
                                  GAA_FLAG_SKIP_UNICAST | GAA_FLAG_SKIP_ANYCAST |
                                      GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER,
                                  nullptr, reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()),
                                  &size);
  }
  if (result != NO_ERROR) return suffixes;
  for (auto* found = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()); found != nullptr;
       found = found->Next) {
    if (found->DnsSuffix != nullptr && found->DnsSuffix[0] != L'\0') {
      suffixes.push_back(Utf8FromWide(found->DnsSuffix));
    }
  }
  return suffixes;
}

TimeOfDay Win32ServerSystem::LocalTimeOfDay() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return TimeOfDay{now.wHour, now.wMinute, now.wSecond};
}

std::int64_t Win32ServerSystem::UnixTime() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  // 100 ns steps since 1601-01-01; 1970 is 11644473600 s later.
  const std::int64_t steps =
      static_cast<std::int64_t>(now.dwHighDateTime) << 32 | now.dwLowDateTime;
  std::int64_t seconds = steps / 10000000 - 11644473600LL;
  if (!clock_shift_file_.empty()) {
    if (const std::optional<std::string> shift = ReadWholeFile(clock_shift_file_, 32)) {
      seconds += std::strtoll(shift->c_str(), nullptr, 10);
    }
  }
  return seconds;
}

std::string Win32ServerSystem::RandomBytes(std::size_t count) {
  std::string bytes(count, '\0');
  if (!RtlGenRandom(bytes.data(), static_cast<ULONG>(count))) {
    throw SystemFailure(GetLastError(), "the system gave no random bytes");
  }
  return bytes;
}

}  // namespace tunaro::server
