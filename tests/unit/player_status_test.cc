#include "player/player_status.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/entry_choice.h"
#include "base/run_error.h"
#include "player/live_status.h"
#include "player/player_link.h"
#include "player/player_messages.h"
#include "player/playlist_location.h"
#include "player/status_texts.h"
#include "testing/fake_system.h"

namespace tunaro {
namespace {

using player_model::EntriesTitled;
using player_model::PlayState;
using player_model::Utf8PlaylistText;

class PlayerStatusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    system_.player.playlist.entries = EntriesTitled({"Alpha", "Beta", "Gamma"});
    system_.player.playlist.current = 1;
    system_.SetFile(system_.player.program_path, "MZ");
    status_.PlayerWindow = system_.player.window;
  }
  // Refreshes as a new run does, from a fresh snapshot, and tells whether
  // the run went on.
  bool Refresh(std::int16_t width = 0) {
    status_ = PlayerStatus{};
    status_.PlayerWindow = system_.player.window;
    try {
      RefreshPlayerStatus(system_, width, status_);
      return true;
    } catch (const RunEndedEarly&) {
      return false;
    }
  }
  std::vector<std::int32_t> QueryCodes() const {
    std::vector<std::int32_t> codes;
    for (const LoggedMessage& m : system_.player.log)
      codes.push_back(static_cast<std::int32_t>(m.lparam));
    return codes;
  }

  FakeSystem system_;
  PlayerStatus status_;
};

TEST_F(PlayerStatusTest, FillsEveryFieldFromTheAnswersAndThePlaylist) {
  system_.player.playlist.state = PlayState::kPlaying;
  system_.player.playlist.entries[1].seconds = 3725;
  ASSERT_TRUE(Refresh());
  EXPECT_EQ(status_.StateText, "Playing");
  EXPECT_EQ(status_.LengthText, "62:05");
  EXPECT_EQ(status_.SampleRateText, "44,000");
  EXPECT_EQ(status_.BitRateText, "192");
  EXPECT_EQ(status_.EntryCount, 3);
  EXPECT_EQ(status_.Titles, (std::vector<std::string>{"Alpha", "Beta", "Gamma"}));
  EXPECT_EQ(status_.CurrentTitle, "Beta");
  EXPECT_EQ(status_.PlayerPath, "C:\\Player\\player.exe");
}

TEST_F(PlayerStatusTest, EndsTheRunWithoutAProgramFile) {
  system_.files.erase(system_.player.program_path);
  EXPECT_FALSE(Refresh());
  FakeSystem empty_path;
  empty_path.player.program_path = "";
  status_ = PlayerStatus{};
  status_.PlayerWindow = empty_path.player.window;
  EXPECT_THROW(RefreshPlayerStatus(empty_path, 0, status_), RunEndedEarly);
}

TEST_F(PlayerStatusTest, AnAnswerWithZeroLowBitsEndsThePath) {
  system_.player.program_path = "C:\\p.exe";
  system_.player.faults.path_end_answer = 65536;
  system_.SetFile("C:\\p.exe", "MZ");
  ASSERT_TRUE(Refresh());
  EXPECT_EQ(status_.PlayerPath, "C:\\p.exe");
}

