// Who may use tunaro-server.exe: the address list and the login file, its
// text and its handling through the server's seam.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/run_error.h"
#include "server/access/address_allow.h"
#include "server/access/login_file.h"
#include "server/system/server_exit.h"
#include "testing/fake_server_system.h"

namespace tunaro::server {
namespace {

TEST(AddressAllow, TheHomeNetworkByDefault) {
  const AllowList home = ParseAllowList(kHomeNetworks);
  ASSERT_EQ(home.error, "");
  for (const char* inside :
       {"127.0.0.1", "127.1.2.3", "10.255.0.1", "172.16.0.1", "172.31.255.255", "192.168.1.20",
        "169.254.3.4", "100.64.0.1", "100.127.255.255", "::1", "fd12:3456::1", "fc00::1",
        "fe80::1%12", "FE80::ABCD", "::ffff:192.168.0.7"}) {
    EXPECT_TRUE(IsAllowed(home.ranges, inside)) << inside;
  }
  for (const char* outside :
       {"8.8.8.8", "172.32.0.1", "172.15.255.255", "100.128.0.1", "192.169.0.1", "11.0.0.1",
        "2001:db8::1", "::", "::2", "fec0::1", "::ffff:8.8.8.8", "not an address", ""}) {
    EXPECT_FALSE(IsAllowed(home.ranges, outside)) << outside;
  }
  // As the log and the program show a client.
  EXPECT_EQ(ClientAddressText("::ffff:192.168.0.7"), "192.168.0.7");
  EXPECT_EQ(ClientAddressText("::ffff:c0a8:7"), "::ffff:c0a8:7");
  EXPECT_EQ(ClientAddressText("::1"), "::1");
}

TEST(AddressAllow, ReadsAddressesRangesAndIpv6Forms) {
  const AllowList list = ParseAllowList("192.168.1.0/24, 2001:db8:0:0:1::/80,10.1.2.3");
  ASSERT_EQ(list.error, "");
  EXPECT_TRUE(IsAllowed(list.ranges, "192.168.1.255"));
  EXPECT_FALSE(IsAllowed(list.ranges, "192.168.2.1"));
  EXPECT_TRUE(IsAllowed(list.ranges, "2001:db8::1:0:ffff:1"));
  EXPECT_FALSE(IsAllowed(list.ranges, "2001:db8::2:0:0:1"));
  EXPECT_TRUE(IsAllowed(list.ranges, "10.1.2.3"));
  EXPECT_FALSE(IsAllowed(list.ranges, "10.1.2.4"));
  EXPECT_FALSE(IsAllowed(list.ranges, "127.0.0.1"));
  EXPECT_NE(ParseAllowList("10.0.0.0/8,,::1").error.find("an empty entry"), std::string::npos);

  EXPECT_TRUE(ParseAddress("1:2:3:4:5:6:7:8"));
  ASSERT_TRUE(ParseAddress("::ffff:1.2.3.4"));
  EXPECT_FALSE(ParseAddress("::ffff:1.2.3.4")->v6);
  for (const char* bad : {"1:2:3:4:5:6:7", "1::2::3", "12345::", "1:2:3:4:5:6:7:8:9", "1.2.3",
                          "1.2.3.4.5", "01234.1.1.1", "::g"}) {
    EXPECT_FALSE(ParseAddress(bad)) << bad;
  }
}

TEST(LoginFile, WritesAndChecksCivetWebsDigestLines) {
  EXPECT_EQ(DigestSource("alice", "secret"), "alice:Tunaro:secret");
  const std::string line = LoginLine("alice", "2800664529971f46849f3f56cbe96800");
  EXPECT_EQ(line, "alice:Tunaro:2800664529971f46849f3f56cbe96800\r\n");
  EXPECT_EQ(LoginTextProblem(line), std::nullopt);
  EXPECT_EQ(LoginTextProblem(line + "\nbob:Tunaro:00000000000000000000000000000000\n"),
            std::nullopt);

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
    const std::optional<std::string> problem = LoginTextProblem(text);
    ASSERT_TRUE(problem) << text;
    EXPECT_NE(problem->find(said), std::string::npos) << *problem;
  }
  EXPECT_TRUE(IsGoodUserName("J\xc3\xb6rg M"));
  EXPECT_FALSE(IsGoodUserName("a:b"));
  EXPECT_FALSE(IsGoodUserName(std::string(65, 'a')));
}

TEST(LoginFile, IsFoundBesideTheProgramAndWrittenWhole) {
  FakeServerSystem system;
  const std::string path = "C:\\Tunaro\\tunaro-login.htdigest";
  EXPECT_EQ(LoginFilePath(system), path);
  EXPECT_EQ(CheckLoginFile(system).state, LoginFileState::kMissing);

  SaveLoginFile(system, "alice", "2800664529971f46849f3f56cbe96800");
  EXPECT_EQ(system.files[path], "alice:Tunaro:2800664529971f46849f3f56cbe96800\r\n");
  EXPECT_EQ(CheckLoginFile(system).state, LoginFileState::kGood);

  system.files[path] = "alice:secret\r\n";
  const LoginFileCheck broken = CheckLoginFile(system);
  EXPECT_EQ(broken.state, LoginFileState::kBroken);
  EXPECT_NE(broken.problem.find("line 1"), std::string::npos);

  // One that cannot be read ends the program as a bad login; one that cannot
  // be written as a failure, saying what the user can do.
  system.unreadable.insert(path);
  try {
    CheckLoginFile(system);
    ADD_FAILURE() << "an unreadable login file passed";
  } catch (const RunError& failure) {
    EXPECT_EQ(ExitCodeOf(failure), exit_code::kBadLogin);
    EXPECT_EQ(failure.description(), "cannot read the login file " + path);
  }
  system.unwritable.insert(path);
  try {
    SaveLoginFile(system, "alice", "2800664529971f46849f3f56cbe96800");
    ADD_FAILURE() << "an unwritable login file passed";
  } catch (const RunError& failure) {
    EXPECT_EQ(ExitCodeOf(failure), exit_code::kFailed);
    EXPECT_EQ(failure.description(),
              "cannot write " + path + " (error 5): is the folder your own?");
  }
}

}  // namespace
}  // namespace tunaro::server
