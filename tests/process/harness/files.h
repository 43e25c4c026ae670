// Byte-exact file helpers for the process tests.
#ifndef TUNARO_TESTS_PROCESS_HARNESS_FILES_H_
#define TUNARO_TESTS_PROCESS_HARNESS_FILES_H_

#include <optional>
#include <string>

namespace harness {

// The file's bytes, or nothing when it cannot be read.
std::optional<std::string> ReadFileBytes(const std::string& path);

// Creates or replaces the file with exactly `bytes`; false on failure.
bool WriteFileBytes(const std::string& path, const std::string& bytes);

bool FileExists(const std::string& path);

// Copies `from` to `to` (replacing it), keeping the execute bits.
bool CopyFile(const std::string& from, const std::string& to);

// Makes the directory (its parent must exist); true when it is there.
bool MakeDirectory(const std::string& path);

// Removes a file or a whole directory tree; missing is fine.
void RemoveTree(const std::string& path);

}  // namespace harness

#endif  // TUNARO_TESTS_PROCESS_HARNESS_FILES_H_