TEST_F(PlayerStatusTest, WithoutAPathFromThePlayerItsProcessNamesTheProgram) {
  // A 5.x player answers 0; one that does not know the query answers 1; a
  // broken one never ends the path, or names a file that is not there.
  system_.player.image_path = "C:\\Program Files\\Player\\player.exe";
  system_.SetFile(system_.player.image_path, "MZ");
  const std::vector<std::pair<std::int32_t, std::size_t>> cases = {
      {0, 1}, {1, 1}, {31, 1}, {'a', kMaxPlayerPathLength}};
  for (const auto& [answer, queries] : cases) {
    system_.player.log.clear();
    system_.player.answer_hook = [answer = answer](std::int32_t code,
                                                   std::int32_t) -> std::optional<std::int64_t> {
      if (code == QueryPathChar) return answer;
      return std::nullopt;
    };
    ASSERT_TRUE(Refresh()) << answer;
    EXPECT_EQ(status_.PlayerPath, system_.player.image_path) << answer;
    const auto codes = QueryCodes();
    EXPECT_EQ(static_cast<std::size_t>(std::count(codes.begin(), codes.end(), QueryPathChar)),
              queries);
  }
  system_.player.answer_hook = nullptr;
  system_.player.program_path = "C:\\gone\\player.exe";
  ASSERT_TRUE(Refresh());
  EXPECT_EQ(status_.PlayerPath, system_.player.image_path);
  system_.player.image_path.clear();  // the system will not say either
  EXPECT_FALSE(Refresh());
}

// A player that keeps its playlist file in a folder it names through a query.
class PlaylistFolderTest : public PlayerStatusTest {
 protected:
  static constexpr std::uint64_t kAddress = 0x7FF612340F00;
  // Answers `code` with `answer`, 1 to the other folder query (a player that
  // does not know it), and places `text` at kAddress.
  void NameFolder(std::int32_t code, std::int64_t answer, const std::string& text) {
    system_.player.answer_hook = [code, answer](std::int32_t asked,
                                                std::int32_t) -> std::optional<std::int64_t> {
      if (asked == code) return answer;
      if (asked == QueryPlaylistDirectory || asked == QuerySettingsDirectory) return 1;
      return std::nullopt;
    };
    system_.player.memory = {{kAddress, text}};
  }
  void SetUp() override {
    PlayerStatusTest::SetUp();
    system_.player.traits.playlist_dir = "C:\\Users\\me\\AppData\\Roaming\\Player";
  }
  std::string Beside() const { return "C:\\Player\\player.m3u"; }
};

TEST_F(PlaylistFolderTest, ReadsTheFolderThatTheNewestQueryNames) {
  // As the player answers by itself.
  ASSERT_TRUE(Refresh());
  EXPECT_EQ(status_.PlaylistPath, "C:\\Users\\me\\AppData\\Roaming\\Player\\player.m3u");
  EXPECT_EQ(status_.Titles[2], "Gamma");
  NameFolder(QueryPlaylistDirectory, kAddress,
             system_.player.traits.playlist_dir + std::string(1, '\0'));
  ASSERT_TRUE(Refresh());
  EXPECT_EQ(status_.PlaylistPath, system_.PlaylistPath());
  EXPECT_EQ(status_.Titles[2], "Gamma");
  EXPECT_EQ(status_.CurrentTitle, "Beta");
  const auto codes = QueryCodes();
  EXPECT_EQ(std::count(codes.begin(), codes.end(), QuerySettingsDirectory), 0);
  // The name ends before the page it stands in does: no read reaches past it.
  for (const auto& [address, size] : system_.memory_reads) {
    EXPECT_LE(address % 4096 + size, 4096u);
  }
  // A long name runs over pages.
  system_.player.traits.playlist_dir = "C:\\" + std::string(6000, 'd');
  NameFolder(QueryPlaylistDirectory, kAddress,
             system_.player.traits.playlist_dir + std::string(1, '\0'));
  ASSERT_TRUE(Refresh());
  EXPECT_EQ(status_.PlaylistPath, system_.PlaylistPath());
  // A folder that ends in a separator gets no second one.
  NameFolder(QueryPlaylistDirectory, kAddress, system_.player.traits.playlist_dir + "\\" + '\0');
  ASSERT_TRUE(Refresh());
  EXPECT_EQ(status_.PlaylistPath, system_.PlaylistPath());
}

