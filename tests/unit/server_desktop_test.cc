// What the user of tunaro-server.exe sees and sets on the desktop: the QR
// drawing, the addresses to open and their order, the pairing code in large
// letters, the logon start, the window's checklist and its buttons'
// commands, and the window's record.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "base/run_error.h"
#include "server/access/pairing_code.h"
#include "server/desktop/autostart.h"
#include "server/desktop/big_letters.h"
#include "server/desktop/checks.h"
#include "server/desktop/desktop_view.h"
#include "server/desktop/elevated_commands.h"
#include "server/desktop/firewall_help.h"
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

TEST(QrText, AsciiForTheDoubleByteConsolesOneRowALineTwoColumnsAModule) {
  const std::vector<std::string> lines = QrAsciiLines(2, [](int x, int y) { return x == y; });
  ASSERT_EQ(lines.size(), 6u);  // rows -2..3
  EXPECT_EQ(lines[0], std::string(12, '#'));
  EXPECT_EQ(lines[2], "####  ######");  // (0,0) dark
  EXPECT_EQ(lines[3], "######  ####");  // (1,1) dark
  EXPECT_EQ(lines[5], std::string(12, '#'));
  for (unsigned code_page : {932u, 936u, 949u, 950u}) EXPECT_TRUE(ConsoleNeedsAsciiQr(code_page));
  for (unsigned code_page : {437u, 850u, 1252u, 65001u, 0u}) {
    EXPECT_FALSE(ConsoleNeedsAsciiQr(code_page));
  }
}

NetworkAdapter Adapter(const std::string& name, std::vector<std::string> ipv4, bool gateway = false,
                       int type = 6, const std::string& description = "") {
  NetworkAdapter adapter;
  adapter.up = true;
  adapter.ipv4 = std::move(ipv4);
  adapter.name = name;
  adapter.description = description;
  adapter.id = "{" + name + "}";
  adapter.type = type;
  adapter.has_gateway = gateway;
  return adapter;
}

TEST(ServerAddresses, TheGatewaysAdapterFirstThenByNameVirtualLastTheNameAtTheEnd) {
  FakeServerSystem system;
  NetworkAdapter loopback = Adapter("Loopback", {"127.0.0.1"});
  loopback.loopback = true;
  NetworkAdapter unplugged = Adapter("Ethernet 3", {"192.168.56.1"});
  unplugged.up = false;
  system.adapters = {
      loopback,
      Adapter("vEthernet (WSL)", {"172.20.0.1"}, false, 6, "Hyper-V Virtual Ethernet Adapter"),
      Adapter("Ethernet", {"10.0.0.7", "169.254.3.4"}),
      Adapter("VPN", {"100.64.0.2"}, true, 23),  // a tunnel with the default route
      Adapter("Wi-Fi", {"192.168.1.20", "127.0.0.2"}, true, 71),
      unplugged,
      Adapter("Bluetooth", {"169.254.9.9"}),
  };
  const std::vector<RankedAddress> ranked = RankAddresses(system.adapters, 8090);
  std::vector<std::string> urls;
  for (const RankedAddress& address : ranked) urls.push_back(address.url);
  EXPECT_EQ(urls, (std::vector<std::string>{"http://192.168.1.20:8090/", "http://10.0.0.7:8090/",
                                            "http://100.64.0.2:8090/", "http://172.20.0.1:8090/"}));
  EXPECT_EQ(ranked[0].adapter, "Wi-Fi");
  EXPECT_FALSE(ranked[1].virtual_adapter);
  EXPECT_TRUE(ranked[2].virtual_adapter);
  EXPECT_TRUE(ranked[3].virtual_adapter);
  EXPECT_EQ(ServerAddresses(system, 8090).back(), "http://DESK:8090/");
  // The pairing QR code names the best of them.
  EXPECT_EQ(PairingHost(system), "192.168.1.20");
  system.adapters.resize(2);  // the loopback and a virtual adapter's address
  EXPECT_EQ(PairingHost(system), "172.20.0.1");
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
  // A Japanese console draws a block twice as wide: the letters in '#'.
  const std::string ascii = PairingCodeText("ABCDEFGH", TimeOfDay{23, 55, 1}, 600, "x", 932);
  EXPECT_EQ(ascii.find(block), std::string::npos);
  EXPECT_NE(ascii.find("\n   ###   ####"), std::string::npos) << ascii;
}

