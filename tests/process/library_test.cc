// The music folders, the playlist's edits and the covers through the real
// tunaro.exe under Wine, against a music folder of the test's own and the
// stand-in player: each answer decoded by the strict reader, each message of
// an edit as the player logged it, the playlist file after each edit, the
// stale-title rule, a cover from each source, and the paths that are refused
// before anything reaches the player.
#include <gtest/gtest.h>
#include <unistd.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "harness/json_object.h"
#include "harness/wine_harness.h"
#include "tunaro_install.h"
#include "unit/tagged_files.h"

namespace tunaro_test {
namespace {

using harness::JsonArray;
using harness::JsonBool;
using harness::JsonNumber;
using harness::JsonText;
using harness::LoggedEditorMessage;
using harness::LoggedFile;
using harness::LoggedMessage;
using harness::LoggedQuery;
using harness::RunCgi;
using harness::StandinPlayer;
using Members = std::map<std::string, std::string>;
using Messages = std::vector<LoggedMessage>;
namespace tagged = tunaro::tagged_files;

constexpr char kJsonHeader[] = "Content-type: application/json; charset=utf-8\r\n\r\n";
constexpr char kForbidden[] = "Status: 403 Forbidden\r\n";
constexpr char kTokyo[] = "\xE6\x9D\xB1\xE4\xBA\xAC";  // no character of it is in code page 1252

// The path as an insert record holds it: its bytes, zeros to 260 of its
// characters, then the index as four bytes, the lowest first.
std::string InsertRecord(const std::string& path, bool wide, int index) {
  std::string record = path;
  record.resize(wide ? 520 : 260, '\0');
  for (int shift = 0; shift < 32; shift += 8) record += static_cast<char>(index >> shift);
  return record;
}

// ASCII and one two-byte UTF-8 sequence at most as UTF-16, little-endian.
std::string Utf16(const std::string& utf8) {
  std::string out;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    unsigned unit = static_cast<unsigned char>(utf8[i]);
    if (unit >= 0xE0) {
      unit = (unit & 0x0F) << 12 | (static_cast<unsigned char>(utf8[i + 1]) & 0x3F) << 6 |
             (static_cast<unsigned char>(utf8[i + 2]) & 0x3F);
      i += 2;
    }
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>(unit >> 8);
  }
  return out;
}

class LibraryTest : public ::testing::Test {
 protected:
  LibraryTest() : music_("tunaro-music") {
    for (const char* folder : {"Album", "Tagged", "Mixed"}) {
      EXPECT_TRUE(harness::MakeDirectory(music_.Path(folder)));
    }
    music_.WriteFile("Album/2 Two.mp3", tagged::Mp3({}));
    music_.WriteFile("Album/10 Ten.mp3", tagged::Mp3({}));
    music_.WriteFile("Album/folder.jpg", tagged::Jpeg('f'));
    music_.WriteFile("Album/notes.txt", "not music");
    music_.WriteFile("Tagged/apic.mp3", tagged::Mp3({{tagged::kFrontCover, tagged::Jpeg('a')}}));
    music_.WriteFile("Tagged/picture.flac",
                     tagged::Flac({{tagged::kFrontCover, tagged::Jpeg('l')}}));
    music_.WriteFile("Tagged/covr.m4a", tagged::M4a({tagged::Jpeg('m')}));
    music_.WriteFile("Caf\xC3\xA9.mp3", "");
    music_.WriteFile(std::string(kTokyo) + ".mp3", "");
    music_.WriteFile("Mixed/1 a.mp3", "");
    music_.WriteFile("Mixed/2 " + std::string(kTokyo) + ".mp3", "");
    music_.WriteFile("Mixed/3 c.mp3", "");
    // A link that leads out of the music folder.
    outside_.WriteFile("secret.mp3", tagged::Mp3({{tagged::kFrontCover, tagged::Jpeg('s')}}));
    EXPECT_EQ(::symlink(outside_.path().c_str(), music_.Path("Out").c_str()), 0);
    install_.Configure(std::string(kDefaultConfiguration) + "MUSICDIR " + Windows("") + "\r\n");
  }

