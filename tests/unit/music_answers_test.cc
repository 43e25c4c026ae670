// The music folders' answers, the playlist's edits and the cover as whole
// runs over the fake system: the messages each edit sends, in order; the
// answer's status line and object; the refusals, which send nothing; the
// records that hand a file over, read back as the player model reads them.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "app/cover_answer.h"
#include "app/file_records.h"
#include "app/main_entry.h"
#include "player/player_messages.h"
#include "tagged_files.h"
#include "testing/fake_system.h"
#include "testing/player_model/handed_file.h"

namespace tunaro {

void PrintTo(const LoggedMessage& m, std::ostream* out) {
  *out << "{" << m.message << " " << m.wparam << " " << m.lparam << (m.to_editor ? " pe" : "")
       << (m.data.empty() ? "" : " data") << "}";
}

namespace {

constexpr char kJson[] = "Content-type: application/json; charset=utf-8\r\n\r\n";
using Log = std::vector<LoggedMessage>;

LoggedMessage Query(std::int32_t code, std::int64_t argument = 0) {
  return {QueryMessage, argument, code};
}
LoggedMessage Editor(std::int32_t code, std::int64_t value) {
  return {QueryMessage, code, value, true};
}
LoggedMessage File(const FileRecord& record, bool to_editor) {
  return {CopyDataMessage, record.kind, static_cast<std::int64_t>(record.bytes.size()), to_editor,
          record.bytes};
}

class MusicAnswersTest : public ::testing::Test {
 protected:
  MusicAnswersTest() {
    system_.SetConfiguration("IMGDIR /i/\r\nWWWPATH /w/\r\nMUSICDIR C:\\Music\r\n");
    system_.environment["REQUEST_METHOD"] = "GET";
    system_.SetFile(system_.player.program_path, "MZ");
    FakeFolders& f = system_.folders;
    f.AddFile("C:\\Music\\Album\\10 Ten.mp3");
    f.AddFile("C:\\Music\\Album\\2 Two.mp3");
    f.AddFile("C:\\Music\\Album\\folder.jpg", tagged_files::Jpeg('f'));
    f.AddFile("C:\\Music\\Album\\notes.txt");
    f.AddFile("C:\\Music\\Caf\xC3\xA9.mp3");
    f.AddFile("C:\\Music\\\xE6\x9D\xB1\xE4\xBA\xAC.mp3");  // Tokyo, which 1252 cannot spell
    f.AddFile("D:\\Private\\secret.mp3");
    f.AddLink("C:\\Music\\Out", "D:\\Private");
    player_model::Playlist& list = system_.player.playlist;
    list.entries = player_model::EntriesTitled({"Alpha", "Beta", "Gamma", "Beta", "Delta"});
    list.entries[0].path = "C:\\Music\\Album\\2 Two.mp3";
    list.entries[4].path = "D:\\Private\\secret.mp3";
    list.current = 1;
  }
  std::string Run(const std::string& query) {
    system_.environment["QUERY_STRING"] = query;
    system_.output.clear();
    system_.output_position = 0;
    system_.player.log.clear();
    MainEntry(system_);
    return system_.output;
  }
  // What the run sent before the status read after it, but for the queries
  // that locate the player's files.
  Log Edit() const {
    Log sent;
    for (const LoggedMessage& m : system_.player.log) {
      if (m == Query(QueryPlayState)) break;
      const bool locating = !m.to_editor && (m.lparam == QueryPathChar ||
                                             m.lparam == QueryPlaylistDirectory ||
                                             m.lparam == QuerySettingsDirectory);
      if (!locating) sent.push_back(m);
    }
    return sent;
  }
  std::vector<std::string> Titles() const {
    std::vector<std::string> titles;
    for (const auto& entry : system_.player.playlist.entries) titles.push_back(entry.title);
    return titles;
  }
  FileRecord Record(const std::string& path, std::int32_t index = -1) {
    FileRecords records(system_);
    return index < 0 ? records.Append(path) : *records.Insert(path, index);
  }