TEST(Autostart, TheQuotedExeItsOptionsAndTheStartupApprovedFlag) {
  FakeServerSystem system;
  system.program_path = "C:\\Users\\Zo\xc3\xab\\Tunaro 1\\tunaro-server.exe";
  // Task Manager disabled an earlier one: 03, then the time it did.
  system.startup_approved["Tunaro"] = std::string("\x03\0\0\0\x10\x20\x30\x40\x50\x60\x70\x01", 12);
  system.run_values["Tunaro"] = "\"C:\\old\\tunaro-server.exe\"";
  EXPECT_FALSE(AutostartIsOn(system));
  SetAutostart(system, true, {"--port", "8090", "--allow", "10.0.0.0/8, ::1", "--tray"});
  EXPECT_EQ(system.run_values["Tunaro"],
            "\"C:\\Users\\Zo\xc3\xab\\Tunaro 1\\tunaro-server.exe\" \"--port\" \"8090\" "
            "\"--allow\" \"10.0.0.0/8, ::1\" \"--tray\"");
  EXPECT_EQ(system.startup_approved["Tunaro"], std::string("\x02", 1) + std::string(11, '\0'));
  EXPECT_TRUE(AutostartIsOn(system));

  system.run_values["Other"] = "\"C:\\other.exe\"";
  SetAutostart(system, false, {});
  EXPECT_EQ(system.run_values,
            (std::map<std::string, std::string>{{"Other", "\"C:\\other.exe\""}}));
  EXPECT_TRUE(system.startup_approved.empty());
  EXPECT_FALSE(AutostartIsOn(system));
  SetAutostart(system, false, {});  // already off: no failure
  SetAutostart(system, true, {});   // no flag at all: none made
  EXPECT_TRUE(system.startup_approved.empty());
  EXPECT_TRUE(AutostartIsOn(system));

  system.run_key_refused = true;
  try {
    SetAutostart(system, true, {});
    ADD_FAILURE() << "a refused Run key passed";
  } catch (const RunError& failure) {
    EXPECT_EQ(ExitCodeOf(failure), exit_code::kFailed);
  }
}

// The checks' facts as the fake gives them: one Wi-Fi at home.
CheckFacts HomeFacts(FakeServerSystem& system) {
  system.adapters = {Adapter("Wi-Fi", {"192.168.1.20"}, true, 71)};
  system.adapters[0].interface_index = 12;
  system.networks = std::vector<ConnectedNetwork>{
      {"Home", NetworkCategory::kPrivate, {"{Wi-Fi}"}},
  };
  FirewallFacts firewall;
  firewall.current_profiles = firewall_profile::kPrivate;
  firewall.enabled_profiles = 7;
  firewall.rules = {{"tunaro-server.exe", true, true, true, firewall_profile::kPrivate}};
  system.firewall = firewall;
  system.window_classes = {"Winamp v1.x"};
  return GatherCheckFacts(system, RankAddresses(system.adapters, 8080).front(), std::nullopt);
}

