// Who may use tunaro-server.exe: the address list, the login file, the
// hashes, the reading of the request's fields, the pairing code, the attempt
// limit, the Host rule, the devices, the digest check, and the gate that puts
// them together, against the fake seam.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "base/run_error.h"
#include "server/access/access_gate.h"
#include "server/access/address_allow.h"
#include "server/access/attempt_limit.h"
#include "server/access/device_store.h"
#include "server/access/digest_check.h"
#include "server/access/host_rule.h"
#include "server/access/http_fields.h"
#include "server/access/login_digest.h"
#include "server/access/login_file.h"
#include "server/access/md5.h"
#include "server/access/pairing_code.h"
#include "server/access/sha256.h"
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
  EXPECT_EQ(system.user_only.count(path), 1u);
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

namespace tunaro::server {
namespace {

TEST(Hashes, Md5AndSha256GiveTheStandardVectors) {
  // RFC 1321's suite, and the block boundaries of the padding (55, 56, 63,
  // 64 bytes: one block or two).
  const std::pair<std::string, const char*> md5[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
      {std::string(55, 'a'), "ef1772b6dff9a122358552954ad0df65"},
      {std::string(56, 'a'), "3b0c8ac703f828b04c6c197006d17218"},
      {std::string(63, 'a'), "b06521f39153d618550606be297466d5"},
      {std::string(64, 'a'), "014842d480b571495a4a0363793f7367"},
  };
  for (const auto& [text, hex] : md5) EXPECT_EQ(Md5Hex(text), hex) << text.size();
  // FIPS 180-2's examples and the same boundaries.
  const std::pair<std::string, const char*> sha256[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {std::string(1000000, 'a'),
       "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
      {std::string(55, 'a'), "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318"},
      {std::string(56, 'a'), "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a"},
      {std::string(64, 'a'), "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb"},
  };
  for (const auto& [text, hex] : sha256) EXPECT_EQ(Sha256Hex(text), hex) << text.size();
  // The login file's digest, as CivetWeb's mg_md5 made it before.
  EXPECT_EQ(LoginDigestHex("alice", "secret"), "2800664529971f46849f3f56cbe96800");
}

TEST(LoginFile, ReadsItsLoginsAndRefusesShortPasswords) {
  EXPECT_EQ(PasswordProblem("1234567"), "a password of at least 8 characters, please");
  EXPECT_EQ(PasswordProblem("12345678"), std::nullopt);
  // Characters, not bytes: seven letters of two bytes each are seven.
  EXPECT_TRUE(PasswordProblem("\xc3\xa4\xc3\xb6\xc3\xbc\xc3\x9f\xc3\xa4\xc3\xb6\xc3\xbc"));
  EXPECT_FALSE(PasswordProblem("\xc3\xa4\xc3\xb6\xc3\xbc\xc3\x9f\xc3\xa4\xc3\xb6\xc3\xbc!"));

  const std::vector<LoginEntry> logins = LoginsOf(
      "alice:Tunaro:2800664529971f46849f3f56cbe96800\r\n\r\nbob:Tunaro:" + std::string(32, '0') +
      "\n");
  ASSERT_EQ(logins.size(), 2u);
  EXPECT_EQ(logins[0].user, "alice");
  EXPECT_EQ(logins[0].md5_hex, "2800664529971f46849f3f56cbe96800");
  EXPECT_EQ(logins[1].user, "bob");
  EXPECT_TRUE(LoginsOf("alice:secret\n").empty());
  FakeServerSystem system;
  EXPECT_TRUE(ReadLogins(system).empty());
  system.unreadable.insert(LoginFilePath(system));
  EXPECT_TRUE(ReadLogins(system).empty());
}

TEST(HttpFields, ReadsHostCookiesDigestParametersAndFormFields) {
  const std::pair<const char*, HostHeader> hosts[] = {
      {"Desk:8080", {"desk", 8080}},
      {" 192.168.1.20:80 ", {"192.168.1.20", 80}},
      {"[::1]:8080", {"[::1]", 8080}},
      {"[FE80::1]", {"[fe80::1]", std::nullopt}},
      {"desk.local.", {"desk.local.", std::nullopt}},
  };
  for (const auto& [text, expected] : hosts) {
    const std::optional<HostHeader> host = ParseHostHeader(text);
    ASSERT_TRUE(host) << text;
    EXPECT_EQ(host->name, expected.name) << text;
    EXPECT_EQ(host->port, expected.port) << text;
  }
  for (const char* bad :
       {"", ":8080", "desk:", "desk:0", "desk:65536", "desk:80:80", "de sk", "desk@evil.example",
        "desk/x", "[::1", "[::1]x", "[zz::1]:80", "desk:+80", "evil.example\r\nX: y"}) {
    EXPECT_FALSE(ParseHostHeader(bad)) << bad;
  }

  EXPECT_EQ(CookieValues("a=1; tunaro_device=abc;b=2; tunaro_device=\"def\"", "tunaro_device"),
            (std::vector<std::string>{"abc", "def"}));
  EXPECT_TRUE(
      CookieValues("xtunaro_device=1; tunaro_devicex=2; tunaro_device", "tunaro_device").empty());

  const auto digest = DigestParameters(
      "Digest username=\"al\\\"ice\", realm=\"Tunaro\",nc=00000001 ,  qop=auth, uri=\"/a?b=c,d\"");
  ASSERT_TRUE(digest);
  EXPECT_EQ(digest->at("username"), "al\"ice");
  EXPECT_EQ(digest->at("nc"), "00000001");
  EXPECT_EQ(digest->at("qop"), "auth");
  EXPECT_EQ(digest->at("uri"), "/a?b=c,d");
  for (const char* bad : {"Basic YWxpY2U6c2VjcmV0", "Digest", "Digest a=1, a=2", "Digest a=\"open",
                          "Digest a=1,", "Digest =1", "Digest a=1 b=2", "Digestive a=1"}) {
    EXPECT_FALSE(DigestParameters(bad)) << bad;
  }

  EXPECT_EQ(FormField("x=1&code=abcd+efgh%2D%4A%zz&code=2", "code"), "abcd efgh-J%zz");
  EXPECT_EQ(FormField("code", "code"), "");
  EXPECT_EQ(FormField("codes=1", "code"), std::nullopt);
  EXPECT_EQ(PercentDecoded("/a+b%20c%2", false), "/a+b c%2");
}

TEST(PairingCode, EightCharactersOfThirtyTwoWithoutLookAlikes) {
  const std::string alphabet = kPairingAlphabet;
  EXPECT_EQ(alphabet.size(), 32u);
  EXPECT_EQ(std::set<char>(alphabet.begin(), alphabet.end()).size(), 32u);
  for (char look_alike : std::string("0O1I")) {
    EXPECT_EQ(alphabet.find(look_alike), std::string::npos) << look_alike;
  }
  // Five bytes, 5 bits to a character, the first bits first: every bit counts.
  EXPECT_EQ(PairingCodeOf(std::string("\x00\x44\x32\x14\xc7", 5)), "23456789");
  EXPECT_EQ(PairingCodeOf(std::string(5, '\0')), "22222222");
  EXPECT_EQ(PairingCodeOf(std::string(5, '\xff')), "ZZZZZZZZ");

  EXPECT_EQ(TypedPairingCode("abcd-efgh"), "ABCDEFGH");
  EXPECT_EQ(TypedPairingCode(" ABCD EFGH "), "ABCDEFGH");
  for (const char* bad : {"", "ABCDEFG", "ABCDEFGHJ", "ABCD0FGH", "ABCDIFGH", "ABCD+FGH"}) {
    EXPECT_FALSE(TypedPairingCode(bad)) << bad;
  }
  EXPECT_EQ(ShownPairingCode("ABCDEFGH"), "ABCD-EFGH");
  EXPECT_EQ(PairingLink("192.168.1.20", 8080, "ABCDEFGH"),
            "http://192.168.1.20:8080/pair#ABCDEFGH");
}

TEST(PairingCode, LastsTenMinutesOrOneUseThenIsReplaced) {
  FakeServerSystem system;
  PairingCodeKeeper keeper(system);
  const PairingCodeKeeper::Code first = keeper.Current();
  EXPECT_EQ(first.text, "26328327");  // the fake's bytes 1, 2, 3, 4, 5
  EXPECT_EQ(first.expires_at, system.unix_time + 600);
  EXPECT_EQ(keeper.Current().text, first.text);
  const std::uint64_t generation = keeper.generation();

  EXPECT_EQ(keeper.Check("ZZZZZZZZ"), CodeCheck::kWrong);
  EXPECT_EQ(keeper.Current().text, first.text);  // a wrong one uses nothing up
  EXPECT_EQ(keeper.Check("2632-8327"), CodeCheck::kRight);
  EXPECT_EQ(keeper.Check("26328327"), CodeCheck::kPast);  // once only
  const std::string second = keeper.Current().text;
  EXPECT_NE(second, first.text);
  EXPECT_EQ(keeper.generation(), generation + 1);

  system.unix_time += 599;
  EXPECT_EQ(keeper.Current().text, second);
  system.unix_time += 1;
  EXPECT_NE(keeper.Current().text, second);
  EXPECT_EQ(keeper.Check(second), CodeCheck::kPast);
  // A clock set back past the code's start replaces it as well.
  const std::string third = keeper.Current().text;
  system.unix_time -= 3600;
  EXPECT_NE(keeper.Current().text, third);
}

TEST(AttemptLimit, FiveWrongWithinAMinuteMakeTheAddressWaitAMinute) {
  AttemptLimit limit;
  std::int64_t now = 1000;
  for (int i = 1; i <= 4; ++i) EXPECT_EQ(limit.Fail("10.0.0.5", now + i), i);
  EXPECT_EQ(limit.WaitFor("10.0.0.5", now + 4), 0);
  EXPECT_EQ(limit.Fail("10.0.0.5", now + 5), 5);
  EXPECT_EQ(limit.WaitFor("10.0.0.5", now + 5), 60);
  EXPECT_EQ(limit.WaitFor("10.0.0.6", now + 5), 0);  // another address is not held
  EXPECT_EQ(limit.WaitFor("10.0.0.5", now + 64), 1);
  EXPECT_EQ(limit.WaitFor("10.0.0.5", now + 65), 0);
  EXPECT_EQ(limit.Fail("10.0.0.5", now + 65), 1);  // counted afresh

  // Spread over more than a minute, failures never add up to five.
  now = 5000;
  for (int i = 0; i < 20; ++i) EXPECT_LE(limit.Fail("10.0.0.7", now + i * 15), 4);
  EXPECT_EQ(limit.WaitFor("10.0.0.7", now + 300), 0);
}

TEST(HostRule, AnswersToItsOwnNamesAndAddressesWithItsPortOnly) {
  FakeServerSystem system;
  system.computer_name = "DESK";
  system.dns_host_name = "Living-Room-PC-Upstairs";
  system.dns_suffixes = {"corp.example", "Fritz.Box"};
  system.adapters.resize(2);
  system.adapters[0].up = true;
  system.adapters[0].ipv4 = {"192.168.1.20"};
  system.adapters[1].ipv4 = {"10.8.0.2"};
  HostRule rule(system, 8080, {"Musik.Example.Net"});
  for (const char* allowed :
       {"localhost:8080", "127.0.0.1:8080", "[::1]:8080", "desk:8080", "DESK:8080",
        "desk.local:8080", "Desk.Fritz.Box:8080", "desk.corp.example:8080",
        "living-room-pc-upstairs:8080", "living-room-pc-upstairs.fritz.box.:8080",
        "192.168.1.20:8080", "10.8.0.2:8080", "musik.example.net:8080"}) {
    EXPECT_TRUE(rule.Allows(std::string(allowed))) << allowed;
  }
  for (const char* refused :
       {"evil.example:8080", "desk:8081", "desk", "desk.evil.example:8080", "desk.local.evil:8080",
        "192.168.1.21:8080", "127.0.0.2:8080", "[::2]:8080", "desk..local:8080", "x.desk:8080",
        "localhost:80", ""}) {
    EXPECT_FALSE(rule.Allows(std::string(refused))) << refused;
  }
  EXPECT_FALSE(rule.Allows(std::nullopt));
  EXPECT_TRUE(HostRule(system, 80, {}).Allows(std::string("desk")));

  // A new address is learned, but a name it does not know has the adapters
  // read again at most every 30 s.
  system.adapters[0].ipv4 = {"192.168.1.30"};
  EXPECT_FALSE(rule.Allows(std::string("192.168.1.30:8080")));
  system.unix_time += 30;
  EXPECT_TRUE(rule.Allows(std::string("192.168.1.30:8080")));
  EXPECT_FALSE(rule.Allows(std::string("192.168.1.20:8080")));
}

// A devices file as the store writes it, with the token of 32 bytes 1, 2, ...
std::string TokenOfBytesFrom(unsigned char first) {
  std::string bytes;
  for (int i = 0; i < 32; ++i) bytes += static_cast<char>(first + i);
  return bytes;
}

TEST(DeviceStore, KeepsHashesOnlyAndRecognizesTokensAcrossRestarts) {
  FakeServerSystem system;
  const std::string path = "C:\\Tunaro\\tunaro-devices.txt";
  EXPECT_EQ(DevicesFilePath(system), path);
  const char kIphone[] =
      "Mozilla/5.0 (iPhone; CPU iPhone OS 17_4 like Mac OS X) AppleWebKit/605.1.15 (KHTML, like "
      "Gecko) Version/17.4 Mobile/15E148 Safari/604.1";
  std::string token;
  {
    DeviceStore store(system);
    EXPECT_TRUE(store.devices().empty());
    token = store.Pair(kIphone);
  }
  // The token is the fake's next 32 bytes, as hex; the file has its hash alone.
  EXPECT_EQ(token, "0102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f20");
  const std::string& file = system.files[path];
  EXPECT_EQ(file.find(token), std::string::npos);
  EXPECT_NE(
      file.find(Sha256Hex(TokenOfBytesFrom(1)) + "\t1800000000\t1800000000\tiPhone, Safari\n"),
      std::string::npos);
  EXPECT_EQ(system.user_only.count(path), 1u);

  DeviceStore again(system);  // a restart
  ASSERT_EQ(again.devices().size(), 1u);
  const std::string id = DeviceId(again.devices()[0]);
  EXPECT_EQ(again.Recognize(token), id);
  EXPECT_EQ(again.Recognize("0102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F20"),
            id);
  EXPECT_FALSE(again.Recognize(token.substr(2)));
  EXPECT_FALSE(again.Recognize(std::string(64, 'z')));
  EXPECT_FALSE(again.Recognize(std::string(64, '0')));

  // Seen again after an hour, the file learns it; within the hour, not.
  system.unix_time += 1800;
  again.Recognize(token);
  EXPECT_NE(system.files[path].find("\t1800000000\tiPhone"), std::string::npos);
  system.unix_time += 1800;
  again.Recognize(token);
  EXPECT_NE(system.files[path].find("\t1800003600\tiPhone"), std::string::npos);
  DeviceStore renamed(system);
  EXPECT_TRUE(renamed.Rename(id, "Anna's\tphone\n"));
  ASSERT_EQ(DeviceStore(system).devices().size(), 1u);
  EXPECT_EQ(DeviceStore(system).devices()[0].name, "Anna's phone");
  // Not seen for a year: forgotten.
  system.unix_time += kDeviceSeconds + 1;
  EXPECT_FALSE(renamed.Recognize(token));
  system.unix_time -= kDeviceSeconds + 1;
  EXPECT_FALSE(renamed.Forget("0000000000000000"));
  EXPECT_TRUE(renamed.Forget(id));
  EXPECT_TRUE(DeviceStore(system).devices().empty());
  EXPECT_EQ(renamed.health().state, DevicesFileState::kGood);
}

TEST(DeviceStore, ABrokenOrUnwritableFileIsReportedAndNeverWrittenOver) {
  FakeServerSystem system;
  const std::string path = DevicesFilePath(system);
  const std::string broken =
      "# devices\n" + std::string(64, 'a') + "\t1\t2\tA phone\nnot a device\n";
  system.files[path] = broken;
  DeviceStore store(system);
  EXPECT_EQ(store.health().state, DevicesFileState::kBroken);
  EXPECT_NE(store.health().problem.find("line 3"), std::string::npos);
  EXPECT_NE(store.health().what_to_do.find("--forget-devices"), std::string::npos);
  // Pairing works for this run; the file keeps what it had.
  const std::string token = store.Pair("curl/8.0");
  EXPECT_TRUE(store.Recognize(token));
  EXPECT_EQ(system.files[path], broken);

  EXPECT_EQ(ForgetAllDevices(system), 0);
  EXPECT_TRUE(ReadDevicesText(system.files[path]).problem.empty());
  EXPECT_TRUE(DeviceStore(system).devices().empty());

  system.unwritable.insert(path);
  DeviceStore unwritable(system);
  const std::string kept = unwritable.Pair("");
  EXPECT_EQ(unwritable.health().state, DevicesFileState::kUnwritable);
  EXPECT_NE(unwritable.health().problem.find("cannot write"), std::string::npos);
  EXPECT_TRUE(unwritable.Recognize(kept));
  EXPECT_EQ(unwritable.devices()[0].name, "A device");

  system.unreadable.insert(path);
  EXPECT_EQ(DeviceStore(system).health().state, DevicesFileState::kUnreadable);
}

TEST(DeviceStore, NamesADeviceAfterItsSystemAndBrowser) {
  const std::pair<const char*, const char*> agents[] = {
      {"Mozilla/5.0 (Linux; Android 14; Pixel 8) AppleWebKit/537.36 (KHTML, like Gecko) "
       "Chrome/124.0 Mobile Safari/537.36",
       "Android, Chrome"},
      {"Mozilla/5.0 (Windows NT 10.0; Win64; x64; rv:125.0) Gecko/20100101 Firefox/125.0",
       "Windows, Firefox"},
      {"Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
       "Chrome/124.0 Safari/537.36 Edg/124.0",
       "Windows, Edge"},
      {"Mozilla/5.0 (iPad; CPU OS 17_4 like Mac OS X) AppleWebKit/605.1.15 (KHTML, like Gecko) "
       "CriOS/124.0 Mobile/15E148 Safari/604.1",
       "iPad, Chrome"},
      {"curl/8.5.0", "curl/8.5.0"},
      {"", "A device"},
      {"\x01\x02", "A device"},
  };
  for (const auto& [agent, name] : agents) EXPECT_EQ(DeviceNameFrom(agent), name) << agent;
}

// An Authorization header as a client makes it for `uri`.
std::string DigestHeader(const std::string& nonce, const std::string& nc, const std::string& uri,
                         const std::string& password = "secret",
                         const std::string& method = "GET") {
  const std::string ha1 = LoginDigestHex("alice", password);
  return "Digest username=\"alice\", realm=\"Tunaro\", nonce=\"" + nonce + "\", uri=\"" + uri +
         "\", algorithm=MD5, qop=auth, nc=" + nc + ", cnonce=\"c0ffee\", response=\"" +
         DigestResponse(ha1, nonce, nc, "c0ffee", method, uri) + "\"";
}

TEST(DigestCheck, TakesEachCountOnceForItsOwnTargetWhileTheNonceLives) {
  // RFC 2617's example.
  EXPECT_EQ(DigestResponse(Md5Hex("Mufasa:testrealm@host.com:Circle Of Life"),
                           "dcd98b7102dd2f0e8b11d0f600bfb0c093", "00000001", "0a4f113b", "GET",
                           "/dir/index.html"),
            "6629fae49393a05397450978507c4ef1");

  FakeServerSystem system;
  NonceBook nonces(system);
  const std::vector<LoginEntry> logins = {{"alice", LoginDigestHex("alice", "secret")}};
  const DigestTarget status{"GET", "/cgi-bin/tunaro/tunaro", std::string("status")};
  const std::string nonce = nonces.Issue();
  EXPECT_EQ(nonce.size(), 32u);
  auto check = [&](const std::string& header,
                   const DigestTarget& target = {"GET", "/cgi-bin/tunaro/tunaro", "status"}) {
    return CheckDigest(header, target, logins, nonces).verdict;
  };
  const std::string first = DigestHeader(nonce, "00000001", "/cgi-bin/tunaro/tunaro?status");
  const DigestCheck good = CheckDigest(first, status, logins, nonces);
  EXPECT_EQ(good.verdict, DigestVerdict::kGood);
  EXPECT_EQ(good.user, "alice");
  EXPECT_EQ(check(first), DigestVerdict::kStale);  // the same count again

  // Captured and sent to another target: another query, path or method.
  const std::string next = DigestHeader(nonce, "00000002", "/cgi-bin/tunaro/tunaro?status");
  EXPECT_EQ(check(next, {"GET", "/cgi-bin/tunaro/tunaro", std::string("stop")}),
            DigestVerdict::kWrong);
  EXPECT_EQ(check(next, {"GET", "/cgi-bin/tunaro/tunaro", std::nullopt}), DigestVerdict::kWrong);
  EXPECT_EQ(check(next, {"POST", "/cgi-bin/tunaro/tunaro", std::string("status")}),
            DigestVerdict::kWrong);
  EXPECT_EQ(check(next), DigestVerdict::kGood);
  // The path as sent (%-escaped) names the path CivetWeb decoded.
  EXPECT_EQ(check(DigestHeader(nonce, "00000003", "/my%20photos/a.png"),
                  {"GET", "/my photos/a.png", std::nullopt}),
            DigestVerdict::kGood);

  // Counts out of order within the window, never one taken or far behind.
  EXPECT_EQ(check(DigestHeader(nonce, "00000050", "/cgi-bin/tunaro/tunaro?status")),
            DigestVerdict::kGood);
  EXPECT_EQ(check(DigestHeader(nonce, "00000020", "/cgi-bin/tunaro/tunaro?status")),
            DigestVerdict::kGood);
  EXPECT_EQ(check(DigestHeader(nonce, "00000020", "/cgi-bin/tunaro/tunaro?status")),
            DigestVerdict::kStale);
  EXPECT_EQ(check(DigestHeader(nonce, "0000000f", "/cgi-bin/tunaro/tunaro?status")),
            DigestVerdict::kStale);
  EXPECT_EQ(check(DigestHeader(nonce, "00000000", "/cgi-bin/tunaro/tunaro?status")),
            DigestVerdict::kStale);

  // A wrong password, or an unknown user, is wrong; an unknown nonce (of the
  // last run) with the right answer only stale.
  EXPECT_EQ(check(DigestHeader(nonce, "00000060", "/cgi-bin/tunaro/tunaro?status", "wrong")),
            DigestVerdict::kWrong);
  EXPECT_EQ(CheckDigest(DigestHeader(nonce, "00000061", "/cgi-bin/tunaro/tunaro?status"), status,
                        {{"bob", LoginDigestHex("bob", "secret")}}, nonces)
                .verdict,
            DigestVerdict::kWrong);
  EXPECT_EQ(check(DigestHeader(std::string(32, 'a'), "00000001", "/cgi-bin/tunaro/tunaro?status")),
            DigestVerdict::kStale);
  // Expired after 10 minutes.
  system.unix_time += kNonceSeconds;
  EXPECT_EQ(check(DigestHeader(nonce, "00000070", "/cgi-bin/tunaro/tunaro?status")),
            DigestVerdict::kStale);

  // Without qop=auth there is no count to check: not a login at all.
  std::string without_qop =
      DigestHeader(nonces.Issue(), "00000001", "/cgi-bin/tunaro/tunaro?status");
  without_qop.replace(without_qop.find("qop=auth"), 8, "qop=none");
  EXPECT_EQ(check(without_qop), DigestVerdict::kNone);
  EXPECT_EQ(check("Basic YWxpY2U6c2VjcmV0"), DigestVerdict::kNone);
  EXPECT_EQ(DigestChallenge("abc", true),
            "Digest realm=\"Tunaro\", qop=\"auth\", algorithm=MD5, nonce=\"abc\", stale=true");
}

// The gate with a login file, and requests as a phone's browser, an image
// load and curl make them.
class AccessGateTest : public ::testing::Test {
 protected:
  AccessGateTest() { SaveLoginFile(system_, "alice", LoginDigestHex("alice", "secret")); }

  AccessRequest Phone(const std::string& path = "/cgi-bin/tunaro/tunaro") {
    AccessRequest request;
    request.method = "GET";
    request.path = path;
    request.client = "192.168.1.5";
    request.user_agent = "Mozilla/5.0 (Linux; Android 14) Chrome/124.0 Mobile Safari/537.36";
    request.fetch_mode = "navigate";
    return request;
  }
  AccessRequest Curl() {
    AccessRequest request = Phone();
    request.user_agent = "curl/8.5.0";
    request.fetch_mode.clear();
    request.client = "127.0.0.1";
    return request;
  }
  static std::string CookieOf(const std::string& set_cookie) {
    return set_cookie.substr(0, set_cookie.find(';'));
  }
  static std::string NonceOf(const std::string& challenge) {
    const std::size_t start = challenge.find("nonce=\"") + 7;
    return challenge.substr(start, challenge.find('"', start) - start);
  }

  FakeServerSystem system_;
  AccessGate gate_{system_, AccessSettings{8080, {}}};
};

TEST_F(AccessGateTest, APhonePairsWithTheCodeOnceAndStaysPaired) {
  EXPECT_EQ(gate_.Admit(Phone(), false).admission, Admission::kNotPaired);
  AccessRequest image = Phone("/images/play.gif");
  image.fetch_mode = "no-cors";
  EXPECT_EQ(gate_.Admit(image, false).admission, Admission::kNotPaired);

  const std::string code = gate_.CurrentCode().text;
  const PairingAnswer paired = gate_.Pair(Phone("/pair"), code);
  ASSERT_EQ(paired.outcome, PairingOutcome::kPaired);
  EXPECT_EQ(paired.log, "pairing: 192.168.1.5 is paired now, as \"Android, Chrome\"");
  EXPECT_EQ(paired.set_cookie.substr(paired.set_cookie.find(';')),
            "; Max-Age=31536000; Path=/; HttpOnly; SameSite=Strict");
  EXPECT_NE(gate_.CurrentCode().text, code);
  ASSERT_EQ(gate_.devices().size(), 1u);

  AccessRequest paired_phone = Phone();
  paired_phone.cookies = "other=1; " + CookieOf(paired.set_cookie);
  const AccessAnswer in = gate_.Admit(paired_phone, false);
  EXPECT_EQ(in.admission, Admission::kLetIn);
  EXPECT_EQ(in.set_cookie, paired.set_cookie);  // renewed for another year
  AccessGate restarted(system_, AccessSettings{8080, {}});
  EXPECT_EQ(restarted.Admit(paired_phone, false).admission, Admission::kLetIn);

  // The same code from another phone: used up.
  AccessRequest other = Phone("/pair");
  other.client = "192.168.1.6";
  const PairingAnswer again = gate_.Pair(other, code);
  EXPECT_EQ(again.outcome, PairingOutcome::kPast);
  EXPECT_EQ(again.log, "pairing: a used or expired code from 192.168.1.6 (1 of 5 within a minute)");

  // Forgotten in the window: the pairing page again, not an error.
  EXPECT_TRUE(gate_.ForgetDevice(DeviceId(gate_.devices()[0])));
  EXPECT_EQ(gate_.Admit(paired_phone, false).admission, Admission::kNotPaired);
}

TEST_F(AccessGateTest, FiveWrongCodesMakeTheAddressWaitEvenForTheRightOne) {
  const std::string code = gate_.CurrentCode().text;
  for (int i = 1; i <= 5; ++i)
    EXPECT_EQ(gate_.Pair(Phone(), "ZZZZ-ZZZZ").outcome, PairingOutcome::kWrong);
  const PairingAnswer held = gate_.Pair(Phone(), code);
  EXPECT_EQ(held.outcome, PairingOutcome::kWaiting);
  EXPECT_EQ(held.wait, 60);
  system_.unix_time += 60;
  EXPECT_EQ(gate_.Pair(Phone(), code).outcome, PairingOutcome::kPaired);

  // An expired code counts as one no longer good.
  const std::string next = gate_.CurrentCode().text;
  system_.unix_time += kPairingCodeSeconds;
  EXPECT_EQ(gate_.Pair(Phone(), next).outcome, PairingOutcome::kPast);
}

TEST_F(AccessGateTest, ScriptsLogInWithDigestAndABrowsersLoginPairsIt) {
  // curl and Node's fetch (which sends Sec-Fetch-Mode, and a test may send
  // Sec-Fetch-Site) are asked for a digest login; a browser is not, unless at
  // /login.
  const AccessAnswer asked = gate_.Admit(Curl(), false);
  ASSERT_EQ(asked.admission, Admission::kChallenge);
  AccessRequest node = Curl();
  node.user_agent = "node";
  node.fetch_mode = "cors";
  node.cookies = "tunaro_device=" + std::string(64, '0');  // not a device's
  EXPECT_EQ(gate_.Admit(node, false).admission, Admission::kChallenge);
  AccessRequest old_browser = Curl();
  old_browser.user_agent = "Mozilla/5.0 (Windows NT 6.1; rv:60.0) Gecko/20100101 Firefox/60.0";
  EXPECT_EQ(gate_.Admit(old_browser, false).admission, Admission::kNotPaired);
  EXPECT_EQ(gate_.Admit(Phone(), false).admission, Admission::kNotPaired);
  EXPECT_EQ(gate_.Admit(Phone(), true).admission, Admission::kChallenge);

  AccessRequest curl = Curl();
  curl.query = "status";
  curl.authorization =
      DigestHeader(NonceOf(asked.challenge), "00000001", "/cgi-bin/tunaro/tunaro?status");
  const AccessAnswer in = gate_.Admit(curl, false);
  EXPECT_EQ(in.admission, Admission::kLetIn);
  EXPECT_EQ(in.user, "alice");
  EXPECT_EQ(in.set_cookie, "");  // a script gets no device
  // Replayed: asked again, stale, so that a client retries without its user.
  const AccessAnswer replayed = gate_.Admit(curl, false);
  EXPECT_EQ(replayed.admission, Admission::kChallenge);
  EXPECT_NE(replayed.challenge.find("stale=true"), std::string::npos);

  // A browser's digest login pairs it, for the page it opens, not its images.
  AccessRequest browser = Phone("/login");
  browser.authorization = DigestHeader(NonceOf(asked.challenge), "00000002", "/login");
  const AccessAnswer paired = gate_.Admit(browser, true);
  EXPECT_EQ(paired.admission, Admission::kLetIn);
  EXPECT_NE(paired.set_cookie, "");
  EXPECT_EQ(gate_.devices().size(), 1u);
  AccessRequest image = Phone("/images/play.gif");
  image.fetch_mode = "no-cors";
  image.authorization = DigestHeader(NonceOf(asked.challenge), "00000003", "/images/play.gif");
  EXPECT_EQ(gate_.Admit(image, false).set_cookie, "");

  // Wrong passwords count toward the limit, and then the right one waits too.
  for (int i = 0; i < 5; ++i) {
    curl.authorization = DigestHeader(NonceOf(asked.challenge), "0000001" + std::to_string(i),
                                      "/cgi-bin/tunaro/tunaro?status", "wrong");
    EXPECT_EQ(gate_.Admit(curl, false).admission, Admission::kChallenge);
  }
  curl.authorization =
      DigestHeader(NonceOf(asked.challenge), "00000020", "/cgi-bin/tunaro/tunaro?status");
  EXPECT_EQ(gate_.Admit(curl, false).admission, Admission::kWaiting);

  // Without a login file, no one is asked for a password.
  system_.files.clear();
  EXPECT_EQ(gate_.Admit(Curl(), false).admission, Admission::kNotPaired);
}

}  // namespace
}  // namespace tunaro::server
