#include "app/entry_choice.h"

#include <optional>
#include <string>

#include "base/run_error.h"
#include "platform/ansi_characters.h"
#include "player/playlist_walk.h"

namespace tunaro {

std::int32_t ChooseEntry(SystemInterface& system, std::int16_t ssi_width, PlayerStatus& status,
                         const EntryChoice& choice) {
  if (choice.fault != 0) throw RunError(choice.fault);
  if (!choice.title) return choice.index;
  const std::optional<PlaylistText> playlist = ReadFreshPlaylist(system, status);
  if (!playlist) return choice.index;  // the refresh that follows ends the run
  // The titles as the page showed them: from the same text, in the same form.
  TitleForm form =
      playlist->utf8_copy ? TitleForm::ForUtf8Copy(system) : TitleForm(AnsiCharacters(system));
  return NearestEntryShowing(playlist->text, form, ssi_width, *choice.title, choice.index)
      .value_or(choice.index);
}

}  // namespace tunaro
