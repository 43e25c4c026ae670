// What the pages are made of besides the player's status: the program's own
// address, the image folder and colour from the site's settings, the site's
// own header and footer, and the system's code page for the titles. The request handler puts it
// together; the renderers only write it.
#ifndef TUNARO_RENDER_PAGE_INPUT_H_
#define TUNARO_RENDER_PAGE_INPUT_H_

#include <functional>
#include <string>

#include "cgi/response_writer.h"
#include "render/page_text.h"

namespace tunaro {

struct PageInput {
  std::string SelfUrl;  // the program's own address; command links add "?" and the word
  std::string ImgDir;   // written directly before each image's file name
  std::string BgColor;  // the tables' background
  // Write the site's header or footer in place of the page's first or last
  // line; false when the site has none and the plain line goes out. An empty
  // function counts as none.
  std::function<bool(ResponseWriter&)> WriteHeader;
  std::function<bool(ResponseWriter&)> WriteFooter;
  // How the titles of the player's UTF-8 copy reach the page's code page.
  AnsiCharacterFunction AnsiCharacter;
};

}  // namespace tunaro

#endif  // TUNARO_RENDER_PAGE_INPUT_H_
