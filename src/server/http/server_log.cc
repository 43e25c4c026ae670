#include "server/http/server_log.h"

#include "base/run_error.h"

namespace tunaro::server {

const char kLogFileName[] = "tunaro-server.log";
const char kOldLogFileName[] = "tunaro-server.old.log";

namespace {

constexpr int kPollSummarySeconds = 60;

int SecondOfDay(const TimeOfDay& time) { return time.hour * 3600 + time.minute * 60 + time.second; }

}  // namespace

ServerLog::ServerLog(ServerSystem& system, std::uint64_t rotate_at)
    : system_(system),
      path_(system.ProgramFolder() + "\\" + kLogFileName),
      old_path_(system.ProgramFolder() + "\\" + kOldLogFileName),
      rotate_at_(rotate_at),
      size_(system.FileSize(path_).value_or(0)) {}

void ServerLog::Write(const std::vector<std::string>& lines) {
  if (!file_problem_.empty() || lines.empty()) return;
  // Notepad's line ends.
  std::string bytes;
  for (const std::string& line : lines) {
    bytes += line.back() == '\n' ? line.substr(0, line.size() - 1) + "\r\n" : line;
  }
  try {
    if (size_ > 0 && size_ + bytes.size() > rotate_at_) {
      system_.MoveFileOver(path_, old_path_);
      size_ = 0;
    }
    system_.AppendToFile(path_, bytes);
    size_ += bytes.size();
  } catch (const RunError& failure) {
    file_problem_ = failure.description();
  }
}

std::vector<std::string> ServerLog::Take(const LogBatch& batch, const TimeOfDay& now) {
  if (batch.last_remote) last_remote_ = batch.last_remote;
  std::vector<std::string> lines = batch.lines;
  if (batch.dropped > 0) {
    lines.push_back(MessageLogLine(
        now, "(" + std::to_string(batch.dropped) + " log lines dropped: too many at once)"));
  }
  if (batch.polls > 0 && polls_ == 0) polls_since_ = SecondOfDay(now);
  polls_ += batch.polls;
  // Once a minute at most: a page open on a phone asks every second.
  const int elapsed = (SecondOfDay(now) - polls_since_ + 86400) % 86400;
  if (polls_ > 0 && elapsed >= kPollSummarySeconds) {
    lines.push_back(MessageLogLine(now, "(" + std::to_string(polls_) + " status poll" +
                                            (polls_ == 1 ? "" : "s") + " answered in the last " +
                                            std::to_string(elapsed / 60) + " min)"));
    polls_ = 0;
  }
  Write(lines);
  return lines;
}

std::vector<std::string> ServerLog::Note(const std::string& text, const TimeOfDay& now) {
  const std::vector<std::string> lines = {MessageLogLine(now, text)};
  Write(lines);
  return lines;
}

}  // namespace tunaro::server
