#include "render/full_page.h"

#include <functional>
#include <string>

#include "render/page_parts.h"
#include "render/page_text.h"

namespace tunaro {
namespace {

const std::string DQ = "\"";

// The site's own header or footer, when it has one.
bool WroteSitePart(const std::function<bool(ResponseWriter&)>& write, ResponseWriter& out) {
  return write && write(out);
}

std::string ImageLink(const std::string& self_url, const std::string& word,
                      const std::string& img_dir, const std::string& cells_after) {
  return "<td align=center><a href=" + DQ + self_url + "?" + word + DQ +
         "><img border=0 src=" + DQ + img_dir + word + ".gif" + DQ + "></a></td>" + cells_after;
}

}  // namespace

void RenderFullPage(ResponseWriter& out, const PageInput& page, const PlayerStatus& status) {
  const std::string& self_url = page.SelfUrl;
  const std::string& img = page.ImgDir;
  const std::string& bg = page.BgColor;
  PageText text(page.AnsiCharacter);

  if (!WroteSitePart(page.WriteHeader, out)) {
    out.WriteLine("<html><head><title>Tunaro</title></head><body bgcolor=" + DQ + "#FFFFFF" + DQ +
                  ">");
  }
  out.WriteLine("<p>Winamp is Running (<b>" + status.StateText + "</b>)</p>");
  out.WriteLine("<form method=" + DQ + "POST" + DQ + " action=" + DQ + self_url + "?play" + DQ +
                ">");
  out.WriteLine("<table border=0 cellpadding=3 cellspacing=0 bgcolor=" + bg + " width=450><tr>");
  out.WriteLine(ImageLink(self_url, "previous", img, ""));
  out.WriteLine("<td align=center><input type=" + DQ + "image" + DQ + "src=" + DQ + img +
                "play.gif" + DQ + " border=0 value=" + DQ + "submit" + DQ +
                " id=play name=play></td>");
  out.WriteLine(ImageLink(self_url, "pause", img, ""));
  out.WriteLine(ImageLink(self_url, "stop", img, ""));
  out.WriteLine(ImageLink(self_url, "forward", img, "</tr></table>"));
  out.WriteLine("<table border=0 cellpadding=0 cellspacing=0 width=450 bgcolor=" + bg + ">");
  out.WriteLine("<tr><td align=center><select size=10 name=MP3List>");
  WriteOptionLines(out, status, text);
  out.WriteLine(
      "</select></td></tr></table><table border=0 cellpadding=0 cellspacing=0 width=450 "
      "bgcolor=" +
      bg + "><tr><td align=center width=100%>");
  out.WriteLine("<a href=" + DQ + self_url + DQ + "><b>Refresh Page</b></a></td>");
  out.WriteLine("</tr></table></form>");
  out.WriteLine("Song Name: <font color=#FF0000><b>" +
                text.Title(status.CurrentTitle, status.CurrentTitleInUtf8) + "</b></font><br>");
  out.WriteLine("Kbps: <font color=#FF0000>" + status.BitRateText + "</font><br>");
  out.WriteLine("KHz: <font color=#FF0000>" + status.SampleRateText + "</font><br>");
  out.WriteLine("Length: <font color=#FF0000>" + status.LengthText + "</font><br>");
  out.WriteLine("<font size=1>Tunaro v1.0.3</font></p>");
  if (!WroteSitePart(page.WriteFooter, out)) out.WriteLine("</body></html>");
}

void RenderClosedPage(ResponseWriter& out, const PageInput& page) {
  out.WriteLine("<p><b>Winamp is Closed</b> | <a href=" + DQ + page.SelfUrl + DQ +
                ">Refresh</a></p>");
  out.WriteLine("<hr>");
  out.WriteLine("</body></html>");
}

}  // namespace tunaro