TEST(Checks, EachLineSaysItsStateAndWhatToDo) {
  FakeServerSystem system;
  CheckFacts facts = HomeFacts(system);
  std::vector<CheckLine> lines = BuildChecklist(facts);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0].state, CheckState::kGood);
  EXPECT_EQ(lines[1].state, CheckState::kGood);
  EXPECT_EQ(lines[1].status, "Home: Private");
  EXPECT_EQ(lines[2].state, CheckState::kGood);
  EXPECT_EQ(lines[2].status, "allows this program on the private network");
  EXPECT_TRUE(lines[2].actions.empty());
  EXPECT_EQ(lines[3].state, CheckState::kWaiting);

  facts.player_running = false;
  facts.networks->front().category = NetworkCategory::kPublic;
  facts.firewall->current_profiles = firewall_profile::kPublic;
  facts.last_remote = RequestRecord{{9, 5, 7}, "192.168.1.5", 200, "/cgi-bin/tunaro/tunaro"};
  lines = BuildChecklist(facts);
  EXPECT_EQ(lines[0].state, CheckState::kWrong);
  EXPECT_EQ(lines[1].state, CheckState::kWrong);
  EXPECT_EQ(lines[1].status, "Home: Public");
  EXPECT_EQ(lines[1].actions, (std::vector<CheckAction>{CheckAction::kMakeNetworkPrivate,
                                                        CheckAction::kOpenNetworkSettings}));
  EXPECT_EQ(lines[2].state, CheckState::kWrong);  // the rule is for private networks only
  EXPECT_EQ(lines[2].status, "has no rule for this program on the public network");
  EXPECT_NE(lines[2].advice.find("Private"), std::string::npos);
  EXPECT_EQ(lines[3].state, CheckState::kGood);
  EXPECT_EQ(lines[3].status, "last request 09:05:07 from 192.168.1.5 (200)");

  // A Block rule wins over the Allow rule, as in Windows; a domain network is fine.
  facts.networks->front().category = NetworkCategory::kDomain;
  facts.firewall->current_profiles = firewall_profile::kPrivate;
  facts.firewall->rules.push_back({"blocked", true, true, false, 7});
  lines = BuildChecklist(facts);
  EXPECT_EQ(lines[1].state, CheckState::kGood);
  EXPECT_EQ(lines[2].state, CheckState::kWrong);
  EXPECT_EQ(lines[2].status, "blocks this program on the private network");
  EXPECT_EQ(lines[2].actions, (std::vector<CheckAction>{CheckAction::kFixFirewall}));
  // ... unless it is disabled, or outbound, or the firewall is off there.
  facts.firewall->rules.back().enabled = false;
  facts.firewall->rules.push_back({"outbound", false, true, false, 7});
  EXPECT_EQ(BuildChecklist(facts)[2].state, CheckState::kGood);
  facts.firewall->rules = {};
  EXPECT_EQ(BuildChecklist(facts)[2].state, CheckState::kWrong);
  facts.firewall->enabled_profiles = firewall_profile::kPublic;
  EXPECT_EQ(BuildChecklist(facts)[2].status, "off on the private network");

  // Windows will not say (Wine's firewall): unknown, with the button all the same.
  facts.networks.reset();
  facts.firewall.reset();
  lines = BuildChecklist(facts);
  EXPECT_EQ(lines[1].state, CheckState::kUnknown);
  EXPECT_EQ(lines[2].state, CheckState::kUnknown);
  EXPECT_EQ(lines[2].actions, (std::vector<CheckAction>{CheckAction::kFixFirewall}));
  facts.primary.reset();
  EXPECT_EQ(BuildChecklist(facts)[1].state, CheckState::kWrong);
}

TEST(Checks, TheButtonsRunTheirCommandsThroughTheOnePrompt) {
  FakeServerSystem system;
  system.program_path = "C:\\Users\\O'Brien\\Tunaro\\tunaro-server.exe";
  const CheckFacts facts = HomeFacts(system);
  EXPECT_EQ(RunCheckAction(system, CheckAction::kMakeNetworkPrivate, facts), "");
  EXPECT_EQ(RunCheckAction(system, CheckAction::kFixFirewall, facts), "");
  ASSERT_EQ(system.elevated.size(), 2u);
  EXPECT_EQ(system.elevated[0].first, "powershell.exe");
  EXPECT_EQ(system.elevated[0].second,
            PowerShellParameters(
                "Set-NetConnectionProfile -InterfaceIndex 12 -NetworkCategory Private\n"));
  EXPECT_EQ(system.elevated[1].second,
            PowerShellParameters(FirewallFixScript(system.program_path)));
  EXPECT_EQ(RunCheckAction(system, CheckAction::kOpenNetworkSettings, facts), "");
  EXPECT_EQ(system.opened, (std::vector<std::string>{"ms-settings:network-wifi"}));

  system.elevated_answer = ElevatedStart::kDeclined;
  EXPECT_NE(RunCheckAction(system, CheckAction::kFixFirewall, facts), "");
}

TEST(ElevatedCommands, QuotedForPowerShellAndHandedOverEncoded) {
  // PowerShell's quotes, the typographic ones too, doubled inside single quotes.
  EXPECT_EQ(PowerShellQuoted("C:\\O'Brien\\a\xe2\x80\x99"
                             "b"),
            "'C:\\O''Brien\\a\xe2\x80\x99\xe2\x80\x99"
            "b'");
  const std::string script = FirewallFixScript("C:\\My $Music\\tunaro-server.exe");
  EXPECT_NE(script.find("$program = 'C:\\My $Music\\tunaro-server.exe'"), std::string::npos);
  EXPECT_NE(script.find("[WildcardPattern]::Escape('tunaro-server.exe')"), std::string::npos);
  EXPECT_NE(script.find("$_.Action -eq 'Block' } | Remove-NetFirewallRule"), std::string::npos);
  EXPECT_NE(script.find("-Action Allow -Profile Private,Domain -Program $program"),
            std::string::npos);
  EXPECT_EQ(script.find("Public"), std::string::npos);
  // --firewall-help prints the same lines, and how PowerShell runs the program.
  const std::string help = FirewallHelpText("C:\\My $Music\\tunaro-server.exe");
  EXPECT_NE(help.find(script), std::string::npos);
  EXPECT_NE(help.find(".\\tunaro-server.exe"), std::string::npos);

  // Base64 of the script's UTF-16LE; a letter beyond the BMP as a surrogate pair.
  const std::string start =
      "-NoProfile -NonInteractive -ExecutionPolicy Bypass -WindowStyle "
      "Hidden -EncodedCommand ";
  EXPECT_EQ(PowerShellParameters("Zo\xc3\xab \xf0\x9d\x84\x9e"), start + "WgBvAOsAIAA02B7d");
  EXPECT_EQ(PowerShellParameters("ab"), start + "YQBiAA==");
}

