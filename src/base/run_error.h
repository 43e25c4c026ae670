// The program's one error type, and the numbers and descriptions of the
// failures it raises. An error abandons every routine up to the trap in
// MainEntry, which turns it into the internal-error page.
#ifndef TUNARO_BASE_RUN_ERROR_H_
#define TUNARO_BASE_RUN_ERROR_H_

#include <cstdint>
#include <string>

namespace tunaro {

class RunError {
 public:
  RunError(std::int32_t number, std::string description)
      : number_(number), description_(std::move(description)) {}
  // An error with the standard description of its number (see kErrorTable).
  explicit RunError(std::int32_t number);

  std::int32_t number() const { return number_; }
  const std::string& description() const { return description_; }

 private:
  std::int32_t number_;
  std::string description_;
};

// Ends the run at once, as a normal end: nothing more is written. Used after
// the configuration error lines and when the player's program file is missing.
struct RunEndedEarly {};

namespace error_number {
constexpr std::int32_t kInvalidArgument = 5;
constexpr std::int32_t kOverflow = 6;
constexpr std::int32_t kOutOfMemory = 7;
constexpr std::int32_t kTypeMismatch = 13;
constexpr std::int32_t kFileNotFound = 53;
constexpr std::int32_t kPermissionDenied = 70;
constexpr std::int32_t kPathFileAccess = 75;
constexpr std::int32_t kPathNotFound = 76;
// The program's own errors.
constexpr std::int32_t kInvalidUrlData = 65001;
constexpr std::int32_t kRequestBodyTooLarge = 65002;
constexpr std::int32_t kPlayerNotAnswering = 65003;
constexpr std::int32_t kUnexpectedFailure = 65004;
}  // namespace error_number

// The standard description of an error number; a generic text for numbers
// not in the table.
const char* ErrorDescription(std::int32_t number);

}  // namespace tunaro

#endif  // TUNARO_BASE_RUN_ERROR_H_
