// A private copy of tunaro.exe with its own tunaro.conf, and what the process
// tests expect of a run against the stand-in player.
#ifndef TUNARO_TESTS_PROCESS_TUNARO_INSTALL_H_
#define TUNARO_TESTS_PROCESS_TUNARO_INSTALL_H_

#include <string>
#include <vector>

#include "harness/wine_harness.h"
#include "testing/player_model/playlist_text.h"

namespace tunaro_test {

// Playlists as the player writes them, for the stand-in's --playlist.
using player_model::EntriesTitled;
using player_model::PlaylistText;

constexpr char kHeaderBlock[] = "Content-type: text/html\r\n\r\n";
constexpr char kScriptName[] = "/cgi-bin/tunaro/tunaro";
constexpr char kDefaultConfiguration[] =
    "# written by the process tests\r\nIMGDIR /images/\r\nWWWPATH /cgi-bin/tunaro/\r\n"
    "BGCOLOR #E8EEF4\r\n";

class TunaroInstall {
 public:
  explicit TunaroInstall(const std::string& configuration = kDefaultConfiguration)
      : dir_("tunaro-install") {
    exe_ = harness::InstallExe(dir_, "tunaro.exe");
    dir_.WriteFile("tunaro.conf", configuration);
  }
  const std::string& exe() const { return exe_; }
  const harness::TempDir& dir() const { return dir_; }
  void Configure(const std::string& configuration) const {
    dir_.WriteFile("tunaro.conf", configuration);
  }

  harness::CgiRequest Get(const std::string& query = "") const {
    harness::CgiRequest request = harness::CgiRequest::Get(exe_, query);
    request.script_name = kScriptName;
    return request;
  }
  harness::CgiRequest Post(const std::string& query, const std::string& body) const {
    harness::CgiRequest request = harness::CgiRequest::Post(exe_, body);
    request.query_string = query;
    request.script_name = kScriptName;
    return request;
  }

 private:
  harness::TempDir dir_;
  std::string exe_;
};

// The queries that find the player's files, from a player of the old kind: its
// program path a character at a time, then the two folder queries, which it
// does not know (it keeps its playlist file beside its program).
inline void AppendFileQueries(std::vector<harness::LoggedMessage>& messages,
                              std::size_t path_length) {
  for (std::size_t i = 0; i <= path_length; ++i) {
    messages.push_back(harness::LoggedQuery(tunaro::QueryPathChar, static_cast<long long>(i)));
  }
  messages.push_back(harness::LoggedQuery(tunaro::QueryPlaylistDirectory, 0));
  messages.push_back(harness::LoggedQuery(tunaro::QuerySettingsDirectory, 0));
}

// The queries of one status refresh, in order, for a player whose program
// path has `path_length` characters.
inline std::vector<harness::LoggedMessage> RefreshMessages(std::size_t path_length) {
  using harness::LoggedQuery;
  std::vector<harness::LoggedMessage> messages = {
      LoggedQuery(tunaro::QueryPlayState, 0),  LoggedQuery(tunaro::QueryLength, 1),
      LoggedQuery(tunaro::QueryStreamInfo, 0), LoggedQuery(tunaro::QueryStreamInfo, 1),
      LoggedQuery(tunaro::WritePlaylist, 0),   LoggedQuery(tunaro::QueryEntryCount, 0)};
  AppendFileQueries(messages, path_length);
  messages.push_back(LoggedQuery(tunaro::WritePlaylist, 0));
  messages.push_back(LoggedQuery(tunaro::WritePlaylist, 0));
  return messages;
}

// A choice with a title ("3. Gamma") first has the player write its playlist,
// to see which entry shows that title now: one query more than the refresh's
// and the choice's own, the locating queries being asked once.
constexpr std::size_t kTitledChoiceExtraQueries = 1;

// The messages of a log other than the refresh's queries: the selection and
// the commands, in the order they arrived.
inline std::vector<harness::LoggedMessage> RequestMessages(
    const std::vector<harness::LoggedMessage>& log) {
  std::vector<harness::LoggedMessage> sent;
  for (const harness::LoggedMessage& m : log) {
    if (m.message == tunaro::CommandMessage ||
        (m.message == tunaro::QueryMessage && m.lparam == tunaro::SetCurrentEntry)) {
      sent.push_back(m);
    }
  }
  return sent;
}

// The text between "Winamp is Running (<b>" and the next "<", or "?".
inline std::string ShownState(const std::string& page) {
  const std::string marker = "Winamp is Running (<b>";
  const std::size_t at = page.find(marker);
  if (at == std::string::npos) return "?";
  const std::size_t from = at + marker.size();
  return page.substr(from, page.find('<', from) - from);
}

}  // namespace tunaro_test

#endif  // TUNARO_TESTS_PROCESS_TUNARO_INSTALL_H_
