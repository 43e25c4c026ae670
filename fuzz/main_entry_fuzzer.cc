// A whole run: the request, the configuration, the site's header and footer,
// and the player with its playlist, against the fake system.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/main_entry.h"
#include "fuzz_input.h"
#include "player/player_messages.h"
#include "testing/fake_system.h"

namespace {

constexpr char kHeader[] = "Content-type: text/html\r\n\r\n";
constexpr std::string_view kJsonHeader = "Content-type: application/json; charset=utf-8\r\n\r\n";
constexpr std::string_view kBadRequest = "Status: 400 Bad Request\r\n";
constexpr std::string_view kForbidden = "Status: 403 Forbidden\r\n";
constexpr std::string_view kNotFound = "Status: 404 Not Found\r\n";
constexpr std::string_view kFailed = "Status: 500 Internal Server Error\r\n";
constexpr char kHeaderFile[] = "C:\\site\\header.htm";
constexpr char kFooterFile[] = "C:\\site\\footer.htm";

enum Flags : std::int64_t {
  kOutputIsPipe = 1,
  kNoPlayer = 2,
  kPlayerWritesTitles = 4,  // the playlist field is titles, one a line
  kNoProgramFile = 8,
  kReportsCount = 16,
  kHangsOnPlaylist = 32,
  kWindowGone = 64,
  kLockTaken = 128,         // another run holds the playlist lock past the wait
  kTruncateFails = 256,     // as under Wine for an inherited standard output
  kFooterUnreadable = 512,  // fails the run after most of the page
  kCrossSite = 1024,        // the browser says another site's page made the request
  kForeignOrigin = 2048,    // an Origin other than the Host, as an old browser sends it
  kWideFiles = 4096,        // the player takes files in UTF-16
  kNoEditor = 8192,         // the player names no playlist editor window
};

// The music folder every run has, whatever tunaro.conf names: a few files a
// request may name, a folder image, a name code page 1252 cannot spell, a
// folder, and a link that leads out.
void AddMusic(tunaro::FakeFolders& folders) {
  folders.music_folder = "C:\\Music";
  for (const char* name : {"track1.mp3", "track2.mp3", "Caf\xC3\xA9.flac", "list.m3u",
                           "\xE6\x9D\xB1.mp3", "Album\\1.mp3", "Album\\2.ogg", "folder.jpg"}) {
    folders.AddFile(std::string("C:\\Music\\") + name,
                    std::string_view(name) == "folder.jpg" ? "\xFF\xD8\xFF\xE0JFIF" : "");
  }
  folders.AddFile("D:\\Private\\secret.mp3");
  folders.AddLink("C:\\Music\\Out", "D:\\Private");
}

// Whether the player was asked to change its playlist.
bool IsEdit(const tunaro::LoggedMessage& m) {
  return m.message == tunaro::CopyDataMessage || m.to_editor ||
         (m.message == tunaro::QueryMessage && m.lparam == tunaro::ClearPlaylist);
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t lf = std::min(text.find('\n', start), text.size());
    lines.emplace_back(text.substr(start, lf - start));
    start = lf + 1;
  }
  return lines;
}

bool HasMarkup(std::string_view text) { return text.find_first_of("<>\"") != std::string::npos; }

// A title stands between a tag that the page writes and the one that closes
// it, on a line of its own; nothing in it may open or close a tag.
// Lines that the site's own files could have written are not looked at.
void CheckEscapedBetween(std::string_view page, const std::string& trusted,
                         std::string_view line_start, std::string_view open,
                         std::string_view close) {
  if (trusted.find(tunaro_fuzz::Lower(line_start)) != std::string::npos) return;
  for (std::size_t at = page.find(line_start); at != std::string_view::npos;
       at = page.find(line_start, at + 1)) {
    if (at != 0 && page[at - 1] != '\n') continue;
    const std::size_t end = page.find("\r\n", at);
    FUZZ_CHECK(end != std::string_view::npos);
    const std::string_view line = page.substr(at, end - at);
    const std::size_t from = line.find(open);
    const std::size_t to = line.rfind(close);
    FUZZ_CHECK(from != std::string_view::npos && to != std::string_view::npos);
    FUZZ_CHECK(from + open.size() <= to);
    FUZZ_CHECK(!HasMarkup(line.substr(from + open.size(), to - from - open.size())));
  }
}

