#include "base/run_error.h"

namespace tunaro {
namespace {

struct ErrorEntry {
  std::int32_t number;
  const char* description;
};

// One table for every failure the program reports.
constexpr ErrorEntry kErrorTable[] = {
    {error_number::kInvalidArgument, "Invalid procedure call or argument"},
    {error_number::kOverflow, "Overflow"},
    {error_number::kOutOfMemory, "Out of memory"},
    {error_number::kTypeMismatch, "Type mismatch"},
    {error_number::kFileNotFound, "File not found"},
    {error_number::kPermissionDenied, "Permission denied"},
    {error_number::kPathFileAccess, "Path/File access error"},
    {error_number::kPathNotFound, "Path not found"},
    {error_number::kInvalidUrlData, "Invalid data passed to UrlDecode() function."},
    {error_number::kRequestBodyTooLarge,
     "Request body too large: CONTENT_LENGTH is above the limit of 1048576 bytes."},
    {error_number::kPlayerNotAnswering, "The player did not answer within 5 seconds."},
    {error_number::kUnexpectedFailure, "An unexpected internal failure ended the run."},
};

}  // namespace

const char* ErrorDescription(std::int32_t number) {
  for (const ErrorEntry& entry : kErrorTable) {
    if (entry.number == number) return entry.description;
  }
  return "Application-defined or object-defined error";
}

RunError::RunError(std::int32_t number) : number_(number), description_(ErrorDescription(number)) {}

}  // namespace tunaro
