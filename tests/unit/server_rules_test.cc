// The portable rules of tunaro-server.exe: its options, the address list,
// which paths it serves, the login file, and the CGI side of running tunaro.exe.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "server/access/address_allow.h"
#include "server/runner/cgi_answer.h"
#include "server/access/login_file.h"
#include "server/desktop/qr_text.h"
#include "server/http/request_rules.h"
#include "server/main/server_options.h"

namespace tunaro::server {
namespace {

TEST(ServerOptions, ServesOnPort8080ByDefaultAndReadsEachOption) {
  ParsedOptions parsed = ParseServerOptions({});
  EXPECT_EQ(parsed.error, "");
  EXPECT_EQ(parsed.options.command, Command::kServe);
  EXPECT_EQ(parsed.options.port, 8080);
  EXPECT_FALSE(parsed.options.no_login);

  parsed = ParseServerOptions({"--port", "65535", "--allow", "127.0.0.1,::1", "--no-login"});
  EXPECT_EQ(parsed.error, "");
  EXPECT_EQ(parsed.options.port, 65535);
  EXPECT_EQ(parsed.options.allow, "127.0.0.1,::1");
  EXPECT_TRUE(parsed.options.no_login);
  EXPECT_EQ(
      ServeArguments(parsed.options),
      (std::vector<std::string>{"--port", "65535", "--allow", "127.0.0.1,::1", "--no-login"}));

  parsed = ParseServerOptions({"--set-login", "alice"});
  EXPECT_EQ(parsed.options.command, Command::kSetLogin);
  EXPECT_EQ(parsed.options.login_user, "alice");
  parsed = ParseServerOptions({"--autostart", "on", "--port", "8090"});
  EXPECT_EQ(parsed.error, "");
  EXPECT_TRUE(parsed.options.autostart_on);
  EXPECT_EQ(ServeArguments(parsed.options), (std::vector<std::string>{"--port", "8090"}));
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
           {"--verbose"},
       }) {
    EXPECT_NE(ParseServerOptions(bad).error, "") << bad[0];
  }
}

TEST(AddressAllow, TheHomeNetworkByDefault) {
  std::vector<AddressRange> home;
  std::string why;
  ASSERT_TRUE(ParseAllowList(kHomeNetworks, &home, &why)) << why;
  for (const char* inside :
       {"127.0.0.1", "127.1.2.3", "10.255.0.1", "172.16.0.1", "172.31.255.255", "192.168.1.20",
        "169.254.3.4", "100.64.0.1", "100.127.255.255", "::1", "fd12:3456::1", "fc00::1",
        "fe80::1%12", "FE80::ABCD", "::ffff:192.168.0.7"}) {
    EXPECT_TRUE(IsAllowed(home, inside)) << inside;
  }
  for (const char* outside :
       {"8.8.8.8", "172.32.0.1", "172.15.255.255", "100.128.0.1", "192.169.0.1", "11.0.0.1",
        "2001:db8::1", "::", "::2", "fec0::1", "::ffff:8.8.8.8", "not an address", ""}) {
    EXPECT_FALSE(IsAllowed(home, outside)) << outside;
  }
  // As the log and the program show a client.
  EXPECT_EQ(ClientAddressText("::ffff:192.168.0.7"), "192.168.0.7");
  EXPECT_EQ(ClientAddressText("::ffff:c0a8:7"), "::ffff:c0a8:7");
  EXPECT_EQ(ClientAddressText("::1"), "::1");
}

