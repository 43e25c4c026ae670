// The status answer over the fake system: what the exe test cannot reach
// (rounding edges, the escaper, the hash, a player without program file or
// one that hangs) and the order of a read under the playlist file lock.
#include <gtest/gtest.h>

#include "app/main_entry.h"
#include "base/content_hash.h"
#include "player/live_status.h"
#include "player/player_messages.h"
#include "render/json_text.h"
#include "testing/fake_system.h"

namespace tunaro {
namespace {

constexpr char kJsonHeader[] = "Content-type: application/json; charset=utf-8\r\n\r\n";

TEST(JsonStringTest, EscapesWhatJsonAndPagesNeed) {
  EXPECT_EQ(JsonString(""), "\"\"");
  EXPECT_EQ(JsonString("a\"b\\c/d"), "\"a\\\"b\\\\c/d\"");
  EXPECT_EQ(JsonString(std::string("\x00\x01\n\x1f\x20\x7f", 6)),
            "\"\\u0000\\u0001\\u000a\\u001f \\u007f\"");
  EXPECT_EQ(JsonString("</script><!--&"), "\"\\u003c/script\\u003e\\u003c!--\\u0026\"");
  // UTF-8 passes as it is, but for the two line separators of old scripts;
  // bytes cut short at the end stay as they were.
  EXPECT_EQ(JsonString("Caf\xc3\xa9 \xe2\x80\x93 \xe2\x80\xa8\xe2\x80\xa9 \xe2\x80"),
            "\"Caf\xc3\xa9 \xe2\x80\x93 \\u2028\\u2029 \xe2\x80\"");
}

TEST(VolumeTest, RoundsHalfUpBothWays) {
  const std::pair<int, int> to_percent[] = {{0, 0},     {1, 0},     {2, 1},  {127, 50},  {128, 50},
                                            {254, 100}, {255, 100}, {-1, 0}, {256, 100}, {-666, 0}};
  for (const auto& [volume, percent] : to_percent) EXPECT_EQ(VolumePercent(volume), percent);
  const std::pair<int, int> to_volume[] = {{0, 0}, {1, 3}, {50, 128}, {99, 252}, {100, 255}};
  for (const auto& [percent, volume] : to_volume) {
    EXPECT_EQ(PlayerVolume(percent), volume);
    EXPECT_EQ(VolumePercent(volume), percent);  // every percentage comes back as it was set
  }
}

TEST(ContentHashTest, AnyChangeChangesIt) {
  const std::string list = "#EXTM3U\r\n#EXTINF:205,Alpha\r\nC:\\a.mp3\r\n";
  const std::uint64_t hash = ContentHash(list);
  EXPECT_EQ(ContentHash(std::string(list)), hash);
  for (std::size_t at = 0; at < list.size(); ++at) {
    std::string changed = list;
    changed[at] ^= 1;
    EXPECT_NE(ContentHash(changed), hash) << at;
    EXPECT_NE(ContentHash(std::string_view(list).substr(0, at)), hash) << at;
  }
  EXPECT_NE(ContentHash(std::string(16, '\0')), ContentHash(std::string(17, '\0')));
  EXPECT_EQ(HashText(0x0123456789abcdefu), "0123456789abcdef");
  EXPECT_EQ(HashText(1), "0000000000000001");
}

class StatusRunTest : public ::testing::Test {
 protected:
  StatusRunTest() {
    system_.SetConfiguration("IMGDIR /img/\r\nWWWPATH /cgi-bin/tunaro/\r\n");
    system_.environment["REQUEST_METHOD"] = "GET";
    system_.player.playlist.entries =
        player_model::EntriesTitled({"Alpha", "Caf\xe9 \x96 \"B\"", "Gamma"});
    system_.player.playlist.current = 1;
    system_.player.playlist.state = player_model::PlayState::kPaused;
    system_.player.playback.volume = 128;
    system_.SetFile(system_.player.program_path, "MZ");
  }
  std::string Run(const std::string& query) {
    system_.environment["QUERY_STRING"] = query;
    system_.output.clear();
    system_.output_position = 0;
    MainEntry(system_);
    return system_.output;
  }
  FakeSystem system_;
};

TEST_F(StatusRunTest, OneWriteAndOneReadUnderTheLock) {
  system_.player.faults.length_answer = -5;
  system_.player.playback.position_ms = -1;
  EXPECT_EQ(Run("status"),
            std::string(kJsonHeader) +
                "{\"running\": true, \"state\": \"paused\", \"title\": \"Caf\xc3\xa9 "
                "\xe2\x80\x93 \\\"B\\\"\", \"position\": 0, \"length\": -1, "
                "\"volume\": 50, \"shuffle\": false, \"repeat\": false, "
                "\"current\": 2, \"entries\": 3, \"kbps\": 192, \"khz\": 44, "
                "\"list\": \"" +
                HashText(ContentHash(system_.player.PlaylistText())) + "\"}\r\n");
  std::vector<std::string> locked;
  bool held = false;
  for (const std::string& event : system_.events) {
    if (event == "lock" || event == "unlock") held = event == "lock";
    if (held) locked.push_back(event);
  }
  EXPECT_EQ(locked, (std::vector<std::string>{"lock", "query:120", "query:124",
                                              "read:" + system_.PlaylistPath()}));
  for (const LoggedMessage& m : system_.player.log) EXPECT_EQ(m.message, QueryMessage);
}

TEST_F(StatusRunTest, WithoutProgramFileOrEntryStillAnObject) {
  system_.files.erase(system_.player.program_path);
  system_.player.image_path.clear();
  const std::string out = Run("status");
  EXPECT_NE(out.find("\"title\": \"\", "), std::string::npos) << out;
  EXPECT_NE(out.find("\"list\": \"" + HashText(ContentHash("")) + "\"}"), std::string::npos);

  system_.SetFile(system_.player.program_path, "MZ");
  system_.player.playlist.current = 7;  // outside the list
  EXPECT_NE(Run("status").find("\"title\": \"\", "), std::string::npos);
  EXPECT_NE(system_.output.find("\"current\": 0, "), std::string::npos);
}

TEST_F(StatusRunTest, EachControlIsTheQueryThatCarriesItOut) {
  const std::pair<const char*, LoggedMessage> rows[] = {
      {"seek=2147483", {QueryMessage, 2147483000, JumpToTime}},
      {"volume=007", {QueryMessage, 18, SetVolume}},
      {"shuffle=on", {QueryMessage, 1, SetShuffle}},
      {"repeat=OFF", {QueryMessage, 0, SetRepeat}},
  };
  for (const auto& [query, sent] : rows) {
    system_.player.log.clear();
    Run(query);
    ASSERT_FALSE(system_.player.log.empty()) << query;
    EXPECT_EQ(system_.player.log.front(), sent) << query;
  }
}

// A run that fails answers in the kind of answer the request asked for, also
// when reading the request itself failed.
TEST_F(StatusRunTest, AFailureAnswersInTheKindAskedFor) {
  const std::string failed = "Status: 500 Internal Server Error\r\n" + std::string(kJsonHeader);
  EXPECT_EQ(Run("volume=%zz").rfind(failed, 0), 0u);
  system_.environment["CONTENT_LENGTH"] = "99999999999";
  system_.environment["HTTP_SEC_FETCH_SITE"] = "cross-site";
  EXPECT_EQ(Run("status").rfind(failed, 0), 0u);
  // Another site's status request is a look at the page, and fails as one.
  system_.environment["CONTENT_LENGTH"] = "";
  system_.player.hangs_on = QueryPlayState;
  EXPECT_NE(Run("status").find("<title>Internal Error</title>"), std::string::npos);
}

TEST_F(StatusRunTest, AHungPlayerLeavesOnlyAnErrorObject) {
  system_.player.hangs_on = QueryRepeat;
  for (const bool to_file : {true, false}) {
    system_.output_is_file = to_file;
    const std::string out = Run("volume=10");
    EXPECT_EQ(out, "Status: 500 Internal Server Error\r\n" + std::string(kJsonHeader) +
                       "{\"error\": \"The player did not answer within 5 seconds. "
                       "Error Number =  65003\"}\r\n");
    EXPECT_EQ(system_.player.playback.volume, 26);  // sent before the read that hung
  }
}

}  // namespace
}  // namespace tunaro
