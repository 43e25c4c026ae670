// What the user of tunaro-server.exe sees and sets on the desktop: the QR
// drawing, the addresses to open, the pairing code in large letters, the
// logon start.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "base/run_error.h"
#include "server/access/pairing_code.h"
#include "server/desktop/autostart.h"
#include "server/desktop/big_letters.h"
#include "server/desktop/pairing_text.h"
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
  // The pairing QR code names the first address a phone can reach.
  EXPECT_EQ(PairingHost(system), "192.168.1.20");
  system.adapters.resize(1);
  EXPECT_EQ(PairingHost(system), "DESK");
  system.computer_name.clear();
  system.adapters.clear();
  EXPECT_EQ(ServerAddresses(system, 8080), (std::vector<std::string>{"http://localhost:8080/"}));
  EXPECT_EQ(PairingHost(system), "localhost");
}

TEST(PairingText, TheCodeInLargeLettersAsTextAndItsAddress) {
  // Every character of the code has a letter of its own, none two alike.
  std::set<std::vector<std::string>> drawn;
  for (const char c : std::string(kPairingAlphabet) + "-") {
    ASSERT_TRUE(HasBigLetter(c)) << c;
    drawn.insert(BigLetterLines(std::string(1, c)));
  }
  EXPECT_EQ(drawn.size(), 33u);
  EXPECT_FALSE(HasBigLetter('O'));
  const std::vector<std::string> lines = BigLetterLines("AB");
  ASSERT_EQ(lines.size(), 5u);
  const std::string block = "\xe2\x96\x88";
  EXPECT_EQ(lines[0], " " + block + block + block + "   " + block + block + block + block + " ");

  const std::string text = PairingCodeText("ABCDEFGH", TimeOfDay{23, 55, 1}, 600,
                                           "http://192.168.1.20:8080/pair#ABCDEFGH");
  EXPECT_NE(text.find("Pairing code: ABCD-EFGH (until 00:06, for one phone)\n"), std::string::npos)
      << text;
  for (const std::string& line : BigLetterLines("ABCD-EFGH")) {
    EXPECT_NE(text.find("  " + line + "\n"), std::string::npos);
  }
  EXPECT_NE(text.find("open http://192.168.1.20:8080/pair and type the code"), std::string::npos);
  EXPECT_NE(text.find("Pairing address: http://192.168.1.20:8080/pair#ABCDEFGH\n"),
            std::string::npos);
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
