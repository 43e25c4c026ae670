#include "testing/fake_server_system.h"

#include "base/run_error.h"

namespace tunaro::server {

std::string FakeServerSystem::ProgramFolder() {
  return program_path.substr(0, program_path.find_last_of('\\'));
}

std::optional<std::string> FakeServerSystem::ReadWholeFile(const std::string& path,
                                                           std::size_t limit) {
  if (unreadable.count(path) != 0) {
    throw RunError(error_number::kPermissionDenied, "cannot read " + path + " (error 5)");
  }
  const auto file = files.find(path);
  if (file == files.end()) return std::nullopt;
  return file->second.substr(0, limit);
}

void FakeServerSystem::WriteWholeFile(const std::string& path, const std::string& bytes) {
  if (unwritable.count(path) != 0) {
    throw RunError(error_number::kPermissionDenied, "cannot write " + path + " (error 5)");
  }
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

void FakeServerSystem::SetRunValue(const std::string& name, const std::string& command) {
  if (run_key_refused) {
    throw RunError(error_number::kPermissionDenied, "cannot open the Run key (error 5)");
  }
  run_values[name] = command;
}

void FakeServerSystem::RemoveRunValue(const std::string& name) {
  if (run_key_refused) {
    throw RunError(error_number::kPermissionDenied, "cannot open the Run key (error 5)");
  }
  run_values.erase(name);
}

}  // namespace tunaro::server
