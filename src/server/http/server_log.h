// The log as the user finds it: the lines of the queue's batches, with the
// status polls summed up once a minute and the dropped lines said, shown (the
// console, the window) and kept in tunaro-server.log beside the program,
// rotated at 1 MiB into tunaro-server.old.log, so two files at most.
#ifndef TUNARO_SERVER_HTTP_SERVER_LOG_H_
#define TUNARO_SERVER_HTTP_SERVER_LOG_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "server/http/request_log_queue.h"
#include "server/system/server_system.h"

namespace tunaro::server {

extern const char kLogFileName[];     // "tunaro-server.log"
extern const char kOldLogFileName[];  // "tunaro-server.old.log"
constexpr std::uint64_t kLogRotateBytes = 1024 * 1024;

class ServerLog {
 public:
  // The files in the program's folder.
  ServerLog(ServerSystem& system, std::uint64_t rotate_at = kLogRotateBytes);

  // The lines to show for `batch` at `now`, which are written to the file
  // too. A file that cannot be written is given up (file_problem() says
  // why); the lines are still shown.
  std::vector<std::string> Take(const LogBatch& batch, const TimeOfDay& now);
  // Lines of the server's own (its start, its stop), shown and kept the same.
  std::vector<std::string> Note(const std::string& text, const TimeOfDay& now);

  const std::optional<RequestRecord>& last_remote() const { return last_remote_; }
  const std::string& file_problem() const { return file_problem_; }
  std::string path() const { return path_; }

 private:
  void Write(const std::vector<std::string>& lines);

  ServerSystem& system_;
  std::string path_, old_path_;
  std::uint64_t rotate_at_;
  std::uint64_t size_ = 0;
  int polls_ = 0;
  int polls_since_ = -1;  // second of the day the unsaid polls began at
  std::optional<RequestRecord> last_remote_;
  std::string file_problem_;
};

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_HTTP_SERVER_LOG_H_
