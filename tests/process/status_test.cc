// The status answer and the controls through the real tunaro.exe under Wine:
// every field against the stand-in player, the messages a read sends, hostile
// titles, the closed player, each control and each refused value.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "harness/json_object.h"
#include "harness/wine_harness.h"
#include "tunaro_install.h"

namespace tunaro_test {
namespace {

using harness::JsonBool;
using harness::JsonNumber;
using harness::JsonText;
using harness::LoggedMessage;
using harness::LoggedQuery;
using harness::RunCgi;
using harness::StandinPlayer;
using Messages = std::vector<LoggedMessage>;
using Members = std::map<std::string, std::string>;

constexpr char kJsonHeader[] = "Content-type: application/json; charset=utf-8\r\n\r\n";
constexpr char kBadRequest[] = "Status: 400 Bad Request\r\n";

const std::vector<std::string> kTitles = {"Alpha", "Beta", "Gamma", "Delta", "Epsilon"};

class StatusTest : public ::testing::Test {
 protected:
  void StartPlayer(std::vector<std::string> args,
                   const std::string& playlist = PlaylistText(EntriesTitled(kTitles))) {
    args.insert(args.end(),
                {"--playlist", harness::WindowsPath(lists_.WriteFile("list.m3u", playlist))});
    player_ = std::make_unique<StandinPlayer>(args);
    ASSERT_TRUE(player_->ready());
  }
  // The body of a JSON answer, checked for its header and its one line.
  std::string Body(const std::string& query, const std::string& header = kJsonHeader) {
    const harness::CgiResult result = RunCgi(install_.Get(query));
    EXPECT_FALSE(result.timed_out) << query;
    const std::string& out = result.output;
    if (out.compare(0, header.size(), header) != 0) {
      ADD_FAILURE() << query << " answered:\n" << out;
      return {};
    }
    const std::string body = out.substr(header.size());
    EXPECT_EQ(body.find("\r\n"), body.size() - 2) << query << ": not one line";
    EXPECT_EQ(body.find('<'), std::string::npos) << query;
    return body;
  }
  Members Status(const std::string& query = "status") {
    return harness::DecodeJsonObject(Body(query)).value_or(Members{});
  }
  // The player's log of one request, fenced by a query of the probe's so
  // nothing of it can still be on its way.
  Messages LogOf(const std::function<void()>& request) {
    player_->ClearLog();
    request();
    EXPECT_TRUE(harness::ProbeQuery(tunaro::QueryEntryCount, 0).has_value());
    Messages log = player_->Log();
    if (log.empty() || !(log.back() == LoggedQuery(tunaro::QueryEntryCount, 0))) {
      ADD_FAILURE() << "the probe's query did not come last";
      return log;
    }
    log.pop_back();
    return log;
  }

