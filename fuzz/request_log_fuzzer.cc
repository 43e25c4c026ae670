// The server's log takes every client's path and CivetWeb's messages as they
// come: whatever the bytes, each gives one line with no control character but
// its line end, so nothing can forge a line or reach the console raw.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_input.h"
#include "server/http/request_log.h"
#include "server/http/request_log_queue.h"

namespace {

void CheckOneLine(const std::string& line) {
  FUZZ_CHECK(!line.empty() && line.back() == '\n');
  for (std::size_t i = 0; i + 1 < line.size(); ++i) {
    const auto c = static_cast<unsigned char>(line[i]);
    FUZZ_CHECK(c >= 0x20 && c != 0x7f);
    const auto next = static_cast<unsigned char>(line[i + 1]);
    FUZZ_CHECK(!(c == 0xc2 && next >= 0x80 && next <= 0x9f));  // a C1 control in UTF-8
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::string_view> fields = tunaro_fuzz::SplitFields(data, size, 2);
  const std::string client(fields[0]), text(fields[1]);
  using tunaro::server::RequestRecord;
  const RequestRecord request{{1, 2, 3}, client, 200, text};
  CheckOneLine(tunaro::server::RequestLogLine(request));
  CheckOneLine(tunaro::server::MessageLogLine({1, 2, 3}, text));
  // The queue stays within its capacity whatever it is given.
  tunaro::server::RequestLogQueue queue(2);
  for (int i = 0; i < 3; ++i) queue.AddRequest(request);
  const tunaro::server::LogBatch batch = queue.Take();
  FUZZ_CHECK(batch.lines.size() + batch.polls + batch.dropped == 3);
  FUZZ_CHECK(batch.lines.size() <= 2);
  for (const std::string& line : batch.lines) CheckOneLine(line);
  return 0;
}
