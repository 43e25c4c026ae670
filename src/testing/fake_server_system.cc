#include "testing/fake_server_system.h"

#include "base/run_error.h"

namespace tunaro::server {
namespace {

RunError Refused(const std::string& what) {
  return RunError(error_number::kPermissionDenied, what + " (error 5)");
}

template <typename Map>
std::optional<std::string> Find(const Map& map, const std::string& key) {
  const auto found = map.find(key);
  if (found == map.end()) return std::nullopt;
  return found->second;
}

}  // namespace

std::string FakeServerSystem::ProgramFolder() {
  return program_path.substr(0, program_path.find_last_of('\\'));
}

std::optional<std::string> FakeServerSystem::ReadWholeFile(const std::string& path,
                                                           std::size_t limit) {
  if (unreadable.count(path) != 0) throw Refused("cannot read " + path);
  const std::optional<std::string> file = Find(files, path);
  if (!file) return std::nullopt;
  return file->substr(0, limit);
}

void FakeServerSystem::WriteWholeFile(const std::string& path, const std::string& bytes) {
  if (unwritable.count(path) != 0) throw Refused("cannot write " + path);
  files[path] = bytes;
  user_only.erase(path);
}

void FakeServerSystem::WriteUserOnlyFile(const std::string& path, const std::string& bytes) {
  WriteWholeFile(path, bytes);
  user_only.insert(path);
}

std::string FakeServerSystem::RandomBytes(std::size_t count) {
  std::string bytes;
  for (std::size_t i = 0; i < count; ++i) bytes += static_cast<char>(next_random++);
  return bytes;
}

std::optional<std::uint64_t> FakeServerSystem::FileSize(const std::string& path) {
  const std::optional<std::string> file = Find(files, path);
  if (!file) return std::nullopt;
  return file->size();
}

void FakeServerSystem::AppendToFile(const std::string& path, const std::string& bytes) {
  if (unwritable.count(path) != 0) throw Refused("cannot write " + path);
  files[path] += bytes;
}

void FakeServerSystem::MoveFileOver(const std::string& from, const std::string& to) {
  const auto found = files.find(from);
  if (found == files.end() || unwritable.count(to) != 0) throw Refused("cannot move " + from);
  files[to] = found->second;
  files.erase(from);
}

void FakeServerSystem::SetRunValue(const std::string& name, const std::string& command) {
  if (run_key_refused) throw Refused("cannot open the Run key");
  run_values[name] = command;
}

void FakeServerSystem::RemoveRunValue(const std::string& name) {
  if (run_key_refused) throw Refused("cannot open the Run key");
  run_values.erase(name);
}

std::optional<std::string> FakeServerSystem::RunValue(const std::string& name) {
  return Find(run_values, name);
}

std::optional<std::string> FakeServerSystem::StartupApprovedValue(const std::string& name) {
  return Find(startup_approved, name);
}

void FakeServerSystem::SetStartupApprovedValue(const std::string& name, const std::string& bytes) {
  if (run_key_refused) throw Refused("cannot open the StartupApproved key");
  startup_approved[name] = bytes;
}

void FakeServerSystem::RemoveStartupApprovedValue(const std::string& name) {
  if (run_key_refused) throw Refused("cannot open the StartupApproved key");
  startup_approved.erase(name);
}

ElevatedStart FakeServerSystem::RunElevated(const std::string& program,
                                            const std::string& parameters) {
  elevated.emplace_back(program, parameters);
  return elevated_answer;
}

bool FakeServerSystem::OpenWithShell(const std::string& target) {
  opened.push_back(target);
  return true;
}

}  // namespace tunaro::server