  // A path of the music folder as Windows programs see it.
  std::string Windows(const std::string& relative) const {
    const std::string folder = harness::WindowsPath(music_.path());
    if (relative.empty()) return folder;
    std::string path = folder + "\\" + relative;
    for (char& c : path) c = c == '/' ? '\\' : c;
    return path;
  }
  // A player whose list holds these titles, each for a file of the music
  // folder ("" for one that is not there).
  void StartPlayer(const std::vector<std::pair<std::string, std::string>>& entries,
                   std::vector<std::string> args = {}) {
    std::vector<std::string> titles;
    for (const auto& entry : entries) titles.push_back(entry.first);
    std::vector<player_model::Entry> list = EntriesTitled(titles);
    for (std::size_t i = 0; i < entries.size(); ++i) {
      list[i].path = Windows(entries[i].second.empty() ? "gone.mp3" : entries[i].second);
    }
    player_.reset();  // a new player waits until no other one is there
    args.insert(args.end(),
                {"--current", "1", "--playlist",
                 harness::WindowsPath(lists_.WriteFile("list.m3u", PlaylistText(list)))});
    player_ = std::make_unique<StandinPlayer>(args);
    ASSERT_TRUE(player_->ready());
  }
  std::string Run(const std::string& query, const std::string& if_none_match = "") {
    if (player_) player_->ClearLog();
    harness::CgiRequest request = install_.Get(query);
    if (!if_none_match.empty()) request.extra_environment["HTTP_IF_NONE_MATCH"] = if_none_match;
    const harness::CgiResult result = RunCgi(request);
    EXPECT_FALSE(result.timed_out) << query;
    return result.output;
  }
  // The members of a JSON answer, checked for its status line and header.
  Members Json(const std::string& query, const std::string& status = "") {
    const std::string out = Run(query);
    const std::string head = status + kJsonHeader;
    if (out.compare(0, head.size(), head) != 0) {
      ADD_FAILURE() << query << " answered:\n" << out;
      return {};
    }
    return harness::DecodeJsonObject(out.substr(head.size())).value_or(Members{});
  }
  // What the last run sent before its status read, but for the queries that
  // locate the player's files.
  Messages Edit() const {
    Messages sent;
    for (const LoggedMessage& m : player_->Log()) {
      if (m == LoggedQuery(tunaro::QueryPlayState, 0)) break;
      const bool locating =
          m.message == tunaro::QueryMessage && !m.to_editor &&
          (m.lparam == tunaro::QueryPathChar || m.lparam == tunaro::QueryPlaylistDirectory ||
           m.lparam == tunaro::QuerySettingsDirectory);
      if (!locating) sent.push_back(m);
    }
    return sent;
  }
  // The titles of the playlist file as the player wrote it last.
  std::vector<std::string> FileTitles() const {
    std::vector<std::string> titles;
    for (const auto& entry :
         player_model::ParseM3u(harness::ReadFileBytes(player_->playlist_path()).value_or(""))) {
      titles.push_back(entry.title);
    }
    return titles;
  }