// The number after `name` in a JSON answer; nothing when it has none.
std::optional<std::int64_t> JsonNumber(std::string_view answer, std::string_view name) {
  const std::string key = "\"" + std::string(name) + "\": ";
  const std::size_t at = answer.find(key);
  if (at == std::string_view::npos) return std::nullopt;
  return std::strtoll(std::string(answer.substr(at + key.size(), 12)).c_str(), nullptr, 10);
}

// A refusal leaves the playlist as it was and sends no edit; an add's answer
// says how many entries the list gained, a removal took one away.
void CheckEdit(std::string_view answer, const tunaro::FakePlayer& player,
               std::size_t entries_before) {
  const std::size_t entries = player.playlist.entries.size();
  for (const std::string_view refusal :
       {"Status: 400 ", "Status: 403 ", "Status: 404 ", "Status: 304 "}) {
    if (answer.substr(0, refusal.size()) != refusal) continue;
    for (const tunaro::LoggedMessage& m : player.log) FUZZ_CHECK(!IsEdit(m));
    FUZZ_CHECK(entries == entries_before);
  }
  // The count comes from the player's own answer, which may be made up; and
  // only a JSON answer's own fields count (a page may show any text the
  // settings hold, "added" too).
  if (player.faults.report_count) return;
  const std::string_view head = answer.substr(0, answer.find("\r\n\r\n"));
  if (head.find("Content-type: application/json") == std::string_view::npos) return;
  if (const std::optional<std::int64_t> added = JsonNumber(answer, "added")) {
    FUZZ_CHECK(static_cast<std::int64_t>(entries - entries_before) == *added);
  }
  if (answer.find("\"entry\": ") != std::string_view::npos) {
    FUZZ_CHECK(entries == entries_before || entries + 1 == entries_before);
  }
}

// What the fuzzer chose for one run. Input, NUL-separated: "flags count
// current play_state body_piece", the request method, QUERY_STRING,
// CONTENT_TYPE, CONTENT_LENGTH, the body, tunaro.conf, the header file, the
// footer file, the playlist.
struct Run {
  std::vector<std::string_view> fields;
  tunaro_fuzz::Knobs knobs;
};

std::string Defanged(std::string_view text, bool defang) {
  std::string out(text);
  if (defang) std::replace(out.begin(), out.end(), '<', '_');
  return out;
}

