#include "server/system/win32_server_system.h"

// winsock2.h must come before windows.h.
// clang-format off
#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>
#include <windows.h>
#include <ntsecapi.h>
#include <sddl.h>
// clang-format on

#include <cstdlib>
#include <vector>

#include "base/run_error.h"
#include "base/win32_closing_handle.h"
#include "base/win32_files.h"
#include "server/system/win32_wide_text.h"

namespace tunaro::server {
namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// A failure numbered as the table numbers a failed file operation, with the
// system's own code in its text for whoever reads the console.
RunError SystemFailure(DWORD code, const std::string& what) {
  return RunError(FileError(code).number(), what + " (error " + std::to_string(code) + ")");
}

// The Run key, opened to change its values; closed when it goes.
class RunKey {
 public:
  RunKey() {
    const LONG result = RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_SET_VALUE,
                                        nullptr, &key_, nullptr);
    if (result != ERROR_SUCCESS) {
      throw SystemFailure(result,
                          "cannot open HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run");
    }
  }
  ~RunKey() { RegCloseKey(key_); }
  RunKey(const RunKey&) = delete;
  RunKey& operator=(const RunKey&) = delete;
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

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

void Win32ServerSystem::SetRunValue(const std::string& name, const std::string& command) {
  const RunKey key;
  const std::wstring value = WideFromUtf8(command);
  const LONG result = RegSetValueExW(key.get(), WideFromUtf8(name).c_str(), 0, REG_SZ,
                                     reinterpret_cast<const BYTE*>(value.c_str()),
                                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  if (result != ERROR_SUCCESS) throw SystemFailure(result, "cannot change the value " + name);
}

void Win32ServerSystem::RemoveRunValue(const std::string& name) {
  const RunKey key;
  const LONG result = RegDeleteValueW(key.get(), WideFromUtf8(name).c_str());
  if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND) {
    throw SystemFailure(result, "cannot change the value " + name);
  }
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
    result = GetAdaptersAddresses(
        AF_INET, GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER,
        nullptr, reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()), &size);
  }
  if (result != NO_ERROR) return adapters;
  for (auto* found = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()); found != nullptr;
       found = found->Next) {
    NetworkAdapter adapter;
    adapter.up = found->OperStatus == IfOperStatusUp;
    adapter.loopback = found->IfType == IF_TYPE_SOFTWARE_LOOPBACK;
    for (auto* unicast = found->FirstUnicastAddress; unicast != nullptr; unicast = unicast->Next) {
      const sockaddr* address = unicast->Address.lpSockaddr;
      if (address != nullptr && address->sa_family == AF_INET) {
        adapter.ipv4.push_back(DottedIpv4(address));
      }
    }
    adapters.push_back(std::move(adapter));
  }
  return adapters;
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
