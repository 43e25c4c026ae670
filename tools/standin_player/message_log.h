// Appends one line per message received from other processes, so a test can
// see exactly what the remote control sent and in which order.
#ifndef TUNARO_TOOLS_STANDIN_PLAYER_MESSAGE_LOG_H_
#define TUNARO_TOOLS_STANDIN_PLAYER_MESSAGE_LOG_H_

#include <windows.h>

#include <string>

namespace standin {

class MessageLog {
 public:
  MessageLog() = default;
  ~MessageLog();
  MessageLog(const MessageLog&) = delete;
  MessageLog& operator=(const MessageLog&) = delete;

  // Opens `path` for appending; false when it cannot be opened.
  bool Open(const std::string& path);
  // Writes "<message> <wParam> <lParam>" in decimal, both parameters as signed
  // 64-bit, then " pe" for a message to the playlist editor's window, and
  // flushes at once: the reader polls the file from outside Wine. Does
  // nothing when no file is open.
  void Record(UINT message, WPARAM wparam, LPARAM lparam, bool to_editor = false);
  // A WM_COPYDATA record: "74 <dwData> <cbData>", " pe" as above, then
  // " data:" and its bytes in hexadecimal.
  void RecordFile(ULONG_PTR kind, const std::string& bytes, bool to_editor);

 private:
  void WriteLine(const std::string& line);

  HANDLE file_ = INVALID_HANDLE_VALUE;
};

}  // namespace standin

#endif  // TUNARO_TOOLS_STANDIN_PLAYER_MESSAGE_LOG_H_