TEST(DesktopController, TheViewTheLogAndThePhonesLine) {
  FakeServerSystem system;
  HomeFacts(system);
  system.time_of_day = {10, 0, 0};
  std::vector<LogBatch> batches;
  DesktopController controller(system, 8080, true, [&batches] {
    LogBatch batch;
    if (!batches.empty()) {
      batch = batches.front();
      batches.erase(batches.begin());
    }
    return batch;
  });
  const DesktopView& view = controller.view();
  EXPECT_EQ(QrText(view), "http://192.168.1.20:8080/");
  EXPECT_EQ(OtherAddressesText(view), "This PC's name: http://DESK:8080/\n");
  EXPECT_EQ(view.checklist[3].state, CheckState::kWaiting);
  EXPECT_FALSE(controller.TakeLog());

  RequestLogQueue queue(8);
  queue.AddRequest({{10, 0, 1}, "127.0.0.1", 200, "/images/play.gif"});
  queue.AddRequest({{10, 0, 2}, "192.168.1.5", 200, "/cgi-bin/tunaro/tunaro?status"});
  batches.push_back(queue.Take());
  EXPECT_TRUE(controller.TakeLog());
  ASSERT_EQ(view.log_lines.size(), 1u);  // the poll is counted, not shown
  EXPECT_EQ(view.log_lines[0], "10:00:01  127.0.0.1        200  /images/play.gif");
  EXPECT_EQ(view.checklist[3].state, CheckState::kGood);
  EXPECT_EQ(system.files["C:\\Tunaro\\tunaro-server.log"],
            "10:00:01  127.0.0.1        200  /images/play.gif\r\n");

  // No IPv4 address at all: the QR code carries the computer's name.
  system.adapters.clear();
  controller.Refresh();
  EXPECT_EQ(QrText(view), "http://DESK:8080/");
  EXPECT_EQ(view.checklist[1].state, CheckState::kWrong);
}

TEST(DesktopController, ThePairingCodeItsLinkAndTheDevicesWithForget) {
  FakeServerSystem system;
  HomeFacts(system);
  system.time_of_day = {10, 0, 0};
  PairingCodeNow now{"K7QMX2PD", 600, "", {}, 1000000};
  now.devices = {{"aaaa", "iPhone, Safari", 1000000 - 3 * 86400, 1000000 - 120},
                 {"bbbb", "curl/8.1", 1000000 - 30, 1000000}};
  std::vector<std::string> forgotten;
  PairingDesk desk{[&now] { return now; },
                   [&](const std::string& id) {
                     forgotten.push_back(id);
                     now.devices.erase(now.devices.begin());
                   }};
  DesktopController controller(
      system, 8080, true, [] { return LogBatch{}; }, desk);
  const DesktopView& view = controller.view();
  EXPECT_EQ(QrText(view), "http://192.168.1.20:8080/pair#K7QMX2PD");
  EXPECT_EQ(view.pairing_code, "K7QM-X2PD");
  EXPECT_EQ(view.pairing_until, "10:10");
  EXPECT_EQ(view.device_lines,
            (std::vector<std::string>{"iPhone, Safari: paired 3 days ago, last seen 2 min ago",
                                      "curl/8.1: paired just now, last seen just now"}));
  EXPECT_FALSE(controller.TakeLog());  // nothing changed

  now.code = "ABCDEFGH";  // used or expired: the next one, and the QR code with it
  EXPECT_TRUE(controller.TakeLog());
  EXPECT_EQ(QrText(view), "http://192.168.1.20:8080/pair#ABCDEFGH");

  controller.ForgetDevice(5);  // no such line: nothing
  controller.ForgetDevice(0);
  EXPECT_EQ(forgotten, std::vector<std::string>{"aaaa"});
  EXPECT_EQ(view.device_ids, std::vector<std::string>{"bbbb"});
  EXPECT_NE(view.log_lines.back().find("forgot iPhone, Safari"), std::string::npos);
}

}  // namespace
}  // namespace tunaro::server
