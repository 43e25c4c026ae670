// The player model that the fake system and the stand-in player share. Where
// it keeps its playlist file is pinned here by literal paths: the program
// finds the file by a rule of its own (player/playlist_path.h), which every
// test over the fake then checks against the player's.
#include "testing/player_model/player_model.h"

#include <gtest/gtest.h>

#include <functional>

#include "testing/fake_system.h"

namespace player_model {
namespace {

TEST(PlayerModelTest, KeepsItsPlaylistFileWhereThePlayerDoes) {
  const std::string program = "C:\\Program Files\\Winamp\\winamp.exe";
  const std::string app_data = "C:\\Users\\me\\AppData\\Roaming";
  tunaro::FakeSystem japanese;
  japanese.code_page = 932;
  const LeadBytes cp932 = japanese.AnsiCodePage().lead_bytes, western{};
  // Code page 932: "表" is 95 5C and "ソ" 83 5C, their second byte a backslash.
  const std::string hyo = "\x95\x5C", so = "\x83\x5C";
  VersionTraits old_player, current, own_folder, settings_query;
  current.playlist_dir_in_app_data = true;
  own_folder.playlist_dir = "D:\\Lists\\";
  settings_query.directory_query = tunaro::QuerySettingsDirectory;
  VersionTraits folder_of_so = own_folder;
  folder_of_so.playlist_dir = "D:\\" + hyo;
  const struct {
    std::string program;
    const VersionTraits& traits;
    std::string app_data;
    const LeadBytes& lead_bytes;
    std::string file;
    std::string folder;
    long long query;
  } cases[] = {
      {program, old_player, app_data, western, "C:\\Program Files\\Winamp\\winamp.m3u",
       "C:\\Program Files\\Winamp", 0},
      {program, settings_query, app_data, western, "C:\\Program Files\\Winamp\\winamp.m3u",
       "C:\\Program Files\\Winamp", tunaro::QuerySettingsDirectory},
      {program, current, app_data, western, app_data + "\\Winamp\\winamp.m3u",
       app_data + "\\Winamp", tunaro::QueryPlaylistDirectory},
      // No %APPDATA%: a folder beside the program.
      {program, current, "", western, "C:\\Program Files\\Winamp\\Playlists\\winamp.m3u",
       "C:\\Program Files\\Winamp\\Playlists", tunaro::QueryPlaylistDirectory},
      {program, own_folder, app_data, western, "D:\\Lists\\winamp.m3u", "D:\\Lists\\",
       tunaro::QueryPlaylistDirectory},
      // Its last three characters, whatever their bytes; a 5C second byte is
      // no separator.
      {"C:\\" + hyo + "\\" + so + ".exe", old_player, "", cp932, "C:\\" + hyo + "\\" + so + ".m3u",
       "C:\\" + hyo, 0},
      {"C:\\a" + so + so, old_player, "", cp932, "C:\\m3u", "C:", 0},
      {"C:\\" + so + ".exe", folder_of_so, "", cp932, "D:\\" + hyo + "\\" + so + ".m3u",
       "D:\\" + hyo, tunaro::QueryPlaylistDirectory},
      // Too short to name a file.
      {"ab", old_player, "", western, "", "", 0},
  };
  for (const auto& c : cases) {
    const PlaylistPlace place = PlaylistPlaceFor(c.program, c.traits, c.app_data, c.lead_bytes);
    EXPECT_EQ(place.file, c.file) << c.program;
    EXPECT_EQ(place.folder, c.folder) << c.program;
    EXPECT_EQ(place.directory_query, c.query) << c.program;
    EXPECT_EQ(place.made_by_player, &c.traits == &current) << c.program;
  }
}

// The playlist editor's messages change the list as a player does.
TEST(PlaylistEditsTest, TheCurrentEntryStaysWithItsSong) {
  struct Row {
    const char* what;
    long long current;
    std::function<void(Playlist&)> edit;
    long long now;
  } rows[] = {
      {"insert before", 2, [](auto& l) { l.Insert(1, EntryForFile("x")); }, 3},
      {"insert at", 2, [](auto& l) { l.Insert(2, EntryForFile("x")); }, 3},
      {"insert after", 2, [](auto& l) { l.Insert(3, EntryForFile("x")); }, 2},
      {"append", 2, [](auto& l) { l.Append(EntryForFile("x")); }, 2},
      {"delete before", 2, [](auto& l) { l.Delete(0); }, 1},
      {"delete it", 2, [](auto& l) { l.Delete(2); }, 2},
      {"delete the last, current", 3, [](auto& l) { l.Delete(3); }, 2},
      {"delete after", 2, [](auto& l) { l.Delete(3); }, 2},
      {"swap it away", 2, [](auto& l) { l.Swap(2, 0); }, 0},
      {"swap another in", 2, [](auto& l) { l.Swap(3, 2); }, 3},
      {"swap others", 2, [](auto& l) { l.Swap(0, 1); }, 2},
      {"out of range", 2,
       [](auto& l) {
         l.Delete(4);
         l.Swap(1, 4);
       },
       2},
  };
  for (const Row& row : rows) {
    Playlist list;
    list.entries = EntriesTitled({"A", "B", "C", "D"});
    list.current = row.current;
    row.edit(list);
    EXPECT_EQ(list.current, row.now) << row.what;
  }
  Playlist list;
  list.entries = EntriesTitled({"A"});
  list.state = PlayState::kPlaying;
  list.Clear();
  EXPECT_TRUE(list.entries.empty());
  EXPECT_EQ(list.state, PlayState::kStopped);
}

}  // namespace
}  // namespace player_model
