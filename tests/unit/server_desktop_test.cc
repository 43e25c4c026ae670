// What the user of tunaro-server.exe sees and sets on the desktop: the QR
// drawing, the addresses to open, the logon start.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "base/run_error.h"
#include "server/desktop/autostart.h"
#include "server/desktop/qr_text.h"
#include "server/desktop/server_addresses.h"
#include "server/system/server_exit.h"
#include "testing/fake_server_system.h"

namespace tunaro::server {
namespace {

TEST(QrText, TwoModuleRowsALineInsideALightQuietZone) {
  // A 3x3 code with the dark modules on the diagonal.
  const std::vector<std::string> lines = QrHalfBlockLines(3, [](int x, int y) { return x == y; });
  const std::string full = "\xe2\x96\x88", upper = "\xe2\x96\x80", lower = "\xe2\x96\x84";
  ASSERT_EQ(lines.size(), 4u);  // rows -2..4 in pairs
  std::string quiet;
  for (int i = 0; i < 7; ++i) quiet += full;
  EXPECT_EQ(lines[0], quiet);
  // Rows 0 and 1: (0,0) dark over light, (1,1) light over dark.
  EXPECT_EQ(lines[1], full + full + lower + upper + full + full + full);
  // Rows 2 and 3: (2,2) dark, the quiet row below it light.
  EXPECT_EQ(lines[2], full + full + full + full + lower + full + full);
  EXPECT_EQ(lines[3], quiet);
}

TEST(ServerAddresses, TheNameFirstThenEachUpAdaptersIpv4) {
  FakeServerSystem system;
  system.adapters = {
      {true, true, {"127.0.0.1"}},                  // the loopback
      {true, false, {"192.168.1.20", "10.0.0.7"}},  // Wi-Fi, two addresses
      {false, false, {"192.168.56.1"}},             // a cable unplugged
      {true, false, {"127.0.0.2", "172.20.0.1"}},   // 127/8 on another adapter
  };
  EXPECT_EQ(ServerAddresses(system, 8090),
            (std::vector<std::string>{"http://DESK:8090/", "http://192.168.1.20:8090/",
                                      "http://10.0.0.7:8090/", "http://172.20.0.1:8090/"}));
  system.computer_name.clear();
  system.adapters.clear();
  EXPECT_EQ(ServerAddresses(system, 8080), (std::vector<std::string>{"http://localhost:8080/"}));
}

TEST(Autostart, TheQuotedExeAndItsOptionsInTheRunValue) {
  FakeServerSystem system;
  system.program_path = "C:\\Users\\Zo\xc3\xab\\Tunaro 1\\tunaro-server.exe";
  SetAutostart(system, true, {"--port", "8090", "--allow", "10.0.0.0/8, ::1", "--no-login"});
  EXPECT_EQ(system.run_values["Tunaro"],
            "\"C:\\Users\\Zo\xc3\xab\\Tunaro 1\\tunaro-server.exe\" \"--port\" \"8090\" "
            "\"--allow\" \"10.0.0.0/8, ::1\" \"--no-login\"");
  system.run_values["Other"] = "\"C:\\other.exe\"";
  SetAutostart(system, false, {});
  EXPECT_EQ(system.run_values,
            (std::map<std::string, std::string>{{"Other", "\"C:\\other.exe\""}}));
  SetAutostart(system, false, {});  // already off: no failure

  system.run_key_refused = true;
  try {
    SetAutostart(system, true, {});
    ADD_FAILURE() << "a refused Run key passed";
  } catch (const RunError& failure) {
    EXPECT_EQ(ExitCodeOf(failure), exit_code::kFailed);
  }
}

}  // namespace
}  // namespace tunaro::server