TEST(AddressAllow, ReadsAddressesRangesAndIpv6Forms) {
  std::vector<AddressRange> list;
  std::string why;
  ASSERT_TRUE(ParseAllowList("192.168.1.0/24, 2001:db8:0:0:1::/80,10.1.2.3", &list, &why)) << why;
  EXPECT_TRUE(IsAllowed(list, "192.168.1.255"));
  EXPECT_FALSE(IsAllowed(list, "192.168.2.1"));
  EXPECT_TRUE(IsAllowed(list, "2001:db8::1:0:ffff:1"));
  EXPECT_FALSE(IsAllowed(list, "2001:db8::2:0:0:1"));
  EXPECT_TRUE(IsAllowed(list, "10.1.2.3"));
  EXPECT_FALSE(IsAllowed(list, "10.1.2.4"));
  EXPECT_FALSE(IsAllowed(list, "127.0.0.1"));

  AddressRange address;
  EXPECT_TRUE(ParseAddress("1:2:3:4:5:6:7:8", &address));
  EXPECT_TRUE(ParseAddress("::ffff:1.2.3.4", &address));
  EXPECT_FALSE(address.v6);
  for (const char* bad : {"1:2:3:4:5:6:7", "1::2::3", "12345::", "1:2:3:4:5:6:7:8:9", "1.2.3",
                          "1.2.3.4.5", "01234.1.1.1", "::g"}) {
    EXPECT_FALSE(ParseAddress(bad, &address)) << bad;
  }
}

TEST(RequestRules, ServesTheRemoteTheFilesOfWwwrootAndNothingElse) {
  EXPECT_EQ(ClassifyRequest("/"), RequestKind::kRedirectToRemote);
  EXPECT_EQ(ClassifyRequest(kRemotePath), RequestKind::kRunProgram);
  EXPECT_EQ(ClassifyRequest("/cgi-bin/tunaro-panel/tunaro.exe"), RequestKind::kRunProgram);
  EXPECT_EQ(ClassifyRequest("/CGI-BIN/tunaro/TUNARO"), RequestKind::kRunProgram);
  EXPECT_EQ(ClassifyRequest("/images/play.gif"), RequestKind::kServeFile);
  EXPECT_EQ(ClassifyRequest("/images/tunaro.js"), RequestKind::kServeFile);
  EXPECT_EQ(ClassifyRequest("/tunaro-panel.shtml"), RequestKind::kServeFile);
  EXPECT_EQ(ClassifyRequest("/my photos/caf\xc3\xa9.png"), RequestKind::kServeFile);

  for (const char* refused : {"/cgi-bin/tunaro/tunaro.conf",
                              "/cgi-bin/tunaro/header.html",
                              "/cgi-bin/tunaro/",
                              "/cgi-bin/",
                              "/cgi-bin",
                              "/cgi-bin/tunaro/tunaro/more",
                              "/cgi-bin/tunaro/tunaro-x86.exe",
                              "/cgi-bin/../tunaro-login.htdigest",
                              "/cgi-bin/tun.aro/tunaro",
                              "/cgi-bin/tunaro/tunaro.",
                              "/cgi-bin/tunaro/tunaro.exe.",
                              "/cgi-bin/tunaro/tunaro.exe::$DATA",
                              "/cgi-bin/tunaro/TUNARO~1.CON",
                              "/tunaro-login.htdigest",
                              "/images/../tunaro-login.htdigest",
                              "/images/",
                              "/images//play.gif",
                              "/images/play.gif.",
                              "/images/play.gif ",
                              "/images/play.gif::$DATA",
                              "/images/play.gif:stream",
                              "/images\\..\\tunaro-login.htdigest",
                              "/images/%2e%2e/x",
                              "/.htpasswd",
                              "/images/.hidden",
                              "/TUNARO~1/x",
                              "/copy/tunaro.conf",
                              "/x.HTDIGEST",
                              "/tunaro-server.exe",
                              "/c:/windows/win.ini",
                              "/images/a\tb",
                              "",
                              "images/play.gif"}) {
    EXPECT_EQ(ClassifyRequest(refused), RequestKind::kRefuse) << refused;
  }
}

