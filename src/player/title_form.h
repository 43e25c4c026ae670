// How the titles of one playlist file become the text a page shows: the
// characters of the file's own encoding are counted and cut, then written in
// the page's form (see PlayerStatus): bytes of the ANSI code page,
// HTML-escaped, with "&#N;" for a character that code page does not hold.
#ifndef TUNARO_PLAYER_TITLE_FORM_H_
#define TUNARO_PLAYER_TITLE_FORM_H_

#include <string>
#include <string_view>
#include <unordered_map>

#include "base/characters.h"
#include "platform/system_interface.h"

namespace tunaro {

class TitleForm {
 public:
  // For the ANSI playlist file: its text is already the code page's bytes.
  explicit TitleForm(CharacterRule ansi) : characters_(ansi) {}
  // For the player's UTF-8 copy: each character is asked for in the ANSI
  // code page, exactly.
  static TitleForm ForUtf8Copy(SystemInterface& system) { return TitleForm(system); }

  // The rule of the file's own text, by which titles are searched and cut.
  const CharacterRule& characters() const { return characters_; }
  // Replaces `out` with the page form of `text`, a title in the file's text.
  void PageForm(std::string_view text, std::string& out);
  // Whether `text` goes onto the page as it is (no conversion, nothing to
  // escape), which spares a copy for most titles of an ANSI file.
  bool IsPageForm(std::string_view text) const;

 private:
  explicit TitleForm(SystemInterface& system)
      : characters_(CharacterRule::Utf8()), system_(&system) {}
  const std::string& AnsiCharacter(char32_t code_point);

  CharacterRule characters_;
  SystemInterface* system_ = nullptr;  // set for a UTF-8 text
  // What the system answered for each character so far: a long list repeats
  // its characters, and each answer is a conversion.
  std::unordered_map<char32_t, std::string> known_;
};

// The title's page form back to the text a browser posts for it: "&amp;",
// "&lt;", "&gt;" and "&quot;" undone, "&#N;" kept, as a browser sends a
// character that its page's charset does not hold.
std::string PostedFormOf(std::string_view page_form);

}  // namespace tunaro

#endif  // TUNARO_PLAYER_TITLE_FORM_H_
