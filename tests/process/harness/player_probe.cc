#include "harness/player_probe.h"

#include <gtest/gtest.h>

#include <sstream>

#include "harness/paths.h"
#include "harness/wine_prefix.h"

namespace harness {

ProcessResult RunProbe(const std::vector<std::string>& args) {
  ProcessOptions options = SharedPrefix().WineProcess(WindowsExe("player_probe.exe"), args);
  // Longer than the probe's own 5 s wait for an answer.
  options.timeout = std::chrono::seconds(30);
  return RunProcess(options);
}

std::uintptr_t ProbeFindWindow() {
  const ProcessResult result = RunProbe({"find"});
  std::istringstream in(result.output);
  std::uintptr_t window = 0;
  in >> window;
  return window;
}

std::vector<long long> ProbeQueries(const std::vector<std::pair<long long, long long>>& queries) {
  std::vector<std::string> args = {"query"};
  for (const auto& [code, argument] : queries) {
    args.push_back(std::to_string(code));
    args.push_back(std::to_string(argument));
  }
  const ProcessResult result = RunProbe(args);
  // A timeout or a vanished window is a result; anything else is a broken run.
  if (result.exit_code != kProbeOk && result.exit_code != kProbeTimedOut &&
      result.exit_code != kProbeFailed) {
    ADD_FAILURE() << "player_probe.exe failed (exit "
                  << (result.exit_code ? std::to_string(*result.exit_code) : "none")
                  << (result.timed_out ? ", timed out" : "") << "): " << result.output
                  << result.errors;
  }
  std::istringstream in(result.output);
  std::vector<long long> answers;
  long long answer = 0;
  while (in >> answer) answers.push_back(answer);
  return answers;
}

std::optional<long long> ProbeQuery(long long code, long long argument) {
  const std::vector<long long> answers = ProbeQueries({{code, argument}});
  if (answers.empty()) return std::nullopt;
  return answers[0];
}

std::optional<std::string> ProbeText(long long code) {
  const ProcessResult result = RunProbe({"text", std::to_string(code)});
  if (result.exit_code == kProbeOk && !result.output.empty() && result.output.back() == '\n') {
    return result.output.substr(0, result.output.size() - 1);
  }
  if (result.exit_code != kProbeUnreadable && result.exit_code != kProbeTimedOut &&
      result.exit_code != kProbeFailed) {
    ADD_FAILURE() << "player_probe.exe text failed (exit "
                  << (result.exit_code ? std::to_string(*result.exit_code) : "none")
                  << (result.timed_out ? ", timed out" : "") << "): " << result.output
                  << result.errors;
  }
  return std::nullopt;
}

bool ProbeCommand(long long id) {
  return RunProbe({"command", std::to_string(id)}).exit_code == kProbeOk;
}

}  // namespace harness
