#include "server/http/pairing_page.h"

namespace tunaro::server {

const char kPairingPageFile[] = "wwwroot\\pair.html";

namespace {

const char kMark[] = "<!--note-->";

// Enough to pair with when the shipped page has been deleted.
const char kPlainPage[] =
    "<!doctype html><html lang=en><meta charset=utf-8>"
    "<meta name=viewport content=\"width=device-width, initial-scale=1\">"
    "<title>Pair this device</title><h1>Pair this device</h1><!--note-->"
    "<p>Type the pairing code that Tunaro's server shows on the PC.</p>"
    "<form method=post action=/pair><label for=code>Pairing code</label> "
    "<input id=code name=code autocomplete=off required> <button>Pair</button></form>"
    "<p><a href=/>Already paired? Open the remote</a></p></html>\n";

const char* NoteText(PairingNote note) {
  switch (note) {
    case PairingNote::kNone:
      return nullptr;
    case PairingNote::kWrongCode:
      return "That code is not right. Check it on the PC and type it again.";
    case PairingNote::kPastCode:
      return "That code was used or has expired. The PC shows a new one.";
    case PairingNote::kWaiting:
      return "Too many wrong codes from this device. Wait a minute, then try again.";
    case PairingNote::kNoPasswordLogin:
      return "This server has no password login. Pair with the code the PC shows.";
  }
  return nullptr;
}

}  // namespace

std::string PairingPageText(const std::optional<std::string>& page_file, PairingNote note) {
  std::string page = page_file ? *page_file : kPlainPage;
  const std::size_t mark = page.find(kMark);
  if (const char* text = NoteText(note); text != nullptr && mark != std::string::npos) {
    page.replace(mark, sizeof kMark - 1, std::string("<p class=note role=alert>") + text + "</p>");
  }
  return page;
}

}  // namespace tunaro::server
