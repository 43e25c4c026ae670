#include "harness/wine_prefix.h"

#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <string>

#include "harness/files.h"

namespace harness {
namespace {

std::unique_ptr<WinePrefix> g_shared_prefix;

constexpr std::chrono::seconds kToolTimeout{180};

// The variables every Wine process of the tests gets, from the "wine.NAME=value"
// lines of the constants file that CMake writes when it configures
// (cmake/test_constants.cmake), the one list the test scripts read too.
bool ReadWineVariables(Environment* variables, std::string* error) {
  const std::optional<std::string> text = ReadFileBytes(TUNARO_TEST_CONSTANTS);
  const std::string kPrefix = "wine.";
  std::istringstream lines(text.value_or(""));
  std::string line;
  while (std::getline(lines, line)) {
    const std::size_t equals = line.find('=');
    if (line.compare(0, kPrefix.size(), kPrefix) != 0 || equals == std::string::npos) continue;
    (*variables)[line.substr(kPrefix.size(), equals - kPrefix.size())] = line.substr(equals + 1);
  }
  if (variables->empty()) {
    *error = std::string("no Wine variables in ") + TUNARO_TEST_CONSTANTS +
             " (CMake writes that file when it configures this tree)";
    return false;
  }
  return true;
}

}  // namespace

WinePrefix::WinePrefix(std::string path, std::string wine, std::string wineserver,
                       Environment wine_variables)
    : path_(std::move(path)),
      wine_(std::move(wine)),
      wineserver_(std::move(wineserver)),
      wine_variables_(std::move(wine_variables)) {}

std::unique_ptr<WinePrefix> WinePrefix::Create(std::string* error) {
  const std::string wine = FindOnPath("wine");
  const std::string wineserver = FindOnPath("wineserver");
  if (wine.empty() || wineserver.empty()) {
    *error =
        "wine or wineserver is not on PATH; the process tests run the Windows programs under "
        "Wine (Debian: apt-get install wine64)";
    return nullptr;
  }
  Environment wine_variables;
  if (!ReadWineVariables(&wine_variables, error)) return nullptr;
  char pattern[] = "/tmp/tunaro-wine.XXXXXX";
  if (::mkdtemp(pattern) == nullptr) {
    *error = "cannot make a directory for the Wine prefix";
    return nullptr;
  }
  const auto start = std::chrono::steady_clock::now();
  std::unique_ptr<WinePrefix> prefix(
      new WinePrefix(pattern, wine, wineserver, std::move(wine_variables)));
  const std::string drivers_key = "HKCU\\Software\\Wine\\Drivers";
  // The desktop that booting starts has no usable display driver, and it
  // lives as long as the server, so the server is restarted once the null
  // driver is chosen. The new one is persistent: later programs start warm
  // and the prefix's services stay up between tests. The final query starts
  // those services, so the first test does not pay for them.
  if (!prefix->RunTool({wine, "wineboot", "-i"}, error) ||
      !prefix->RunTool({wine, "reg", "add", drivers_key, "/v", "Graphics", "/d", "null", "/f"},
                       error) ||
      !prefix->RunTool({wineserver, "-k"}, error) || !prefix->RunTool({wineserver, "-w"}, error) ||
      !prefix->RunTool({wineserver, "-p"}, error) ||
      !prefix->RunTool({wine, "reg", "query", drivers_key}, error)) {
    return nullptr;
  }
  prefix->setup_seconds_ =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return prefix;
}

WinePrefix::~WinePrefix() { Shutdown(); }

void WinePrefix::Shutdown() {
  std::string ignored;
  RunTool({wineserver_, "-k"}, &ignored);
  // -k returns once the server is told; wait for it to be gone before the
  // directory goes.
  RunTool({wineserver_, "-w"}, &ignored);
  RemoveTree(path_);
}

Environment WinePrefix::WineEnvironment() const {
  Environment environment = InheritedEnvironment();
  for (const auto& [name, value] : wine_variables_) environment[name] = value;
  environment["WINEPREFIX"] = path_;
  return environment;
}

std::vector<std::string> WinePrefix::WineCommand(const std::string& exe,
                                                 const std::vector<std::string>& args) const {
  std::vector<std::string> argv = {wine_, exe};
  argv.insert(argv.end(), args.begin(), args.end());
  return argv;
}

ProcessOptions WinePrefix::WineProcess(const std::string& exe,
                                       const std::vector<std::string>& args) const {
  ProcessOptions options;
  options.argv = WineCommand(exe, args);
  options.environment = WineEnvironment();
  return options;
}

bool WinePrefix::RunTool(const std::vector<std::string>& argv, std::string* error) const {
  ProcessOptions options;
  options.argv = argv;
  options.environment = WineEnvironment();
  options.timeout = kToolTimeout;
  const ProcessResult result = RunProcess(options);
  if (result.exit_code == 0) return true;
  std::string command;
  for (const std::string& word : argv) command += " " + word;
  *error = "Wine prefix setup failed:" + command + (result.timed_out ? " timed out" : " failed") +
           "\n" + result.output + result.errors;
  return false;
}

void SharedWinePrefix::SetUp() {
  std::string error;
  g_shared_prefix = WinePrefix::Create(&error);
  ASSERT_TRUE(g_shared_prefix != nullptr) << error;
  std::fprintf(stderr, "[harness] Wine prefix %s ready in %.1f s\n",
               g_shared_prefix->path().c_str(), g_shared_prefix->setup_seconds());
}

void SharedWinePrefix::TearDown() { g_shared_prefix.reset(); }

const WinePrefix& SharedPrefix() {
  if (g_shared_prefix == nullptr) {
    std::fprintf(stderr, "harness: the shared Wine prefix is not set up\n");
    std::abort();
  }
  return *g_shared_prefix;
}

}  // namespace harness
