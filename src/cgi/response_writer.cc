#include "cgi/response_writer.h"

#include <utility>

namespace tunaro {

void ResponseWriter::SetOutput(Handle output) {
  if (output == output_) return;
  Flush();
  output_ = output;
  hold_all_ = output != 0 && system_.OutputIsFile(output);
}

void ResponseWriter::WriteLine(std::string_view text) { Append(text, "\r\n"); }

void ResponseWriter::Write(std::string_view bytes) { Append(bytes, ""); }

void ResponseWriter::Append(std::string_view text, std::string_view end) {
  if (buffer_limit_ == 0 && !hold_all_) {
    std::string line;
    line.reserve(text.size() + end.size());
    line.append(text).append(end);
    system_.WriteOutput(output_, line.data(), line.size());
    return;
  }
  pending_.append(text).append(end);
  const std::size_t piece = buffer_limit_ != 0 ? buffer_limit_ : kDefaultBufferLimit;
  if (pending_.size() < piece) return;
  if (!hold_all_) {
    Flush();
    return;
  }
  held_.push_back(std::move(pending_));
  pending_ = std::string();
  pending_.reserve(piece + 256);  // and the usual line that fills it, without a regrowth
}

void ResponseWriter::Flush() {
  for (const std::string& piece : held_) system_.WriteOutput(output_, piece.data(), piece.size());
  held_.clear();
  if (pending_.empty()) return;
  system_.WriteOutput(output_, pending_.data(), pending_.size());
  pending_.clear();
}

// What is still pending would be overwritten anyway once the output is back
// at its start; only where it cannot go back does it go out first.
bool ResponseWriter::Rewind() {
  if (system_.RewindOutput(output_)) {
    held_.clear();
    pending_.clear();
    return true;
  }
  Flush();
  return false;
}

bool ResponseWriter::Truncate() {
  Flush();
  return system_.TruncateOutput(output_);
}

namespace {

template <typename Step>
void Attempt(Step step) {
  try {
    step();
  } catch (...) {
    // The page of last resort goes on with its next step.
  }
}

}  // namespace

void ReplaceOutput(ResponseWriter& out, const std::function<void()>& write) {
  Attempt([&] { out.Rewind(); });
  Attempt(write);
  Attempt([&] { out.Truncate(); });
}

void WriteInternalErrorPage(ResponseWriter& out, std::string_view script_name,
                            std::string_view error_text) {
  ReplaceOutput(out, [&] {
    out.WriteLine("Content-type: text/html\r\n");
    out.WriteLine("<html><head><title>Internal Error</title></head><body>");
    out.WriteLine(std::string("<H1>Error in ").append(script_name).append("</H1>"));
    out.WriteLine("The following internal error has occurred:");
    out.WriteLine(std::string("<PRE>").append(error_text).append("</PRE>"));
    out.WriteLine("<I>Please</I> note what you were doing when this problem occurred, ");
    out.WriteLine("so we can identify and correct it. Write down the Web page you were ");
    out.WriteLine("using, any data you may have entered into a form or search box, ");
    out.WriteLine("and anything else that may help us duplicate the problem.");
    out.WriteLine("Then contact the administrator of this service.");
    out.WriteLine("</body></html>");
  });
}

}  // namespace tunaro
