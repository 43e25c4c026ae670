// Talking to the player's window from outside through player_probe.exe.
#ifndef TUNARO_TESTS_PROCESS_HARNESS_PLAYER_PROBE_H_
#define TUNARO_TESTS_PROCESS_HARNESS_PLAYER_PROBE_H_

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "harness/process.h"

namespace harness {

// player_probe.exe's exit codes.
enum ProbeExit {
  kProbeOk = 0,
  kProbeNoWindow = 1,
  kProbeTimedOut = 2,
  kProbeFailed = 3,
  kProbeUnreadable = 5,  // "text": the answer is no address of a readable text
};

// Runs player_probe.exe with `args` under Wine in the shared prefix.
ProcessResult RunProbe(const std::vector<std::string>& args);

// The player window's handle, 0 when there is none.
std::uintptr_t ProbeFindWindow();

// Sends the queries in order in one probe run and returns the answers; fewer
// answers than queries (the rest unanswered) when one timed out or failed.
std::vector<long long> ProbeQueries(const std::vector<std::pair<long long, long long>>& queries);

// One query; nothing when it was not answered.
std::optional<long long> ProbeQuery(long long code, long long argument);

// Sends query `code` (wParam 0) and reads the NUL-ended text at the address
// it answered from the player's process, as a current player reports its
// folders; nothing when it was not answered or points at no readable text.
std::optional<std::string> ProbeText(long long code);

// Posts command `id`; true when the post succeeded.
bool ProbeCommand(long long id);

}  // namespace harness

#endif  // TUNARO_TESTS_PROCESS_HARNESS_PLAYER_PROBE_H_
