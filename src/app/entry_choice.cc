#include "app/entry_choice.h"

#include <string>

#include "app/site_page.h"
#include "base/run_error.h"
#include "base/text_rules.h"
#include "platform/ansi_characters.h"
#include "player/playlist_walk.h"
#include "render/page_text.h"

namespace tunaro {

std::int32_t ChooseEntry(SystemInterface& system, std::int16_t ssi_width, PlayerStatus& status,
                         const EntryChoice& choice) {
  if (choice.fault != 0) throw RunError(choice.fault);
  if (!choice.title) return choice.index;
  const std::optional<PlaylistText> playlist = ReadFreshPlaylist(system, status);
  if (!playlist) return choice.index;  // the refresh that follows ends the run
  return EntryShowing(system, *playlist, ssi_width, *choice.title, choice.index)
      .value_or(choice.index);
}

std::optional<std::int32_t> EntryShowing(SystemInterface& system, const PlaylistText& playlist,
                                         std::int16_t ssi_width, std::string_view shown,
                                         std::int32_t near) {
  std::string wanted;
  PutShownText(shown, wanted);
  // The titles as the page showed them: from the same text, cut alike.
  PageText text(AnsiCharacterOf(system));
  std::string sent;
  std::string title;
  const auto shows = [&](std::string_view cut) {
    if (playlist.utf8_copy) {
      sent.clear();
      text.AppendSentTitle(sent, cut, true);
      cut = sent;
    }
    PutShownText(cut, title);
    return title == wanted;
  };
  const CharacterRule characters =
      playlist.utf8_copy ? CharacterRule::Utf8() : AnsiCharacters(system);
  return NearestEntryShowing(playlist.text, characters, ssi_width, near, shows);
}

}  // namespace tunaro