  FakeSystem system_;
};

TEST(FileRecordsTest, ThePlayerReadsBackEachRecord) {
  FakeSystem system;
  FileRecords records(system);
  const std::string cafe = "C:\\Music\\Caf\xC3\xA9.mp3";
  const std::string tokyo = "C:\\\xE6\x9D\xB1\xE4\xBA\xAC\\\xF0\x9F\x8E\xB5.mp3";  // and a note
  struct Row {
    FileRecord record;
    std::int32_t kind;
    std::string path;  // as the player reads it
    long long index;
  } rows[] = {
      {records.Append(cafe), AppendFileAnsi, "C:\\Music\\Caf\xE9.mp3", 0},
      {records.Append(tokyo), AppendFileWide, tokyo, 0},
      {*records.Insert(cafe, 7), InsertFileAnsi, "C:\\Music\\Caf\xE9.mp3", 7},
      {*records.Insert(tokyo, 65536), InsertFileWide, tokyo, 65536},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.record.kind, row.kind) << row.path;
    const bool insert = row.kind == InsertFileAnsi || row.kind == InsertFileWide;
    const auto read = player_model::ReadHandedFile(row.kind, row.record.bytes, insert);
    ASSERT_TRUE(read.has_value()) << row.path;
    EXPECT_EQ(read->path, row.path);
    EXPECT_EQ(read->index, row.index);
    EXPECT_FALSE(player_model::ReadHandedFile(row.kind, row.record.bytes, !insert));
  }
  EXPECT_EQ(rows[2].record.bytes.size(), 264u);
  EXPECT_EQ(rows[3].record.bytes.size(), 524u);
  // 259 characters fill the record with its NUL; 260 do not fit.
  const std::string long_path = "C:\\" + std::string(256, 'a');
  EXPECT_TRUE(records.Insert(long_path, 0));
  EXPECT_FALSE(records.Insert(long_path + "a", 0));
  // Counted in the record's own characters: bytes of the code page, or UTF-16.
  std::string cafes = "C:\\";
  for (int i = 0; i < 250; ++i) cafes += "\xC3\xA9";
  EXPECT_EQ(records.Insert(cafes, 0)->kind, InsertFileAnsi);
}

TEST_F(MusicAnswersTest, AnAddHandsOverEachFileAndSaysWhatItDid) {
  const std::string out = Run("add=1/Caf%C3%A9.mp3");
  EXPECT_EQ(Edit(), (Log{Query(QueryEntryCount), File(Record("C:\\Music\\Caf\xC3\xA9.mp3"), false),
                         Query(QueryEntryCount), Query(WritePlaylist)}));
  EXPECT_EQ(Titles().back(), "Caf\xE9");
  EXPECT_NE(out.find("\"entries\": 6, "), std::string::npos) << out;
  EXPECT_NE(out.find(", \"added\": 1, \"appended\": 0, \"more\": false, \"stopped\": false}"),
            std::string::npos)
      << out;

  // A folder, after the current entry: its audio files in the listing's
  // order, each one place further on; the current entry stays where it was.
  Run("add=1/Album&at=next");
  EXPECT_EQ(Edit(), (Log{Query(QueryEntryCount), Query(WritePlaylist), Query(QueryWindow, 1),
                         File(Record("C:\\Music\\Album\\2 Two.mp3", 2), true),
                         File(Record("C:\\Music\\Album\\10 Ten.mp3", 3), true),
                         Query(QueryEntryCount), Query(WritePlaylist)}));
  EXPECT_EQ(Titles(), (std::vector<std::string>{"Alpha", "Beta", "2 Two", "10 Ten", "Gamma", "Beta",
                                                "Delta", "Caf\xE9"}));
  EXPECT_EQ(system_.player.playlist.current, 1);

  // A path too long to insert goes to the end, and the answer says so.
  const std::string name(250, 'n');
  system_.folders.AddFile("C:\\Music\\" + name + ".mp3");
  EXPECT_NE(Run("add=1/" + name + ".mp3&at=next").find("\"added\": 1, \"appended\": 1"),
            std::string::npos);
  EXPECT_EQ(Titles().back(), name);
}

TEST_F(MusicAnswersTest, AnOlderPlayerTakesNoUnicodeNameAndTheAnswerSaysWhichAndHowMany) {
  system_.folders.AddFile("C:\\Music\\Mixed\\1 a.mp3");
  system_.folders.AddFile("C:\\Music\\Mixed\\2 \xE6\x9D\xB1.mp3");
  system_.folders.AddFile("C:\\Music\\Mixed\\3 c.mp3");
  const std::string out = Run("add=1/Mixed");
  EXPECT_EQ(out, "Status: 500 Internal Server Error\r\n" + std::string(kJson) +
                     "{\"error\": \"The player did not take C:\\\\Music\\\\Mixed\\\\2 "
                     "\xE6\x9D\xB1.mp3: it takes no names its code page cannot spell.\", "
                     "\"added\": 1}\r\n");
  EXPECT_EQ(Titles().size(), 6u);
  // A current player takes it, and keeps the name whole in its UTF-8 copy.
  system_.player.traits.wide_files = true;
  EXPECT_NE(Run("add=1/%E6%9D%B1%E4%BA%AC.mp3").find("\"added\": 1, "), std::string::npos);
  EXPECT_EQ(Edit()[1], File(Record("C:\\Music\\\xE6\x9D\xB1\xE4\xBA\xAC.mp3"), false));
  EXPECT_EQ(Edit()[1].wparam, AppendFileWide);
  EXPECT_EQ(system_.player.playlist.entries.back().utf8_title, "\xE6\x9D\xB1\xE4\xBA\xAC");
}

TEST_F(MusicAnswersTest, RefusalsSendNothing) {
  const std::string forbidden = "Status: 403 Forbidden\r\n" + std::string(kJson);
  const std::string not_found = "Status: 404 Not Found\r\n" + std::string(kJson);
  const std::string bad = "Status: 400 Bad Request\r\n" + std::string(kJson);
  const std::pair<const char*, std::string> rows[] = {
      {"add=1/../Windows", forbidden + "{\"error\": \"the path holds a \\\"..\\\" name\"}\r\n"},
      {"add=C:/Windows", forbidden},
      {"add=1%5CAlbum", forbidden},
      {"add=1/Album/x.mp3%3Astream", forbidden},
      {"add=1/Album.", forbidden},
      {"add=1/nul.mp3", forbidden},
      {"add=1/Out/secret.mp3",
       forbidden + "{\"error\": \"1/Out/secret.mp3 leads out of the music folders\"}\r\n"},
      {"add=1/Missing.mp3", not_found + "{\"error\": \"1/Missing.mp3 is not there\"}\r\n"},
      {"add=2/a.mp3", not_found + "{\"error\": \"there is no music folder 2\"}\r\n"},
      {"add=1/Album/notes.txt", bad},
      {"add=", bad + "{\"error\": \"add needs a path: add=1/Artist/Album\"}\r\n"},
      {"add=1/Album&at=later", bad + "{\"error\": \"at must be next\"}\r\n"},
      {"remove=0", bad},
      {"remove=9", not_found + "{\"error\": \"there is no entry 9\"}\r\n"},
      {"move=1", bad},
      {"move=1&to=6", bad + "{\"error\": \"to must be an entry number from 1 to 5\"}\r\n"},
      {"remove=2&title=Omega",
       not_found + "{\"error\": \"no entry shows the title \\\"Omega\\\"\"}\r\n"},
      {"remove=2&title=%FF", bad + "{\"error\": \"title must be UTF-8\"}\r\n"},
  };
  for (const auto& [query, answer] : rows) {
    const std::string out = Run(query);
    EXPECT_EQ(out.substr(0, answer.size()), answer) << query << "\n" << out;
    for (const LoggedMessage& m : system_.player.log) {
      EXPECT_TRUE(m.message == QueryMessage && !m.to_editor &&
                  (m.lparam == QueryEntryCount || m.lparam == WritePlaylist ||
                   m.lparam == QueryPathChar || m.lparam == QueryPlaylistDirectory ||
                   m.lparam == QuerySettingsDirectory))
          << query << ": " << m.message << " " << m.wparam << " " << m.lparam;
    }
  }
  EXPECT_EQ(Titles(), (std::vector<std::string>{"Alpha", "Beta", "Gamma", "Beta", "Delta"}));
}

TEST_F(MusicAnswersTest, RemoveAndMoveActOnTheEntryShowingTheTitleNearestToTheirNumber) {
  // Two entries show "Beta" (2 and 4): the one nearest to the number given.
  std::string out = Run("remove=5&title=Beta");
  EXPECT_EQ(Edit(), (Log{Query(QueryEntryCount), Query(WritePlaylist), Query(QueryWindow, 1),
                         Editor(EditorDelete, 3), Query(WritePlaylist)}));
  EXPECT_NE(out.find("\"entries\": 4, \"kbps\""), std::string::npos) << out;
  EXPECT_NE(out.find(", \"entry\": 4}"), std::string::npos) << out;
  EXPECT_EQ(Titles(), (std::vector<std::string>{"Alpha", "Beta", "Gamma", "Delta"}));

  // Alpha, from a page where it stood third, to the end: three swaps of
  // neighbours; the current entry goes along with its song.
  out = Run("move=3&to=4&title=Alpha");
  EXPECT_EQ(Edit(), (Log{Query(QueryEntryCount), Query(WritePlaylist), Query(QueryWindow, 1),
                         Editor(EditorSwap, 0x00001), Editor(EditorSwap, 0x10002),
                         Editor(EditorSwap, 0x20003), Query(WritePlaylist)}));
  EXPECT_EQ(Titles(), (std::vector<std::string>{"Beta", "Gamma", "Delta", "Alpha"}));
  EXPECT_EQ(system_.player.playlist.current, 0);
  EXPECT_NE(out.find(", \"entry\": 1}"), std::string::npos) << out;
  Run("move=4&to=2");
  EXPECT_EQ(Titles(), (std::vector<std::string>{"Beta", "Alpha", "Gamma", "Delta"}));

  out = Run("clear");
  EXPECT_EQ(Edit(), (Log{Query(ClearPlaylist), Query(WritePlaylist)}));
  EXPECT_NE(out.find("\"entries\": 0"), std::string::npos);
}

TEST_F(MusicAnswersTest, TheCoverOfTheCurrentEntryOrOfEntryN) {
  system_.player.playlist.current = 0;
  const std::string jpeg = tagged_files::Jpeg('f');
  std::string out = Run("cover");
  const std::size_t head = out.find("\r\n\r\n") + 4;
  EXPECT_EQ(out.substr(0, 31), "Content-type: image/jpeg\r\nETag:");
  EXPECT_NE(out.find("\r\nCache-Control: private, max-age=3600\r\n\r\n"), std::string::npos);
  EXPECT_EQ(out.substr(head), jpeg);
  const std::string etag = out.substr(32, out.find("\r\n", 32) - 32);
  system_.environment["HTTP_IF_NONE_MATCH"] = "\"other\", W/" + etag;
  EXPECT_EQ(Run("cover=1"), "Status: 304 Not Modified\r\nETag: " + etag +
                                "\r\nCache-Control: private, max-age=3600\r\n\r\n");
  EXPECT_EQ(Run("cover=5").rfind("Status: 403 Forbidden\r\n", 0), 0u);
  EXPECT_EQ(Run("cover=2").rfind("Status: 404 Not Found\r\n", 0), 0u);  // no such file
  EXPECT_EQ(Run("cover=6").rfind("Status: 404 Not Found\r\n", 0), 0u);
  for (const LoggedMessage& m : system_.player.log) EXPECT_NE(m.message, CopyDataMessage);
  system_.player.window = 0;
  EXPECT_EQ(Run("cover"), "Status: 404 Not Found\r\n" + std::string(kJson) +
                              "{\"error\": \"the player is not running\"}\r\n");
  EXPECT_TRUE(MatchesEtag("*", "\"a\""));
  EXPECT_FALSE(MatchesEtag("\"ab\"", "\"a\""));
}

TEST_F(MusicAnswersTest, TheLibraryAnswersAndTheirRefusals) {
  EXPECT_EQ(Run("library"), std::string(kJson) +
                                "{\"folders\": [{\"path\": \"1\", \"name\": \"C:\\\\Music\", "
                                "\"available\": true}]}\r\n");
  EXPECT_EQ(Run("library=1/Album&from=1"),
            std::string(kJson) +
                "{\"path\": \"1/Album\", \"items\": [{\"name\": \"10 Ten.mp3\", \"path\": "
                "\"1/Album/10 Ten.mp3\", \"kind\": \"audio\", \"size\": 0}], \"from\": 1, "
                "\"total\": 2, \"next\": null}\r\n");
  EXPECT_EQ(Run("find=caf"), std::string(kJson) +
                                 "{\"hits\": [{\"name\": \"Caf\xC3\xA9.mp3\", \"path\": "
                                 "\"1/Caf\xC3\xA9.mp3\", \"kind\": \"audio\", \"size\": 0}], "
                                 "\"more\": false, \"stopped\": false}\r\n");
  EXPECT_EQ(Run("library=1/Out").rfind("Status: 403 Forbidden\r\n", 0), 0u);
  EXPECT_EQ(Run("library=1/%2E%2E").rfind("Status: 403 Forbidden\r\n", 0), 0u);
  EXPECT_EQ(Run("library=1/Caf%C3%A9.mp3").rfind("Status: 404 Not Found\r\n", 0), 0u);
  EXPECT_EQ(Run("library=1&from=x").rfind("Status: 400 Bad Request\r\n", 0), 0u);
  EXPECT_TRUE(system_.player.log.empty());
  // A MUSICDIR line is in the ANSI code page.
  system_.SetConfiguration("IMGDIR /i/\r\nWWWPATH /w/\r\nMUSICDIR C:\\M\xFCsik\r\n");
  system_.folders.AddFolder("C:\\M\xC3\xBCsik");
  EXPECT_NE(Run("library").find("\"name\": \"C:\\\\M\xC3\xBCsik\", \"available\": true"),
            std::string::npos);
}

TEST_F(MusicAnswersTest, AnotherSitesRequestActsOnNothingAndAFailureAnswersJson) {
  system_.environment["HTTP_SEC_FETCH_SITE"] = "cross-site";
  for (const char* query : {"add=1/Album", "clear", "remove=1", "cover", "library"}) {
    EXPECT_EQ(Run(query).rfind("Content-type: text/html\r\n", 0), 0u) << query;
    EXPECT_EQ(system_.player.playlist.entries.size(), 5u) << query;
  }
  system_.environment.erase("HTTP_SEC_FETCH_SITE");
  system_.player.hangs_on = QueryEntryCount;
  EXPECT_EQ(
      Run("add=1/Album").rfind("Status: 500 Internal Server Error\r\n" + std::string(kJson), 0),
      0u);
}

}  // namespace
}  // namespace tunaro
