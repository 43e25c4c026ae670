// The HTTP side of tunaro-server.exe: which paths it serves, its log (the
// line, the queue, the file), and the limits on what one client may hold.
#include <gtest/gtest.h>

#include <string>

#include "server/access/address_allow.h"
#include "server/http/connection_limits.h"
#include "server/http/pairing_page.h"
#include "server/http/request_log.h"
#include "server/http/request_log_queue.h"
#include "server/http/request_rules.h"
#include "server/http/server_log.h"
#include "testing/fake_server_system.h"

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

TEST(RequestLog, OneLineOfTimeAddressStatusAndPathThatNothingForges) {
  EXPECT_EQ(RequestLogLine({{9, 5, 7}, "192.168.1.5", 200, "/cgi-bin/tunaro/tunaro?status"}),
            "09:05:07  192.168.1.5      200  /cgi-bin/tunaro/tunaro?status\n");
  const std::string line = RequestLogLine({{23, 59, 59}, "fe80::1", 404, std::string(900, 'x')});
  EXPECT_EQ(line, "23:59:59  fe80::1          404  " + std::string(500, 'x') + "\n");
  // A path that would end the line and start a forged one, or colour the
  // console: every control byte shown as \xNN, C1 controls too; UTF-8 stays.
  EXPECT_EQ(RequestLogLine({{1, 2, 3},
                            "10.0.0.9",
                            404,
                            "/x\r\n01:02:03  192.168.1.1      200  /\x1b[2J\x7f\xc2\x9b"
                            "caf\xc3\xa9"}),
            "01:02:03  10.0.0.9         404  /x\\x0d\\x0a01:02:03  192.168.1.1      200  "
            "/\\x1b[2J\\x7f\\xc2\\x9bcaf\xc3\xa9\n");
  EXPECT_EQ(MessageLogLine({1, 2, 3}, "server: bad\x07thing\n"),
            "01:02:03  server: bad\\x07thing\n");
}

TEST(RequestLogQueue, BoundedCountsPollsAndRemembersTheLastOtherDevice) {
  RequestLogQueue queue(2);
  queue.AddRequest({{1, 0, 0}, "192.168.1.5", 200, "/cgi-bin/tunaro/tunaro?STATUS"});
  queue.AddRequest({{1, 0, 1}, "192.168.1.5", 500, "/cgi-bin/tunaro/tunaro?status"});  // failed
  queue.AddRequest({{1, 0, 2}, "::1", 200, "/cgi-bin/tunaro/tunaro?status"});
  queue.AddRequest({{1, 0, 3}, "127.0.0.1", 200, "/images/play.gif?status"});  // no program
  queue.AddMessage({1, 0, 4}, "dropped: the queue is full");
  LogBatch batch = queue.Take();
  EXPECT_EQ(batch.polls, 2);
  EXPECT_EQ(batch.dropped, 1);
  ASSERT_EQ(batch.lines.size(), 2u);
  EXPECT_EQ(batch.lines[0].substr(0, 8), "01:00:01");
  ASSERT_TRUE(batch.last_remote.has_value());
  EXPECT_EQ(batch.last_remote->status, 500);
  batch = queue.Take();
  EXPECT_TRUE(batch.lines.empty());
  EXPECT_EQ(batch.polls + batch.dropped, 0);
  EXPECT_FALSE(batch.last_remote.has_value());
}

