// How tunaro-server.exe ends. Its failures are RunErrors (base/run_error.h),
// as tunaro.exe's are, caught once by the trap of each entry point: main() and
// every CivetWeb callback. A failure the server raises itself carries the exit
// code it ends the program with (1 to 4) and the text the console shows; one
// from the seam carries a number of RunError's table (5 and up), and ends it
// with kFailed.
#ifndef TUNARO_SERVER_SYSTEM_SERVER_EXIT_H_
#define TUNARO_SERVER_SYSTEM_SERVER_EXIT_H_

#include "base/run_error.h"

namespace tunaro::server {

namespace exit_code {
constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kBadOption = 2;
constexpr int kBadLogin = 3;  // the login file is broken, unreadable, or missing without a console
constexpr int kPortInUse = 4;
}  // namespace exit_code

inline int ExitCodeOf(const RunError& failure) {
  const int number = failure.number();
  return number >= exit_code::kFailed && number <= exit_code::kPortInUse ? number
                                                                         : exit_code::kFailed;
}

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_SYSTEM_SERVER_EXIT_H_