// The page of one run. With `defang`, what the browser and the player hand
// over has every "<" made a "_": lengths, lines and commas stay as they were,
// so the run takes the same way.
std::string Serve(const Run& run, bool defang) {
  const auto& fields = run.fields;
  const std::int64_t flags = run.knobs.Get(0);
  const std::string body = Defanged(fields[5], defang);
  const std::string_view header = fields[7];
  const std::string_view footer = fields[8];
  const std::string playlist = Defanged(fields[9], defang);

  tunaro::FakeSystem system;
  system.output_is_file = !(flags & kOutputIsPipe);
  system.truncate_fails = (flags & kTruncateFails) != 0;
  system.environment["SCRIPT_NAME"] = "/cgi-bin/tunaro/tunaro";
  system.environment["REQUEST_METHOD"] = std::string(fields[1]);
  system.environment["QUERY_STRING"] = Defanged(fields[2], defang);
  system.environment["CONTENT_TYPE"] = std::string(fields[3]);
  system.environment["CONTENT_LENGTH"] = std::string(fields[4]);
  // A server may hand the body over in two pieces.
  const std::size_t piece = static_cast<std::size_t>(run.knobs.Get(4)) % (body.size() + 1);
  if (piece > 0) system.input_pieces.emplace_back(body.substr(0, piece));
  if (piece < body.size()) system.input_pieces.emplace_back(body.substr(piece));
  system.SetConfiguration(std::string(fields[6]));
  if (!header.empty()) system.SetFile(kHeaderFile, std::string(header));
  if (!footer.empty()) system.SetFile(kFooterFile, std::string(footer));
  if (!footer.empty() && (flags & kFooterUnreadable)) system.files[kFooterFile].readable = false;

  AddMusic(system.folders);
  tunaro::FakePlayer& player = system.player;
  if (flags & kNoPlayer) player.window = 0;
  player.traits.wide_files = (flags & kWideFiles) != 0;
  if (flags & kNoEditor) player.editor_window = 0;
  player.gone = (flags & kWindowGone) != 0;
  if (flags & kHangsOnPlaylist) player.hangs_on = tunaro::WritePlaylist;
  system.playlist_lock_available = !(flags & kLockTaken);
  if (!(flags & kNoProgramFile)) system.SetFile(player.program_path, "MZ");
  // Huge counts are the status target's: here they would only slow the runs.
  const std::int32_t count = run.knobs.Int32(1) % 5001;
  if (flags & kReportsCount) player.faults.report_count = count;
  player.playlist.current = run.knobs.Int32(2);
  player.faults.state_answer = run.knobs.Int32(3, 1);
  if (flags & kPlayerWritesTitles) {
    player.playlist.entries = player_model::EntriesTitled(SplitLines(playlist));
  } else {
    player.faults.no_playlist_file = true;
    player.faults.report_count = count;
    system.SetFile(system.PlaylistPath(), playlist);
  }

  system.environment["HTTP_HOST"] = "pc:8080";
  if (flags & kCrossSite) system.environment["HTTP_SEC_FETCH_SITE"] = "cross-site";
  if (flags & kForeignOrigin) system.environment["HTTP_ORIGIN"] = "http://elsewhere.example";

  const std::size_t entries_before = player.playlist.entries.size();
  FUZZ_CHECK(tunaro::MainEntry(system) == 0);
  FUZZ_CHECK(!system.playlist_lock_held);
  // Another site's request neither selects, commands nor edits anything.
  if ((flags & kCrossSite) || ((flags & kForeignOrigin) && fields[1] == "POST")) {
    for (const tunaro::LoggedMessage& m : player.log) {
      FUZZ_CHECK(m.message != tunaro::CommandMessage && m.lparam != tunaro::SetCurrentEntry);
      FUZZ_CHECK(!IsEdit(m));
    }
  }
  CheckEdit(system.output, player, entries_before);
  return system.output;
}

// Whether a query string asks for JSON (or a cover) rather than the page:
// "status" or "clear" whole, a control's name before its first "=" (or
// whole), or the music folders', an edit's or the cover's before the first
// "=" of its first pair, letter case ignored.
bool AsksForJson(std::string_view query) {
  const std::string lower = tunaro_fuzz::Lower(query);
  if (lower == "status" || lower == "clear") return true;
  const std::string name = lower.substr(0, lower.find('='));
  if (name == "volume" || name == "seek" || name == "shuffle" || name == "repeat") return true;
  const std::string first = lower.substr(0, lower.find('&'));
  const std::string pair_name = first.substr(0, first.find('='));
  return pair_name == "library" || pair_name == "find" || pair_name == "add" ||
         pair_name == "remove" || pair_name == "move" || pair_name == "cover";
}

// A cover: its type, ETag and caching, then at most 8 MiB of a picture; or a
// 304 with no bytes.
bool CheckCover(std::string_view answer) {
  const bool unchanged = answer.substr(0, 26) == "Status: 304 Not Modified\r\n";
  if (!unchanged && answer.substr(0, 20) != "Content-type: image/") return false;
  const std::size_t end = answer.find("\r\n\r\n");
  FUZZ_CHECK(end != std::string_view::npos);
  const std::string_view head = answer.substr(0, end + 2);
  FUZZ_CHECK(head.find("\r\nETag: \"") != std::string_view::npos);
  FUZZ_CHECK(head.find("\r\nCache-Control: private, max-age=3600\r\n") != std::string_view::npos);
  const std::size_t bytes = answer.size() - end - 4;
  FUZZ_CHECK(unchanged ? bytes == 0 : bytes > 0 && bytes <= (8u << 20));
  return true;
}