TEST(CgiAnswer, PassesBrowserHeadersOnAndNothingThatPosesAsOne) {
  EXPECT_EQ(HeaderVariableName("Sec-Fetch-Site"), "HTTP_SEC_FETCH_SITE");
  EXPECT_EQ(HeaderVariableName("host"), "HTTP_HOST");
  EXPECT_EQ(HeaderVariableName("content-type"), "CONTENT_TYPE");
  EXPECT_EQ(HeaderVariableName("Sec_Fetch_Site"), "");
  EXPECT_EQ(HeaderVariableName("X Y"), "");
  EXPECT_EQ(HeaderVariableName("AUTHORIZATION"), "");
}

TEST(CgiAnswer, ReadsTheHeadUpToItsEmptyLine) {
  AnswerHead head;
  const std::string page = "Content-type: text/html\r\n\r\n<html>";
  ASSERT_EQ(ReadAnswerHead(page, &head), HeadRead::kComplete);
  EXPECT_EQ(head.status, 200);
  ASSERT_EQ(head.headers.size(), 1u);
  EXPECT_EQ(head.headers[0].second, "text/html");
  EXPECT_EQ(page.substr(head.body_start), "<html>");

  const std::string bad = "Status: 400 Bad Request\nContent-type:application/json\n\n{}";
  ASSERT_EQ(ReadAnswerHead(bad, &head), HeadRead::kComplete);
  EXPECT_EQ(head.status, 400);
  ASSERT_EQ(head.headers.size(), 1u);  // Status is the server's to send
  EXPECT_EQ(head.headers[0].second, "application/json");
  EXPECT_EQ(bad.substr(head.body_start), "{}");
  ASSERT_EQ(ReadAnswerHead("Location: /x\r\n\r\n", &head), HeadRead::kComplete);
  EXPECT_EQ(head.status, 302);

  EXPECT_EQ(ReadAnswerHead("Content-type: text/html\r\n", &head), HeadRead::kIncomplete);
  EXPECT_EQ(ReadAnswerHead("", &head), HeadRead::kIncomplete);
  for (const char* broken : {"<html>\n\n", ": x\n\n", "Status: 99\n\n", "Status: 2000\n\n",
                             "Status: abc\n\n", "A b: c\n\n", "X: a\x01b\n\n"}) {
    EXPECT_EQ(ReadAnswerHead(broken, &head), HeadRead::kBroken) << broken;
  }
}

TEST(LoginFile, WritesAndChecksCivetWebsDigestLines) {
  EXPECT_EQ(DigestSource("alice", "secret"), "alice:Tunaro:secret");
  const std::string line = LoginLine("alice", "2800664529971f46849f3f56cbe96800");
  EXPECT_EQ(line, "alice:Tunaro:2800664529971f46849f3f56cbe96800\r\n");
  std::string why;
  EXPECT_TRUE(CheckLoginText(line, &why)) << why;
  EXPECT_TRUE(CheckLoginText(line + "\nbob:Tunaro:00000000000000000000000000000000\n", &why));

  const std::pair<const char*, const char*> broken[] = {
      {"", "no login"},
      {"\r\n\r\n", "no login"},
      {"alice:secret\n", "line 1"},
      {"alice:Other:2800664529971f46849f3f56cbe96800\n", "realm"},
      {"alice:Tunaro:2800664529971F46849F3F56CBE96800\n", "digest"},
      {"alice:Tunaro:28006645\n", "digest"},
      {"\nalice:Tunaro:2800664529971f46849f3f56cbe968001\n", "line 2"},
      {":Tunaro:2800664529971f46849f3f56cbe96800\n", "user name"},
  };
  for (const auto& [text, said] : broken) {
    EXPECT_FALSE(CheckLoginText(text, &why)) << text;
    EXPECT_NE(why.find(said), std::string::npos) << why;
  }
  EXPECT_TRUE(IsGoodUserName("J\xc3\xb6rg M"));
  EXPECT_FALSE(IsGoodUserName("a:b"));
  EXPECT_FALSE(IsGoodUserName(std::string(65, 'a')));
}

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

}  // namespace
}  // namespace tunaro::server
