#include "app/entry_choice.h"

#include <optional>
#include <string>

#include "base/run_error.h"
#include "base/text_rules.h"
#include "platform/ansi_characters.h"
#include "player/playlist_walk.h"

namespace tunaro {
namespace {

// The text after the first "." when one blank follows it, unless that text
// holds nothing but white space: "3. Some Title" has "Some Title"; "3.",
// "3.x" and "3. " have none.
std::optional<std::string_view> TitlePart(std::string_view selection) {
  const std::size_t dot = selection.find('.');
  if (dot == std::string_view::npos || selection.substr(dot + 1, 1) != " ") return std::nullopt;
  const std::string_view title = selection.substr(dot + 2);
  if (title.find_first_not_of(" \t\r\n\f") == std::string_view::npos) return std::nullopt;
  return title;
}

}  // namespace

std::int32_t SelectionIndex(std::string_view selection) {
  const std::size_t dot = selection.find('.');
  if (dot == std::string_view::npos) throw RunError(error_number::kTypeMismatch);
  // The list boxes write the position as plain digits; blanks around them and
  // a sign are tolerated, anything else is not a number.
  std::string_view text = TrimBlanks(selection.substr(0, dot));
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text = TrimBlanks(text.substr(1));
  }
  if (text.empty()) throw RunError(error_number::kTypeMismatch);
  std::int64_t number = 0;
  for (char c : text) {
    if (c < '0' || c > '9') throw RunError(error_number::kTypeMismatch);
    number = number * 10 + (c - '0');
    if (number > (std::int64_t{1} << 32)) number = (std::int64_t{1} << 32) + 1;  // still too big
  }
  const std::int64_t index = (negative ? -number : number) - 1;
  if (index < INT32_MIN || index > INT32_MAX) throw RunError(error_number::kOverflow);
  return static_cast<std::int32_t>(index);
}

std::int32_t ChooseEntry(SystemInterface& system, std::int16_t ssi_width, PlayerStatus& status,
                         std::string_view selection) {
  const std::int32_t index = SelectionIndex(selection);
  const std::optional<std::string_view> title = TitlePart(selection);
  if (!title) return index;
  const std::optional<PlaylistText> playlist = ReadFreshPlaylist(system, status);
  if (!playlist) return index;  // the refresh that follows ends the run
  // The titles as the page showed them: from the same text, in the same form.
  TitleForm form =
      playlist->utf8_copy ? TitleForm::ForUtf8Copy(system) : TitleForm(AnsiCharacters(system));
  return NearestEntryShowing(playlist->text, form, ssi_width, *title, index).value_or(index);
}

}  // namespace tunaro
