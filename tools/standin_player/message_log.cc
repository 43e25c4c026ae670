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

void MessageLog::Record(UINT message, WPARAM wparam, LPARAM lparam, bool to_editor) {
  WriteLine(std::to_string(message) + " " + std::to_string(static_cast<long long>(wparam)) + " " +
            std::to_string(static_cast<long long>(lparam)) + (to_editor ? " pe" : "") + "\n");
}

void MessageLog::RecordFile(ULONG_PTR kind, const std::string& bytes, bool to_editor) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(bytes.size() * 2);
  for (const char c : bytes) {
    hex += kDigits[static_cast<unsigned char>(c) >> 4];
    hex += kDigits[static_cast<unsigned char>(c) & 15];
  }
  WriteLine(std::to_string(WM_COPYDATA) + " " + std::to_string(static_cast<long long>(kind)) + " " +
            std::to_string(bytes.size()) + (to_editor ? " pe" : "") + " data:" + hex + "\n");
}

void MessageLog::WriteLine(const std::string& line) {
  if (file_ == INVALID_HANDLE_VALUE) return;
  DWORD wrote = 0;
  WriteFile(file_, line.data(), static_cast<DWORD>(line.size()), &wrote, nullptr);
  FlushFileBuffers(file_);
}

}  // namespace standin