TEST_F(PlaylistFolderTest, FallsBackToTheSettingsFolderThenBesideTheProgram) {
  NameFolder(QuerySettingsDirectory, kAddress,
             system_.player.traits.playlist_dir + std::string(1, '\0'));
  ASSERT_TRUE(Refresh());
  EXPECT_EQ(status_.PlaylistPath, system_.PlaylistPath());
  const auto codes = QueryCodes();
  EXPECT_LT(std::find(codes.begin(), codes.end(), QueryPlaylistDirectory),
            std::find(codes.begin(), codes.end(), QuerySettingsDirectory));

  // An address that cannot be read, an empty name, a name without its NUL
  // within 32767 characters, a process that cannot be looked at: beside the
  // program, without asking the other query.
  const std::vector<std::string> unreadable = {std::string(1, '\0'),
                                               std::string(kMaxPlayerTextLength + 10, 'x')};
  for (const std::string& text : unreadable) {
    NameFolder(QueryPlaylistDirectory, kAddress, text);
    ASSERT_TRUE(Refresh());
    EXPECT_EQ(status_.PlaylistPath, Beside());
  }
  NameFolder(QueryPlaylistDirectory, kAddress + 0x10000, "C:\\x");
  ASSERT_TRUE(Refresh());
  EXPECT_EQ(status_.PlaylistPath, Beside());
  NameFolder(QueryPlaylistDirectory, kAddress, "C:\\x" + std::string(1, '\0'));
  system_.player.pointer_bits = 0;
  ASSERT_TRUE(Refresh());
  EXPECT_EQ(status_.PlaylistPath, Beside());
}

TEST_F(PlaylistFolderTest, A32BitPlayersAnswerCountsByItsLow32Bits) {
  // Its address reached us widened with its sign.
  system_.player.pointer_bits = 32;
  const std::uint64_t address = 0x8765F000;
  NameFolder(QueryPlaylistDirectory, static_cast<std::int64_t>(0xFFFFFFFF8765F000), "");
  system_.player.memory = {{address, system_.player.traits.playlist_dir + std::string(1, '\0')}};
  ASSERT_TRUE(Refresh());
  EXPECT_EQ(status_.PlaylistPath, system_.PlaylistPath());
  EXPECT_EQ(AddressFromAnswer(static_cast<std::int64_t>(0xFFFFFFFF8765F000), 64),
            0xFFFFFFFF8765F000);
}

TEST_F(PlaylistFolderTest, AHangOnTheFolderQueryIsAHungPlayer) {
  system_.player.hangs_on = QueryPlaylistDirectory;
  EXPECT_THROW(Refresh(), RunError);
}

TEST_F(PlayerStatusTest, EntriesWithoutAnInformationLineShowTheirFileName) {
  system_.player.traits.bare_entries_every = 2;
  for (std::int32_t current : {0, 1}) {
    system_.player.playlist.current = current;
    ASSERT_TRUE(Refresh());
    EXPECT_EQ(status_.Titles, (std::vector<std::string>{"Alpha", "track2", "Gamma"}));
    EXPECT_EQ(status_.CurrentTitle, status_.Titles[current]);
    EXPECT_EQ(status_.CurrentEntry, current);
  }
  ASSERT_TRUE(Refresh(3));
  EXPECT_EQ(status_.CurrentTitle, "ck2");
}

TEST_F(PlayerStatusTest, AMissingPlaylistFileIsLeftBehindEmpty) {
  system_.player.faults.no_playlist_file = true;
  ASSERT_TRUE(Refresh());
  EXPECT_EQ(status_.Titles, (std::vector<std::string>{"", "", ""}));
  EXPECT_EQ(status_.CurrentTitle, "");
  ASSERT_EQ(system_.files.count(system_.PlaylistPath()), 1u);
  EXPECT_EQ(system_.files[system_.PlaylistPath()].content, "");
}

TEST_F(PlayerStatusTest, AMissingPlaylistThatCannotBeCreatedIsAnError) {
  system_.player.faults.no_playlist_file = true;
  system_.can_create_files = false;
  EXPECT_THROW(Refresh(), RunError);
}

