#include "render/compact_panel.h"

#include <string>

#include "render/page_parts.h"
#include "render/page_text.h"

namespace tunaro {
namespace {

const std::string DQ = "\"";

std::string SmallImageLink(const std::string& self_url, const std::string& word,
                           const std::string& img_dir) {
  return "<a href=" + DQ + self_url + "?" + word + DQ +
         "><img border=0 width=22 height=18 src=" + DQ + img_dir + word + ".gif" + DQ + "></a>";
}

}  // namespace

void RenderCompactPanel(ResponseWriter& out, const PageInput& page, const PlayerStatus& status) {
  const std::string& self_url = page.SelfUrl;
  const std::string& img = page.ImgDir;
  PageText text(page.AnsiCharacter);

  // The form goes to this program's own address, as the links do, so a panel
  // installed anywhere plays through its own copy.
  out.WriteLine("<form action=" + DQ + self_url + "?play" + DQ + "><table bgcolor=" + DQ +
                page.BgColor + DQ + " border=0 cellpadding=0 cellspacing=0>");
  out.WriteLine("<tr><td><small>" + status.StateText + "</small></td>");
  out.WriteLine("<td align=right>");
  out.WriteLine(SmallImageLink(self_url, "previous", img));
  out.WriteLine("<input type=" + DQ + "image" + DQ + "src=" + DQ + img + "play.gif" + DQ +
                " border=0 value=" + DQ + "submit" + DQ + " id=play name=play>");
  out.WriteLine(SmallImageLink(self_url, "pause", img));
  out.WriteLine(SmallImageLink(self_url, "stop", img));
  out.WriteLine(SmallImageLink(self_url, "forward", img));
  out.WriteLine("</td></tr><tr><td colspan=2><select size=1 name=MP3List>");
  WriteOptionLines(out, status, text);
  out.WriteLine("</select></td></tr>");
  out.WriteLine("<tr><td colspan=2 align=center><small><b>" +
                text.Title(status.CurrentTitle, status.CurrentTitleInUtf8) +
                "</b></small></td></tr>");
  out.WriteLine("<tr><td colspan=2><small><b>" + status.BitRateText + "</b>kbps | <b>" +
                status.SampleRateText + "</b>hz | <b>" + status.LengthText + "</b></small></td>");
  out.WriteLine("</tr></table></form>");
}

void RenderClosedPanel(ResponseWriter& out) { out.WriteLine("<b>Winamp is Closed</b>"); }

}  // namespace tunaro
