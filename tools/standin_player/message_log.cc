#include "message_log.h"

namespace standin {

MessageLog::~MessageLog() {
  if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
}

bool MessageLog::Open(const std::string& path) {
  // Append-only access: every write lands at the current end, even after a
  // reader has cut the file.
  file_ = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  return file_ != INVALID_HANDLE_VALUE;
}

void MessageLog::Record(UINT message, WPARAM wparam, LPARAM lparam) {
  if (file_ == INVALID_HANDLE_VALUE) return;
  const std::string line = std::to_string(message) + " " +
                           std::to_string(static_cast<long long>(wparam)) + " " +
                           std::to_string(static_cast<long long>(lparam)) + "\n";
  DWORD wrote = 0;
  WriteFile(file_, line.data(), static_cast<DWORD>(line.size()), &wrote, nullptr);
  FlushFileBuffers(file_);
}

}  // namespace standin