TEST_F(PlayerStatusTest, CurrentIndexOutOfRangeGivesAnEmptyTitle) {
  for (std::int32_t current : {-1, 3, 70000}) {
    system_.player.playlist.current = current;
    ASSERT_TRUE(Refresh());
    EXPECT_EQ(status_.CurrentTitle, "") << current;
    EXPECT_EQ(status_.CurrentEntry, current);
  }
}

TEST_F(PlayerStatusTest, ACommaInsideTheCutPartChangesOnlyTheCurrentTitle) {
  system_.player.playlist.entries = EntriesTitled({"A, B", "Other"});
  system_.player.playlist.current = 0;
  ASSERT_TRUE(Refresh(3));
  EXPECT_EQ(status_.Titles[0], ", B");
  EXPECT_EQ(status_.CurrentTitle, " B");
}

TEST_F(PlayerStatusTest, NegativeWidthFailsAtTheFirstCut) {
  try {
    Refresh(-2);
    FAIL();
  } catch (const RunError& error) {
    EXPECT_EQ(error.number(), 5);
  }
}

TEST_F(PlayerStatusTest, EntryCountsOfEverySize) {
  system_.player.faults.report_count = -1;
  ASSERT_TRUE(Refresh());
  EXPECT_EQ(status_.EntryCount, 0);
  EXPECT_EQ(status_.Titles.size(), 0u);

  std::vector<std::string> titles;
  for (int i = 0; i < 40000; ++i) titles.push_back("T" + std::to_string(i));
  system_.player.playlist.entries = EntriesTitled(titles);
  system_.player.faults.report_count.reset();
  system_.player.playlist.current = 39999;
  ASSERT_TRUE(Refresh());
  EXPECT_EQ(status_.EntryCount, 40000);
  EXPECT_EQ(status_.Titles[39999], "T39999");
  EXPECT_EQ(status_.CurrentTitle, "T39999");

  // Entries on either side of where the first piece of the file read ends.
  system_.player.playlist.entries.resize(3000);
  for (std::int32_t current = 1450; current < 1600; ++current) {
    system_.player.playlist.current = current;
    ASSERT_TRUE(Refresh());
    ASSERT_EQ(status_.CurrentTitle, status_.Titles[static_cast<std::size_t>(current)]) << current;
  }

  system_.player.faults.report_count = 2;  // the file holds more than reported
  ASSERT_TRUE(Refresh());
  EXPECT_EQ(status_.Titles, (std::vector<std::string>{"T0", "T1"}));
}

TEST_F(PlayerStatusTest, AWindowThatHasGoneAnswersZero) {
  system_.player.gone = true;
  EXPECT_FALSE(Refresh());
  EXPECT_EQ(status_.StateText, "Stopped");
  EXPECT_EQ(status_.LengthText, "0:00");
  EXPECT_EQ(status_.SampleRateText, "0,000");
  EXPECT_EQ(status_.BitRateText, "0");
  EXPECT_EQ(status_.EntryCount, 0);
}

TEST_F(PlayerStatusTest, AHungPlayerIsAnError) {
  system_.player.hangs_on = WritePlaylist;
  try {
    Refresh();
    FAIL();
  } catch (const RunError& error) {
    EXPECT_EQ(error.number(), 65003);
    EXPECT_NE(error.description().find("did not answer"), std::string::npos);
  }
}

TEST_F(PlayerStatusTest, HoldsThePlaylistLockFromTheFirstRewriteToTheLastRead) {
  ASSERT_TRUE(Refresh());
  const std::vector<std::string>& events = system_.events;
  const auto at = [&](const std::string& event) {
    return std::find(events.begin(), events.end(), event) - events.begin();
  };
  const auto last_read =
      std::find(events.rbegin(), events.rend(), "read:" + system_.PlaylistPath());
  ASSERT_NE(last_read, events.rend());
  EXPECT_LT(at("lock"), at("query:" + std::to_string(WritePlaylist)));
  EXPECT_EQ(events.back(), "unlock");
  EXPECT_GT(at("query:" + std::to_string(QueryEntryCount)), at("lock"));
  EXPECT_FALSE(system_.playlist_lock_held);
  EXPECT_EQ(system_.last_lock_timeout, PlaylistLockTimeoutMilliseconds);
}