  harness::TempDir music_;
  harness::TempDir outside_{"tunaro-outside"};
  harness::TempDir lists_;
  TunaroInstall install_;
  std::unique_ptr<StandinPlayer> player_;
};

TEST_F(LibraryTest, TheFoldersAPageAndTheFind) {
  Members folders = Json("library");
  EXPECT_EQ(folders, (Members{{"folders", JsonArray(1)},
                              {"folders.0.path", JsonText("1")},
                              {"folders.0.name", JsonText(Windows(""))},
                              {"folders.0.available", JsonBool(true)}}));
  const Members top = Json("library=1");
  std::vector<std::string> names;
  for (int i = 0; top.count("items." + std::to_string(i) + ".name"); ++i) {
    names.push_back(top.at("items." + std::to_string(i) + ".name").substr(1));
  }
  // Folders first, then the audio files, each in natural order. Wine shows
  // the link that leads out as a plain folder (Windows marks a link, which is
  // then left out); what it leads to is refused all the same (below).
  EXPECT_EQ(names, (std::vector<std::string>{"Album", "Mixed", "Out", "Tagged",
                                             "Caf\xC3\xA9.mp3", std::string(kTokyo) + ".mp3"}));
  EXPECT_EQ(top.at("items.4.path"), JsonText("1/Caf\xC3\xA9.mp3"));
  EXPECT_EQ(top.at("items.4.kind"), JsonText("audio"));
  EXPECT_EQ(top.at("next"), harness::kJsonNull);

  EXPECT_EQ(Json("library=1%2FAlbum&from=1"),
            (Members{{"path", JsonText("1/Album")},
                     {"items", JsonArray(1)},
                     {"items.0.name", JsonText("10 Ten.mp3")},
                     {"items.0.path", JsonText("1/Album/10 Ten.mp3")},
                     {"items.0.kind", JsonText("audio")},
                     {"items.0.size", JsonNumber(tagged::Mp3({}).size())},
                     {"from", JsonNumber(1)},
                     {"total", JsonNumber(2)},
                     {"next", harness::kJsonNull}}));
  const Members found = Json("find=CAFE");
  EXPECT_EQ(found.at("hits"), JsonArray(1));
  EXPECT_EQ(found.at("hits.0.path"), JsonText("1/Caf\xC3\xA9.mp3"));
  EXPECT_EQ(found.at("more"), JsonBool(false));
  EXPECT_EQ(Json("find=" + std::string("%E6%9D%B1")).at("hits"), JsonArray(2));
  EXPECT_EQ(Json("library=1/Nothing", "Status: 404 Not Found\r\n"),
            (Members{{"error", JsonText("1/Nothing is not there")}}));
}

TEST_F(LibraryTest, PathsThatCouldLeadOutAreRefusedAndNothingReachesThePlayer) {
  StartPlayer({{"Alpha", "Album/2 Two.mp3"}});
  const std::string long_name(256, 'n');
  const char* queries[] = {
      "add=1/../Caf%C3%A9.mp3",
      "add=Z:/tmp",
      "add=1%5CAlbum",
      "add=%5C%5C%3F%5CZ:%5C",
      "add=%5C%5Cpc%5Cc",
      "add=1/Album/2 Two.mp3:x",
      "add=1/Album.",
      "add=1/Album%20",
      "add=1/Al%01bum",
      "add=1/NUL",
      "add=1/Out",
      "add=1/Out/secret.mp3",
      "library=1/Out",
      "library=1/..",
      "library=..%2F..",
  };
  for (const std::string query : queries) {
    const Members refused = Json(query, kForbidden);
    EXPECT_EQ(refused.size(), 1u) << query;
    EXPECT_EQ(refused.count("error"), 1u) << query;
    EXPECT_EQ(player_->Log(), Messages{}) << query;
  }
  EXPECT_EQ(Json("add=1/" + long_name, kForbidden),
            (Members{{"error", JsonText("a name in the path is longer than 255 characters")}}));
}

TEST_F(LibraryTest, EachEditsMessagesAndThePlaylistFileAfterIt) {
  StartPlayer(
      {{"Alpha", "Album/2 Two.mp3"}, {"Beta", ""}, {"Gamma", ""}, {"Beta", ""}, {"Delta", ""}});
  const auto count = LoggedQuery(tunaro::QueryEntryCount, 0);
  const auto write = LoggedQuery(tunaro::WritePlaylist, 0);
  const auto editor = LoggedQuery(tunaro::QueryWindow, tunaro::EditorWindow);

  // Appended, in the code page: the player's current entry stays.
  Members status = Json("add=1/Caf%C3%A9.mp3");
  EXPECT_EQ(Edit(), (Messages{count,
                              LoggedFile(tunaro::AppendFileAnsi,
                                         Windows("Caf\xE9.mp3") + std::string(1, '\0'), false),
                              count, write}));
  EXPECT_EQ(FileTitles(),
            (std::vector<std::string>{"Alpha", "Beta", "Gamma", "Beta", "Delta", "Caf\xE9"}));
  EXPECT_EQ(status.at("added"), JsonNumber(1));
  EXPECT_EQ(status.at("appended"), JsonNumber(0));
  EXPECT_EQ(status.at("entries"), JsonNumber(6));
  EXPECT_EQ(status.at("current"), JsonNumber(2));

  // A folder after the current entry: its audio files in natural order.
  status = Json("add=1/Album&at=next");
  EXPECT_EQ(Edit(), (Messages{count, write, editor,
                              LoggedFile(tunaro::InsertFileAnsi,
                                         InsertRecord(Windows("Album/2 Two.mp3"), false, 2), true),
                              LoggedFile(tunaro::InsertFileAnsi,
                                         InsertRecord(Windows("Album/10 Ten.mp3"), false, 3), true),
                              count, write}));
  EXPECT_EQ(FileTitles(), (std::vector<std::string>{"Alpha", "Beta", "2 Two", "10 Ten", "Gamma",
                                                    "Beta", "Delta", "Caf\xE9"}));
  EXPECT_EQ(status.at("added"), JsonNumber(2));
  EXPECT_EQ(status.at("current"), JsonNumber(2));

  // From a page older than the list: Beta stood 5th there; of the two Betas
  // now (2nd and 6th), the 6th is nearer.
  status = Json("remove=5&title=Beta");
  EXPECT_EQ(Edit(),
            (Messages{count, write, editor, LoggedEditorMessage(tunaro::EditorDelete, 5), write}));
  EXPECT_EQ(FileTitles(), (std::vector<std::string>{"Alpha", "Beta", "2 Two", "10 Ten", "Gamma",
                                                    "Delta", "Caf\xE9"}));
  EXPECT_EQ(status.at("entry"), JsonNumber(6));
  EXPECT_EQ(status.at("entries"), JsonNumber(7));

  // Gamma, 3rd on that page, 5th now, to the top: four swaps of neighbours.
  status = Json("move=3&to=1&title=Gamma");
  EXPECT_EQ(Edit(),
            (Messages{count, write, editor, LoggedEditorMessage(tunaro::EditorSwap, 4 << 16 | 3),
                      LoggedEditorMessage(tunaro::EditorSwap, 3 << 16 | 2),
                      LoggedEditorMessage(tunaro::EditorSwap, 2 << 16 | 1),
                      LoggedEditorMessage(tunaro::EditorSwap, 1 << 16 | 0), write}));
  EXPECT_EQ(FileTitles(), (std::vector<std::string>{"Gamma", "Alpha", "Beta", "2 Two", "10 Ten",
                                                    "Delta", "Caf\xE9"}));
  EXPECT_EQ(status.at("current"), JsonNumber(3));  // Beta, still
  EXPECT_EQ(status.at("title"), JsonText("Beta"));

  // A title no entry shows any more changes nothing.
  EXPECT_EQ(Json("remove=2&title=Epsilon", "Status: 404 Not Found\r\n"),
            (Members{{"error", JsonText("no entry shows the title \"Epsilon\"")}}));
  EXPECT_EQ(FileTitles().size(), 7u);

  status = Json("clear");
  EXPECT_EQ(Edit(), (Messages{LoggedQuery(tunaro::ClearPlaylist, 0), write}));
  EXPECT_EQ(FileTitles(), std::vector<std::string>{});
  EXPECT_EQ(status.at("entries"), JsonNumber(0));
}

TEST_F(LibraryTest, NamesTheCodePageCannotSpell) {
  // A current player takes them in UTF-16, and keeps them whole in its copy.
  StartPlayer({{"Alpha", "Album/2 Two.mp3"}}, {"--like-current"});
  const std::string tokyo = std::string(kTokyo) + ".mp3";
  const std::string query_tokyo = "%E6%9D%B1%E4%BA%AC.mp3";  // a server passes it on so
  EXPECT_EQ(Json("add=1/" + query_tokyo + "&at=next").at("added"), JsonNumber(1));
  const std::string wide_path = Utf16(Windows(tokyo));
  EXPECT_EQ(Edit()[3], LoggedFile(tunaro::InsertFileWide, InsertRecord(wide_path, true, 1), true));
  EXPECT_EQ(Json("add=1/" + query_tokyo).at("added"), JsonNumber(1));
  EXPECT_EQ(Edit()[1], LoggedFile(tunaro::AppendFileWide, wide_path + std::string(2, '\0'), false));
  const std::string copy = harness::ReadFileBytes(player_->utf8_playlist_path()).value_or("");
  EXPECT_NE(copy.find(Windows(tokyo) + "\r\n"), std::string::npos) << copy;

  // An older one does not: the add stops at that file and says so.
  StartPlayer({{"Alpha", "Album/2 Two.mp3"}});
  EXPECT_EQ(Json("add=1/Mixed", "Status: 500 Internal Server Error\r\n"),
            (Members{{"error", JsonText("The player did not take " + Windows("Mixed/2 " + tokyo) +
                                        ": it takes no names its code page cannot spell.")},
                     {"added", JsonNumber(1)}}));
  EXPECT_EQ(FileTitles(), (std::vector<std::string>{"Alpha", "1 a"}));
}

TEST_F(LibraryTest, ACoverFromEachSource) {
  StartPlayer({{"Folder image", "Album/2 Two.mp3"},
               {"ID3v2", "Tagged/apic.mp3"},
               {"FLAC", "Tagged/picture.flac"},
               {"MP4", "Tagged/covr.m4a"},
               {"Outside", "Out/secret.mp3"},
               {"Gone", ""}});
  const std::pair<const char*, std::string> covers[] = {
      {"cover=1", tagged::Jpeg('f')},
      {"cover", tagged::Jpeg('a')},  // the current entry
      {"cover=3", tagged::Jpeg('l')},
      {"cover=4", tagged::Jpeg('m')}};
  std::string etag;
  for (const auto& [query, picture] : covers) {
    const std::string out = Run(query);
    const std::size_t body = out.find("\r\n\r\n");
    ASSERT_NE(body, std::string::npos) << query << ": " << out;
    const std::string head = out.substr(0, body + 2);
    EXPECT_EQ(head.rfind("Content-type: image/jpeg\r\nETag: \"", 0), 0u) << query << ": " << head;
    EXPECT_NE(head.find("\r\nCache-Control: private, max-age=3600\r\n"), std::string::npos);
    EXPECT_EQ(out.substr(body + 4), picture) << query;
    etag = head.substr(head.find("ETag: ") + 6, 18);
  }
  EXPECT_EQ(Run("cover=4", etag), "Status: 304 Not Modified\r\nETag: " + etag +
                                      "\r\nCache-Control: private, max-age=3600\r\n\r\n");
  EXPECT_EQ(Json("cover=5", kForbidden),
            (Members{{"error", JsonText("the entry's file lies outside the music folders")}}));
  EXPECT_EQ(Json("cover=6", "Status: 404 Not Found\r\n"),
            (Members{{"error", JsonText("the entry's file is not there")}}));
  for (const LoggedMessage& m : player_->Log()) {
    EXPECT_TRUE(m.message == tunaro::QueryMessage && !m.to_editor) << m;
  }
}

}  // namespace
}  // namespace tunaro_test
