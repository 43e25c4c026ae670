// A private Wine prefix with a persistent wineserver, shared by every test of
// one run of the test program.
#ifndef TUNARO_TESTS_PROCESS_HARNESS_WINE_PREFIX_H_
#define TUNARO_TESTS_PROCESS_HARNESS_WINE_PREFIX_H_

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "harness/process.h"

namespace harness {

class WinePrefix {
 public:
  // Makes the directory, starts a persistent wineserver for it, boots it and
  // selects the null graphics driver (windows then work without a display).
  // On failure returns null and puts the reason in `error`.
  static std::unique_ptr<WinePrefix> Create(std::string* error);
  ~WinePrefix();  // wineserver -k for this prefix, then removes the directory
  WinePrefix(const WinePrefix&) = delete;
  WinePrefix& operator=(const WinePrefix&) = delete;

  const std::string& path() const { return path_; }
  double setup_seconds() const { return setup_seconds_; }

  // Our environment pointed at this prefix, with the Wine variables of the
  // tests' constants file (Wine's debug output off, its Mono and Gecko
  // installers disabled).
  Environment WineEnvironment() const;
  // argv for running `exe` (a Linux path) with `args` under Wine.
  std::vector<std::string> WineCommand(const std::string& exe,
                                       const std::vector<std::string>& args) const;
  // Options for RunProcess with both of the above; the rest left at their
  // defaults.
  ProcessOptions WineProcess(const std::string& exe, const std::vector<std::string>& args) const;

 private:
  WinePrefix(std::string path, std::string wine, std::string wineserver,
             Environment wine_variables);
  bool RunTool(const std::vector<std::string>& argv, std::string* error) const;
  void Shutdown();

  std::string path_;
  std::string wine_;
  std::string wineserver_;
  Environment wine_variables_;
  double setup_seconds_ = 0;
};

// The gtest environment that owns the shared prefix for the whole run.
class SharedWinePrefix : public ::testing::Environment {
 public:
  void SetUp() override;
  void TearDown() override;
};

// The prefix of this run. Only valid between the environment's SetUp and
// TearDown (that is, inside tests).
const WinePrefix& SharedPrefix();

}  // namespace harness

#endif  // TUNARO_TESTS_PROCESS_HARNESS_WINE_PREFIX_H_