std::size_t CountScripts(const std::string& page) {
  const std::string lower = tunaro_fuzz::Lower(page);
  std::size_t count = 0;
  for (std::size_t at = lower.find("<script"); at != std::string::npos;
       at = lower.find("<script", at + 1)) {
    ++count;
  }
  return count;
}

// The JSON answers (a refusal's and a failure's too) are one line holding one
// object, and whatever the player, the request or a name in the music folder
// said, nothing in them can end a script or open a tag; a cover is a picture.
void CheckStatusAnswer(std::string_view answer) {
  if (CheckCover(answer)) return;
  for (const std::string_view status : {kBadRequest, kForbidden, kNotFound, kFailed}) {
    if (answer.substr(0, status.size()) == status) answer.remove_prefix(status.size());
  }
  FUZZ_CHECK(answer.substr(0, kJsonHeader.size()) == kJsonHeader);
  const std::string_view body = answer.substr(kJsonHeader.size());
  FUZZ_CHECK(tunaro_fuzz::EndsWith(body, "}\r\n") && body.front() == '{');
  for (std::size_t i = 0; i + 2 < body.size(); ++i) {
    const auto byte = static_cast<unsigned char>(body[i]);
    FUZZ_CHECK(byte >= 0x20 && byte != 0x7F && byte != '<' && byte != '>' && byte != '&');
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto fields = tunaro_fuzz::SplitFields(data, size, 10);
  const Run run{fields, tunaro_fuzz::Knobs(fields[0])};
  const std::string page = Serve(run, false);
  // Whatever fails, a request answers in the kind it asked for; another
  // site's request asks for the page.
  const std::int64_t flags = run.knobs.Get(0);
  const bool other_site = (flags & kCrossSite) || ((flags & kForeignOrigin) && fields[1] == "POST");
  const bool json = page.compare(0, sizeof kHeader - 1, kHeader) != 0;
  if (!other_site) FUZZ_CHECK(json == AsksForJson(fields[2]));
  if (json) {
    CheckStatusAnswer(page);
    return 0;
  }

  const std::string trusted = tunaro_fuzz::Lower(run.fields[6]) + '\0' +
                              tunaro_fuzz::Lower(run.fields[7]) + '\0' +
                              tunaro_fuzz::Lower(run.fields[8]);

  // Over a file the error page is all there is, whether or not the file can
  // be cut (unless the site's files imitate it).
  const std::string error_start = std::string(kHeader) + "<html><head><title>Internal Error";
  if (!(run.knobs.Get(0) & kOutputIsPipe) && page.find(error_start) != std::string::npos &&
      trusted.find("internal error") == std::string::npos) {
    FUZZ_CHECK(page.compare(0, error_start.size(), error_start) == 0);
    FUZZ_CHECK(tunaro_fuzz::EndsWith(page, "</body></html>\r\n"));
    FUZZ_CHECK(page.find(kHeader, 1) == std::string::npos);
  }

  // Titles and requests are anybody's text: a script in the page must come
  // from the site's own configuration or files, and so stays when every "<"
  // from outside is gone.
  const std::size_t scripts = CountScripts(page);
  if (scripts > 0) FUZZ_CHECK(CountScripts(Serve(run, true)) == scripts);

  // Lines that only the page writes carry titles escaped.
  CheckEscapedBetween(page, trusted, "<option", ". ", "</option>");
  CheckEscapedBetween(page, trusted, "Song Name: ", "<b>", "</b>");
  CheckEscapedBetween(page, trusted, "<tr><td colspan=2 align=center><small><b>", "<small><b>",
                      "</b></small>");
  return 0;
}
