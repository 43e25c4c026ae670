#include "server/system/win32_server_system.h"

// winsock2.h must come before windows.h.
// clang-format off
#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>
#include <windows.h>
// clang-format on

#include <cstring>

#include "server/desktop/win32_console.h"

namespace tunaro::server {
namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kRunValue[] = L"Tunaro";
constexpr size_t kAddressBlock = 256;

std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

}  // namespace

std::wstring ProgramPath() {
  std::wstring path(32768, L'\0');
  DWORD size = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  path.resize(size);
  return path;
}

std::wstring ProgramFolder() {
  std::wstring path = ProgramPath();
  size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? L"." : path.substr(0, slash);
}

std::string ComputerName() {
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  if (!GetComputerNameW(name, &size)) return "localhost";
  return Utf8FromWide(std::wstring(name, size));
}

std::vector<std::string> UpIpv4Addresses() {
  std::vector<std::string> addresses;
  ULONG size = 16 * 1024;
  std::vector<unsigned char> buffer;
  ULONG result = ERROR_BUFFER_OVERFLOW;
  for (int tries = 0; tries < 3 && result == ERROR_BUFFER_OVERFLOW; ++tries) {
    buffer.resize(size);
    result = GetAdaptersAddresses(
        AF_INET, GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER,
        nullptr, reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()), &size);
  }
  if (result != NO_ERROR) return addresses;
  for (auto* adapter = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()); adapter != nullptr;
       adapter = adapter->Next) {
    if (adapter->OperStatus != IfOperStatusUp || adapter->IfType == IF_TYPE_SOFTWARE_LOOPBACK) {
      continue;
    }
    for (auto* unicast = adapter->FirstUnicastAddress; unicast != nullptr;
         unicast = unicast->Next) {
      const sockaddr* address = unicast->Address.lpSockaddr;
      if (address == nullptr || address->sa_family != AF_INET) continue;
      const auto* v4 = reinterpret_cast<const sockaddr_in*>(address);
      const unsigned char* b = reinterpret_cast<const unsigned char*>(&v4->sin_addr);
      if (b[0] == 127) continue;
      addresses.push_back(std::to_string(b[0]) + "." + std::to_string(b[1]) + "." +
                          std::to_string(b[2]) + "." + std::to_string(b[3]));
    }
  }
  return addresses;
}

bool SetAutostart(bool on, const std::vector<std::string>& arguments, std::string* why) {
  HKEY key = nullptr;
  LONG result = RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                &key, nullptr);
  if (result != ERROR_SUCCESS) {
    *why = "cannot open HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run (error " +
           std::to_string(result) + ")";
    return false;
  }
  if (on) {
    std::wstring command = Quoted(ProgramPath());
    for (const std::string& argument : arguments) command += L" " + Quoted(WideFromUtf8(argument));
    result =
        RegSetValueExW(key, kRunValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                       static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
  } else {
    result = RegDeleteValueW(key, kRunValue);
    if (result == ERROR_FILE_NOT_FOUND) result = ERROR_SUCCESS;
  }
  RegCloseKey(key);
  if (result != ERROR_SUCCESS) {
    *why = "cannot change the value Tunaro (error " + std::to_string(result) + ")";
    return false;
  }
  return true;
}

SingleInstance::SingleInstance() {
  mutex_ = CreateMutexW(nullptr, TRUE, L"Local\\Tunaro.Server");
  first_ = mutex_ != nullptr && GetLastError() != ERROR_ALREADY_EXISTS;
  mapping_ = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kAddressBlock,
                                L"Local\\Tunaro.Server.Address");
  if (mapping_ != nullptr) {
    view_ = static_cast<char*>(MapViewOfFile(mapping_, FILE_MAP_ALL_ACCESS, 0, 0, kAddressBlock));
  }
}

SingleInstance::~SingleInstance() {
  if (view_ != nullptr) UnmapViewOfFile(view_);
  if (mapping_ != nullptr) CloseHandle(mapping_);
  if (mutex_ != nullptr) {
    if (first_) ReleaseMutex(mutex_);
    CloseHandle(mutex_);
  }
}

std::string SingleInstance::RunningAddress() const {
  if (view_ == nullptr) return std::string();
  return std::string(view_, strnlen(view_, kAddressBlock - 1));
}

void SingleInstance::PublishAddress(const std::string& address) {
  if (view_ == nullptr) return;
  size_t size = address.size() < kAddressBlock - 1 ? address.size() : kAddressBlock - 1;
  memcpy(view_, address.data(), size);
  view_[size] = '\0';
}

}  // namespace tunaro::server
