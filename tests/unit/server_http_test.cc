// The HTTP side of tunaro-server.exe: which paths it serves, and its log line.
#include <gtest/gtest.h>

#include <string>

#include "server/http/pairing_page.h"
#include "server/http/request_log.h"
#include "server/http/request_rules.h"

namespace tunaro::server {
namespace {

TEST(RequestRules, ServesTheRemoteTheFilesOfWwwrootAndNothingElse) {
  EXPECT_EQ(ClassifyRequest("/"), RequestKind::kRedirectToRemote);
  EXPECT_EQ(ClassifyRequest("/pair"), RequestKind::kPair);
  EXPECT_EQ(ClassifyRequest("/login"), RequestKind::kLogin);
  EXPECT_EQ(ClassifyRequest("/PAIR"), RequestKind::kServeFile);  // no such file: 404
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
                              "/copy/Tunaro-Devices.txt",
                              "/tunaro-server.exe",
                              "/c:/windows/win.ini",
                              "/images/a\tb",
                              "",
                              "images/play.gif"}) {
    EXPECT_EQ(ClassifyRequest(refused), RequestKind::kRefuse) << refused;
  }
}

TEST(PairingPage, TheShippedPageWithANoteOrAPlainOneInItsPlace) {
  const std::string page = "<h1>Pair</h1><!--note--><form></form>";
  EXPECT_EQ(PairingPageText(page, PairingNote::kNone), page);
  EXPECT_EQ(PairingPageText(page, PairingNote::kWrongCode),
            "<h1>Pair</h1><p class=note role=alert>That code is not right. Check it on the PC and "
            "type it again.</p><form></form>");
  EXPECT_NE(PairingPageText(page, PairingNote::kPastCode).find("used or has expired"),
            std::string::npos);
  EXPECT_NE(PairingPageText(page, PairingNote::kWaiting).find("Wait a minute"), std::string::npos);
  EXPECT_EQ(PairingPageText("<p>no mark</p>", PairingNote::kWaiting), "<p>no mark</p>");
  // Without the file, a page that still pairs.
  const std::string plain = PairingPageText(std::nullopt, PairingNote::kNoPasswordLogin);
  EXPECT_NE(plain.find("<form method=post action=/pair>"), std::string::npos);
  EXPECT_NE(plain.find("no password login"), std::string::npos);
}

TEST(RequestLog, OneLineOfTimeAddressStatusAndPath) {
  EXPECT_EQ(RequestLogLine(TimeOfDay{9, 5, 7}, "192.168.1.5", 200, "/cgi-bin/tunaro/tunaro?status"),
            "09:05:07  192.168.1.5      200  /cgi-bin/tunaro/tunaro?status\n");
  const std::string line =
      RequestLogLine(TimeOfDay{23, 59, 59}, "fe80::1", 404, std::string(900, 'x'));
  EXPECT_EQ(line, "23:59:59  fe80::1          404  " + std::string(500, 'x') + "\n");
}

}  // namespace
}  // namespace tunaro::server
