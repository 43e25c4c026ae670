// The response on standard output: lines, and the internal-error page.
#ifndef TUNARO_CGI_RESPONSE_WRITER_H_
#define TUNARO_CGI_RESPONSE_WRITER_H_

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/system_interface.h"

namespace tunaro {

// Writes lines to the output handle. Lines are gathered into writes of up to
// `buffer_limit` bytes (0: one write per line); the bytes that reach the
// output are the same either way, and Flush() hands over what is pending.
// Over a disk file the whole response is held until the end: an error page
// then replaces it without relying on the file being cut, which not every
// system allows for a standard output it inherited. It is held in pieces of
// the buffer's size, so a long page never needs twice its size to grow.
class ResponseWriter {
 public:
  static constexpr std::size_t kDefaultBufferLimit = 64 * 1024;

  ResponseWriter(SystemInterface& system, Handle output,
                 std::size_t buffer_limit = kDefaultBufferLimit)
      : system_(system), output_(0), buffer_limit_(buffer_limit) {
    SetOutput(output);
  }
  ~ResponseWriter() { Flush(); }
  ResponseWriter(const ResponseWriter&) = delete;
  ResponseWriter& operator=(const ResponseWriter&) = delete;

  // The text followed by CR LF. A failed write is neither retried nor reported.
  void WriteLine(std::string_view text);
  // The bytes as they are (a picture).
  void Write(std::string_view bytes);
  void Flush();

  // For the internal-error page: start over at offset 0, and cut there.
  bool Rewind();
  bool Truncate();

  // Points the writer at another handle (the request's, once it is known).
  void SetOutput(Handle output);

 private:
  void Append(std::string_view text, std::string_view end);

  SystemInterface& system_;
  Handle output_;
  std::size_t buffer_limit_;
  bool hold_all_ = false;          // the output is a file
  std::vector<std::string> held_;  // full pieces, while hold_all_
  std::string pending_;
};

// Replaces what was written, as far as the output allows, with what `write`
// writes: over a file nothing of the earlier output survives; over a pipe the
// new answer follows it. Each step goes on when the one before it failed;
// nothing escapes.
void ReplaceOutput(ResponseWriter& out, const std::function<void()>& write);

// ReplaceOutput with the fixed "Internal Error" page naming `script_name` and
// showing `error_text`.
void WriteInternalErrorPage(ResponseWriter& out, std::string_view script_name,
                            std::string_view error_text);

}  // namespace tunaro

#endif  // TUNARO_CGI_RESPONSE_WRITER_H_
