// The site's header or footer file copied into the page, through the
// response writer with the buffer sizes it may be given.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/site_page.h"
#include "cgi/response_writer.h"
#include "fuzz_input.h"
#include "testing/fake_system.h"

namespace {

constexpr char kPath[] = "C:\\Inetpub\\wwwroot\\header.htm";

std::string Copy(std::string_view content, std::size_t buffer_limit, bool output_is_file) {
  tunaro::FakeSystem system;
  system.output_is_file = output_is_file;
  system.SetFile(kPath, std::string(content));
  {
    tunaro::ResponseWriter out(system, tunaro::FakeSystem::kOutput, buffer_limit);
    tunaro::CopyFileToOutput(system, out, kPath);
  }  // the writer hands over what is pending when it goes
  return system.output;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The first byte picks a small buffer; the rest is the file.
  if (size == 0) return 0;
  const std::size_t small_buffer = data[0] % 64;
  const std::string_view content(reinterpret_cast<const char*>(data + 1), size - 1);

  const std::string output = Copy(content, 0, false);
  FUZZ_CHECK(output.empty() == content.empty());
  FUZZ_CHECK(output.empty() || tunaro_fuzz::EndsWith(output, "\r\n"));

  // Nothing but CR and LF is added to what the file holds.
  bool in_file[256] = {};
  for (char c : content) in_file[static_cast<unsigned char>(c)] = true;
  std::size_t line_ends = 0;
  for (std::size_t i = 0; i < output.size(); ++i) {
    const char c = output[i];
    FUZZ_CHECK(in_file[static_cast<unsigned char>(c)] || c == '\r' || c == '\n');
    if (c == '\r' && i + 1 < output.size() && output[i + 1] == '\n') ++line_ends;
  }
  FUZZ_CHECK(output.size() <= content.size() + 2 * line_ends);

  // The same bytes whatever the writes are gathered into, to a pipe or a file.
  FUZZ_CHECK(Copy(content, small_buffer, false) == output);
  FUZZ_CHECK(Copy(content, small_buffer, true) == output);
  FUZZ_CHECK(Copy(content, tunaro::ResponseWriter::kDefaultBufferLimit, true) == output);
  return 0;
}
