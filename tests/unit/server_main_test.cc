// The command line of tunaro-server.exe, and the exit codes its failures end
// it with.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/run_error.h"
#include "server/main/server_options.h"
#include "server/system/server_exit.h"

namespace tunaro::server {
namespace {

TEST(ServerOptions, ServesOnPort8080ByDefaultAndReadsEachOption) {
  ParsedOptions parsed = ParseServerOptions({});
  EXPECT_EQ(parsed.error, "");
  EXPECT_EQ(parsed.options.command, Command::kServe);
  EXPECT_EQ(parsed.options.port, 8080);
  EXPECT_FALSE(parsed.options.no_login);
  // Without --allow, the home network.
  EXPECT_TRUE(IsAllowed(parsed.options.allowed, "192.168.1.20"));
  EXPECT_FALSE(IsAllowed(parsed.options.allowed, "8.8.8.8"));

  parsed = ParseServerOptions({"--port", "65535", "--allow", "127.0.0.1,::1", "--no-login"});
  EXPECT_EQ(parsed.error, "");
  EXPECT_EQ(parsed.options.port, 65535);
  EXPECT_EQ(parsed.options.allow, "127.0.0.1,::1");
  EXPECT_TRUE(IsAllowed(parsed.options.allowed, "::1"));
  EXPECT_FALSE(IsAllowed(parsed.options.allowed, "192.168.1.20"));
  EXPECT_TRUE(parsed.options.no_login);
  EXPECT_EQ(
      ServeArguments(parsed.options),
      (std::vector<std::string>{"--port", "65535", "--allow", "127.0.0.1,::1", "--no-login"}));

  // Extra host names, lowercase as a Host header is compared; recorded for
  // the logon start, unlike the tests' clock.
  parsed = ParseServerOptions({"--allow-host", "Musik.Example", "--allow-host", "[FE80::1]",
                               "--test-clock-shift", "C:\\shift.txt"});
  EXPECT_EQ(parsed.error, "");
  EXPECT_EQ(parsed.options.allow_hosts, (std::vector<std::string>{"musik.example", "[fe80::1]"}));
  EXPECT_EQ(parsed.options.clock_shift_file, "C:\\shift.txt");
  EXPECT_EQ(
      ServeArguments(parsed.options),
      (std::vector<std::string>{"--allow-host", "musik.example", "--allow-host", "[fe80::1]"}));
  EXPECT_EQ(ParseServerOptions({"--forget-devices"}).options.command, Command::kForgetDevices);

  parsed = ParseServerOptions({"--set-login", "alice"});
  EXPECT_EQ(parsed.options.command, Command::kSetLogin);
  EXPECT_EQ(parsed.options.login_user, "alice");
  parsed = ParseServerOptions({"--autostart", "on", "--port", "8090"});
  EXPECT_EQ(parsed.error, "");
  EXPECT_TRUE(parsed.options.autostart_on);
  EXPECT_EQ(ServeArguments(parsed.options), (std::vector<std::string>{"--port", "8090"}));
  // The logon start comes up in the tray, or in the console it was asked for.
  EXPECT_EQ(LogonArguments(parsed.options), (std::vector<std::string>{"--port", "8090", "--tray"}));
  parsed = ParseServerOptions({"--console", "--autostart", "on"});
  EXPECT_EQ(parsed.error, "");
  EXPECT_EQ(LogonArguments(parsed.options), (std::vector<std::string>{"--console"}));
  parsed = ParseServerOptions({"--tray"});
  EXPECT_TRUE(parsed.options.tray);
  EXPECT_FALSE(parsed.options.console);
}

TEST(ServerOptions, RefusesBadValuesAndMixtures) {
  for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
           {"--port"},
           {"--port", "0"},
           {"--port", "65536"},
           {"--port", "80x"},
           {"--port", "-1"},
           {"--allow", "10.0.0.0/33"},
           {"--allow", "192.168.1.300"},
           {"--allow", "127.0.0.1,"},
           {"--allow", "fe80::/129"},
           {"--autostart", "yes"},
           {"--set-login", "a:b"},
           {"--set-login", ""},
           {"--help", "--firewall-help"},
           {"--set-login", "alice", "--port", "9000"},
           {"--console", "--tray"},
           {"--firewall-help", "--console"},
           {"--allow-host", "musik.example:8080"},
           {"--allow-host", "evil.example/x"},
           {"--allow-host", ""},
           {"--forget-devices", "--allow-host", "x"},
           {"--forget-devices", "--help"},
           {"--verbose"},
       }) {
    EXPECT_NE(ParseServerOptions(bad).error, "") << bad[0];
  }
}

TEST(ServerExit, ItsOwnFailuresEndWithTheirCodeTheSeamsWithOne) {
  EXPECT_EQ(ExitCodeOf(RunError(exit_code::kBadOption, "")), 2);
  EXPECT_EQ(ExitCodeOf(RunError(exit_code::kBadLogin, "")), 3);
  EXPECT_EQ(ExitCodeOf(RunError(exit_code::kPortInUse, "")), 4);
  for (int seams : {error_number::kFileNotFound, error_number::kPermissionDenied,
                    error_number::kPathFileAccess, 0, -1, 5}) {
    EXPECT_EQ(ExitCodeOf(RunError(seams, "")), exit_code::kFailed) << seams;
  }
}

}  // namespace
}  // namespace tunaro::server
