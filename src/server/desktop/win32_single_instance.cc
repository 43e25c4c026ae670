#include "server/desktop/win32_single_instance.h"

#include <windows.h>

#include <cstring>

namespace tunaro::server {
namespace {

constexpr size_t kAddressBlock = 256;

}  // namespace

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

// Written once; a second copy that reads meanwhile stops at the block's end
// whatever it finds there.
void SingleInstance::PublishAddress(const std::string& address) {
  if (view_ == nullptr) return;
  size_t size = address.size() < kAddressBlock - 1 ? address.size() : kAddressBlock - 1;
  memcpy(view_, address.data(), size);
  view_[size] = '\0';
}

}  // namespace tunaro::server