TEST(ServerLog, TheFileBesideTheProgramRotatedOnceAMinuteOfPollsInOneLine) {
  FakeServerSystem system;
  const std::string file = "C:\\Tunaro\\tunaro-server.log",
                    old = "C:\\Tunaro\\tunaro-server.old.log";
  system.files[file] = std::string(90, 'a');
  ServerLog log(system, 100);
  LogBatch batch;
  batch.lines = {"12:00:00  first\n"};
  batch.polls = 3;
  EXPECT_EQ(log.Take(batch, {12, 0, 0}), batch.lines);  // the polls wait for their minute
  EXPECT_EQ(system.files[old], std::string(90, 'a'));   // 90 + 17 bytes passed 100
  EXPECT_EQ(system.files[file], "12:00:00  first\r\n");
  batch.lines.clear();
  batch.polls = 57;
  EXPECT_TRUE(log.Take(batch, {12, 0, 59}).empty());
  EXPECT_EQ(
      log.Take(batch, {12, 1, 0}),
      (std::vector<std::string>{"12:01:00  (117 status polls answered in the last 1 min)\n"}));
  EXPECT_TRUE(log.Take(LogBatch{}, {12, 2, 30}).empty());  // none since: no line
  batch.polls = 1;
  log.Take(batch, {23, 59, 30});  // a minute over midnight
  EXPECT_EQ(log.Take(LogBatch{}, {0, 0, 40}).size(), 1u);
  batch = LogBatch{};
  batch.dropped = 4;
  EXPECT_EQ(log.Take(batch, {1, 0, 0}),
            (std::vector<std::string>{"01:00:00  (4 log lines dropped: too many at once)\n"}));
  EXPECT_EQ(system.files.count(file) + system.files.count(old), 2u);  // never a third file

  // A folder the user may not write: the lines are still shown.
  system.unwritable.insert(file);
  EXPECT_EQ(log.Note("stopped", {1, 0, 1}), (std::vector<std::string>{"01:00:01  stopped\n"}));
  EXPECT_NE(log.file_problem().find("cannot write"), std::string::npos);
}

TEST(ConnectionLimits, TheAccessListAtAcceptAndACapPerClient) {
  // The ranges masked, IPv4 also as IPv4-mapped IPv6 for the dual-stack socket.
  EXPECT_EQ(CivetAccessList(ParseAllowList("192.168.1.77/16,127.0.0.1,fe80::1/10,::1").ranges),
            "+192.168.0.0/16,+[0:0:0:0:0:ffff:c0a8:0]/112,+127.0.0.1/32,"
            "+[0:0:0:0:0:ffff:7f00:1]/128,+[fe80:0:0:0:0:0:0:0]/10,+[0:0:0:0:0:0:0:1]/128");
  EXPECT_EQ(CivetAccessList(ParseAllowList("10.1.2.3/0,172.31.255.255/12").ranges),
            "+0.0.0.0/0,+[0:0:0:0:0:ffff:0:0]/96,+172.16.0.0/12,+[0:0:0:0:0:ffff:ac10:0]/108");

  ConnectionCap cap(2);
  const std::uint8_t one[4] = {192, 168, 1, 5}, two[4] = {192, 168, 1, 6};
  ClientKey mapped{};  // ::ffff:192.168.1.5, as the dual-stack socket gives it
  mapped[10] = mapped[11] = 0xff;
  mapped[12] = 192, mapped[13] = 168, mapped[14] = 1, mapped[15] = 5;
  EXPECT_TRUE(cap.Admit(10, ClientKeyOfIpv4(one)));
  EXPECT_TRUE(cap.Admit(11, mapped));
  EXPECT_FALSE(cap.Admit(12, ClientKeyOfIpv4(one)));  // the same client, either form
  EXPECT_TRUE(cap.Admit(13, ClientKeyOfIpv4(two)));
  cap.Release(10);
  cap.Release(12);  // never admitted: no count to lower
  cap.Release(99);
  EXPECT_EQ(cap.OpenFrom(mapped), 1);
  EXPECT_TRUE(cap.Admit(10, mapped));  // a reused socket number counts anew
  EXPECT_FALSE(cap.Admit(14, mapped));
  cap.Release(10);
  cap.Release(11);
  cap.Release(13);
  EXPECT_EQ(cap.OpenFrom(mapped) + cap.OpenFrom(ClientKeyOfIpv4(two)), 0);
}

}  // namespace
}  // namespace tunaro::server