  harness::TempDir lists_;
  std::unique_ptr<StandinPlayer> player_;
  TunaroInstall install_;
};

// The queries of one status read from a player of the old kind (it reports
// its program path and keeps its playlist file beside it).
Messages ReadMessages(std::size_t path_length) {
  using tunaro::QueryStreamInfo;
  Messages messages = {
      LoggedQuery(tunaro::QueryPlayState, 0), LoggedQuery(tunaro::QueryPosition, 0),
      LoggedQuery(tunaro::QueryLength, 1),    LoggedQuery(tunaro::SetVolume, tunaro::AskVolume),
      LoggedQuery(tunaro::QueryShuffle, 0),   LoggedQuery(tunaro::QueryRepeat, 0),
      LoggedQuery(QueryStreamInfo, 1),        LoggedQuery(QueryStreamInfo, 0)};
  AppendFileQueries(messages, path_length);
  messages.push_back(LoggedQuery(tunaro::WritePlaylist, 0));
  messages.push_back(LoggedQuery(tunaro::QueryEntryCount, 0));
  return messages;
}

TEST_F(StatusTest, EveryFieldAndNothingButQueries) {
  StartPlayer({"--state", "playing", "--current", "2", "--position", "61999", "--volume", "128",
               "--repeat", "--write-on-change"});
  Members status;
  EXPECT_EQ(LogOf([&] { status = Status("Status"); }),
            ReadMessages(player_->program_path().size()));
  const std::string list = status["list"];
  EXPECT_EQ(status, (Members{{"running", JsonBool(true)},
                             {"state", JsonText("playing")},
                             {"title", JsonText("Gamma")},
                             {"position", JsonNumber(61)},
                             {"length", JsonNumber(205)},
                             {"volume", JsonNumber(50)},
                             {"shuffle", JsonBool(false)},
                             {"repeat", JsonBool(true)},
                             {"current", JsonNumber(3)},
                             {"entries", JsonNumber(5)},
                             {"kbps", JsonNumber(320)},
                             {"khz", JsonNumber(44)},
                             {"list", list}}));
  EXPECT_EQ(list.size(), 17u);
  EXPECT_EQ(list.find_first_not_of("0123456789abcdef", 1), std::string::npos) << list;

  // The player writes its list only when it changed: a second read leaves
  // the file alone and gives the same list; a changed file another.
  EXPECT_EQ(Status()["list"], list);
  const std::string file = harness::ReadFileBytes(player_->playlist_path()).value_or("");
  ASSERT_TRUE(harness::WriteFileBytes(player_->playlist_path(), file + "Z:\\music\\more.mp3\r\n"));
  const Members changed = Status();
  EXPECT_NE(changed.at("list"), list);
  EXPECT_EQ(harness::ReadFileBytes(player_->playlist_path()), file + "Z:\\music\\more.mp3\r\n");
  EXPECT_EQ(changed.at("title"), JsonText("Gamma"));
}

TEST_F(StatusTest, StatesAndEachControl) {
  StartPlayer({"--state", "playing", "--current", "1", "--position", "5000"});
  struct Row {
    const char* query;
    LoggedMessage sent;
    const char* field;
    std::string value;
  } rows[] = {
      {"volume=0", LoggedQuery(tunaro::SetVolume, 0), "volume", JsonNumber(0)},
      {"volume=100", LoggedQuery(tunaro::SetVolume, 255), "volume", JsonNumber(100)},
      {"VOLUME=50", LoggedQuery(tunaro::SetVolume, 128), "volume", JsonNumber(50)},
      {"volume=1", LoggedQuery(tunaro::SetVolume, 3), "volume", JsonNumber(1)},
      {"seek=30", LoggedQuery(tunaro::JumpToTime, 30000), "position", JsonNumber(30)},
      {"seek=0", LoggedQuery(tunaro::JumpToTime, 0), "position", JsonNumber(0)},
      {"shuffle=on", LoggedQuery(tunaro::SetShuffle, 1), "shuffle", JsonBool(true)},
      {"shuffle=off", LoggedQuery(tunaro::SetShuffle, 0), "shuffle", JsonBool(false)},
      {"repeat=on", LoggedQuery(tunaro::SetRepeat, 1), "repeat", JsonBool(true)},
      {"repeat=OFF", LoggedQuery(tunaro::SetRepeat, 0), "repeat", JsonBool(false)},
  };
  const Messages read = ReadMessages(player_->program_path().size());
  for (const Row& row : rows) {
    Members status;
    Messages expected = {row.sent};
    expected.insert(expected.end(), read.begin(), read.end());
    EXPECT_EQ(LogOf([&] { status = Status(row.query); }), expected) << row.query;
    EXPECT_EQ(status[row.field], row.value) << row.query;
    EXPECT_EQ(status["state"], JsonText("playing")) << row.query;
  }
  // The page's commands, then the state they left.
  for (const auto& [command, state] : {std::pair{"pause", "paused"}, std::pair{"pause", "playing"},
                                       std::pair{"stop", "stopped"}}) {
    LogOf([&] { RunCgi(install_.Get(command)); });
    const Members status = Status();
    EXPECT_EQ(status.at("state"), JsonText(state)) << command;
    EXPECT_EQ(status.at("title"), JsonText("Beta"));
  }
  // Stopped, a jump does nothing; the answer still comes.
  EXPECT_EQ(Status("seek=3")["position"], JsonNumber(0));
}

TEST_F(StatusTest, RefusedValuesSendNothing) {
  StartPlayer({});
  struct Row {
    const char* query;
    const char* error;
  } rows[] = {
      {"volume=101", "volume must be a whole number from 0 to 100"},
      {"volume=abc", "volume must be a whole number from 0 to 100"},
      {"volume=", "volume must be a whole number from 0 to 100"},
      {"volume", "volume must be a whole number from 0 to 100"},
      {"volume=-0", "volume must be a whole number from 0 to 100"},
      {"volume=5&x=1", "volume must be a whole number from 0 to 100"},
      {"seek=-5", "seek must be whole seconds from 0 to 2147483"},
      {"seek=2147484", "seek must be whole seconds from 0 to 2147483"},
      {"seek=1.5", "seek must be whole seconds from 0 to 2147483"},
      {"shuffle=yes", "shuffle must be on or off"},
      {"repeat=", "repeat must be on or off"},
  };
  for (const Row& row : rows) {
    std::string body;
    EXPECT_EQ(LogOf([&] { body = Body(row.query, std::string(kBadRequest) + kJsonHeader); }),
              Messages{})
        << row.query;
    EXPECT_EQ(harness::DecodeJsonObject(body), (Members{{"error", JsonText(row.error)}}))
        << row.query;
  }
  // Other query strings still give the page.
  for (const char* query : {"statuses", "status=1", "volumes=5", " status"}) {
    EXPECT_EQ(RunCgi(install_.Get(query)).output.rfind(kHeaderBlock, 0), 0u) << query;
  }
}

TEST_F(StatusTest, HostileTitlesDecodeToTheSameText) {
  // Quotes, a backslash, a closing script tag, control characters, and
  // windows-1252 bytes above 127 (e acute, the en dash): the code page the
  // player writes in under this prefix.
  const std::string hostile =
      "\"Q\" \\ </script><b>&amp; \x01\t\x1f\x7f Caf\xe9 \x96 \x93smart\x94 \x80";
  const std::string in_utf8 =
      "\"Q\" \\ </script><b>&amp; \x01\t\x1f\x7f Caf\xc3\xa9 \xe2\x80\x93 \xe2\x80\x9csmart"
      "\xe2\x80\x9d \xe2\x82\xac";
  std::vector<player_model::Entry> entries = EntriesTitled({"First", hostile});
  entries[1].seconds = -1;  // unknown
  StartPlayer({"--current", "1", "--state", "paused"}, PlaylistText(entries));
  const std::string body = Body("status");
  EXPECT_EQ(body.find("</"), std::string::npos);
  const Members status = harness::DecodeJsonObject(body).value_or(Members{});
  EXPECT_EQ(status.at("title"), JsonText(in_utf8)) << body;
  EXPECT_EQ(status.at("length"), JsonNumber(-1));
  EXPECT_EQ(status.at("state"), JsonText("paused"));
  EXPECT_EQ(status.at("current"), JsonNumber(2));
}

TEST_F(StatusTest, AnEmptyListAndAnUnknownLength) {
  StartPlayer({"--like-current", "--length-answer", "-1", "--shuffle"}, PlaylistText({}));
  const Members status = Status();
  EXPECT_EQ(status.at("title"), JsonText(""));
  EXPECT_EQ(status.at("current"), JsonNumber(0));
  EXPECT_EQ(status.at("entries"), JsonNumber(0));
  EXPECT_EQ(status.at("length"), JsonNumber(-1));
  EXPECT_EQ(status.at("shuffle"), JsonBool(true));
  EXPECT_EQ(status.at("state"), JsonText("stopped"));
}

TEST(StatusClosedTest, TheClosedPlayer) {
  TunaroInstall install;
  for (const char* query : {"status", "volume=20", "seek=1", "shuffle=on"}) {
    EXPECT_EQ(RunCgi(install.Get(query)).output,
              std::string(kJsonHeader) + "{\"running\": false}\r\n")
        << query;
  }
  EXPECT_EQ(RunCgi(install.Get("volume=x")).output,
            std::string(kBadRequest) + kJsonHeader +
                "{\"error\": \"volume must be a whole number from 0 to 100\"}\r\n");
}

}  // namespace
}  // namespace tunaro_test