TEST_F(PlayerStatusTest, GoesOnWhenTheLockIsNotHadInTime) {
  system_.playlist_lock_available = false;
  ASSERT_TRUE(Refresh());
  EXPECT_EQ(status_.CurrentTitle, "Beta");
}

TEST_F(PlayerStatusTest, ReleasesTheLockWhenTheRunEndsEarlyOrFails) {
  system_.files.erase(system_.player.program_path);
  EXPECT_FALSE(Refresh());
  EXPECT_FALSE(system_.playlist_lock_held);
  system_.SetFile(system_.player.program_path, "MZ");
  system_.player.hangs_on = WritePlaylist;
  EXPECT_THROW(Refresh(), RunError);
  EXPECT_FALSE(system_.playlist_lock_held);
}

// A current player also writes its list in UTF-8 beside the ANSI file, where
// characters that the ANSI code page lacks arrive as "?".
class Utf8CopyTest : public PlayerStatusTest {
 protected:
  void SetUp() override {
    PlayerStatusTest::SetUp();
    SetTitles({"Caf\xE9 \x96 Blue", "??????",
               "?\xF3"
               "d?",
               "a & b"},
              {"Caf\xC3\xA9 \xE2\x80\x93 Blue", "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82",
               "\xC5\x81\xC3\xB3"
               "d\xC5\xBA",
               "a & b"});
    system_.player.playlist.current = 2;
  }
  // Titles in the code page's bytes and in UTF-8, entry by entry.
  void SetTitles(const std::vector<std::string>& ansi, const std::vector<std::string>& utf8) {
    system_.player.playlist.entries = EntriesTitled(ansi);
    for (std::size_t i = 0; i < utf8.size(); ++i) {
      system_.player.playlist.entries[i].utf8_title = utf8[i];
    }
    system_.player.traits.utf8_copy = true;
  }
};

TEST_F(Utf8CopyTest, TheTitlesAreTheCopysTextCutByItsCharacters) {
  ASSERT_TRUE(Refresh());
  EXPECT_TRUE(status_.TitlesInUtf8);
  EXPECT_TRUE(status_.CurrentTitleInUtf8);
  std::vector<std::string> utf8_titles;
  for (const auto& entry : system_.player.playlist.entries) utf8_titles.push_back(entry.utf8_title);
  EXPECT_EQ(status_.Titles, utf8_titles);
  EXPECT_EQ(status_.CurrentTitle, utf8_titles[2]);
  ASSERT_TRUE(Refresh(3));
  EXPECT_EQ(status_.Titles[1], "\xD0\xB2\xD0\xB5\xD1\x82");
  EXPECT_EQ(status_.CurrentTitle,
            "\xC3\xB3"
            "d\xC5\xBA");
  // A bare entry shows its file's name from the copy too.
  system_.player.traits.bare_entries_every = 3;
  ASSERT_TRUE(Refresh());
  EXPECT_EQ(status_.CurrentTitle, "track3");
}

TEST_F(Utf8CopyTest, AChoiceIsMatchedWithTheTitlesAsThePageShowedThem) {
  // Posted from an older page, where the entry stood first.
  EXPECT_EQ(ChooseEntry(system_, 0, status_,
                        ReadEntryChoice("1. &#321;\xF3"
                                        "d&#378;")),
            2);
  EXPECT_EQ(ChooseEntry(system_, 3, status_,
                        ReadEntryChoice("1. \xF3"
                                        "d&#378;")),
            2);
  EXPECT_EQ(ChooseEntry(system_, 0, status_,
                        ReadEntryChoice("1. ?\xF3"
                                        "d?")),
            0);  // no such title: its number
}

TEST_F(Utf8CopyTest, TheStatusAnswerHasTheTitleInFull) {
  EXPECT_EQ(ReadLiveStatus(system_, system_.player.window).title,
            "\xC5\x81\xC3\xB3"
            "d\xC5\xBA");
  // Renamed within what the code page lacks: only the copy tells.
  const std::uint64_t list = ReadLiveStatus(system_, system_.player.window).list_hash;
  system_.player.playlist.entries[1].utf8_title =
      "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x8E";
  EXPECT_NE(ReadLiveStatus(system_, system_.player.window).list_hash, list);
  system_.player.traits.utf8_copy = false;  // the copy left from before is older
  EXPECT_EQ(ReadLiveStatus(system_, system_.player.window).title,
            "?\xC3\xB3"
            "d?");
}

TEST_F(Utf8CopyTest, AnOlderCopyOrOneOfAnotherLengthIsPassedOver) {
  const std::vector<std::string> ansi = {"Caf\xE9 \x96 Blue", "??????",
                                         "?\xF3"
                                         "d?",
                                         "a & b"};
  // Left from an earlier list: written before the ANSI file.
  ASSERT_TRUE(Refresh());
  system_.player.traits.utf8_copy = false;
  ASSERT_TRUE(Refresh());
  EXPECT_EQ(status_.Titles, ansi);
  EXPECT_FALSE(status_.TitlesInUtf8 || status_.CurrentTitleInUtf8);
  EXPECT_EQ(status_.CurrentTitle,
            "?\xF3"
            "d?");
  // One entry more or fewer, newer than the file: entries are matched by
  // position, so not at all.
  system_.player.faults.no_playlist_file = true;
  system_.SetFile(system_.PlaylistPath(), system_.player.PlaylistText());
  system_.SetFile(system_.PlaylistPath() + "8", Utf8PlaylistText(EntriesTitled({"a", "b", "c"})));
  ASSERT_TRUE(Refresh());
  EXPECT_EQ(status_.Titles, ansi);
  // Without a byte order mark it reads the same.
  system_.SetFile(system_.PlaylistPath() + "8",
                  Utf8PlaylistText(EntriesTitled({"\xC5\x81", "b", "c", "d"})).substr(3));
  ASSERT_TRUE(Refresh());
  EXPECT_EQ(status_.Titles[0], "\xC5\x81");
  EXPECT_TRUE(status_.TitlesInUtf8);
}

// One list of names: the page's, and the status answer's in lower case, where
// an answer the player should not give is "stopped" rather than nothing.
TEST(PlayerTextsTest, StateNamesForThePageAndTheStatusAnswer) {
  const std::tuple<std::int16_t, const char*, const char*> rows[] = {
      {StateStopped, "Stopped", "stopped"},
      {StatePlaying, "Playing", "playing"},
      {StatePaused, "Paused", "paused"},
      {2, "", "stopped"},
      {-1, "", "stopped"},
  };
  for (const auto& [state, text, name] : rows) {
    EXPECT_EQ(StateTextFor(state), text) << state;
    EXPECT_EQ(StateNameFor(state), name) << state;
  }
}

TEST(PlayerTextsTest, LengthKeepsWholeMinutesAndShowsNothingWhenUnknown) {
  EXPECT_EQ(LengthTextFor(0), "0:00");
  EXPECT_EQ(LengthTextFor(59), "0:59");
  EXPECT_EQ(LengthTextFor(205), "3:25");
  EXPECT_EQ(LengthTextFor(600), "10:00");
  EXPECT_EQ(LengthTextFor(3725), "62:05");
  EXPECT_EQ(LengthTextFor(-1), "");
  EXPECT_EQ(LengthTextFor(INT32_MIN), "");
  EXPECT_EQ(LengthTextFor(INT32_MAX), "35791394:07");
}

}  // namespace
}  // namespace tunaro
