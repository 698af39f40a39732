#include "htmlview/threadpage.h"

#include <string_view>

#include "platform/cp932.h"

namespace yuzulog {
namespace {

// Each message's text stands in a block right after its anchor, so the anchor the page is opened
// at can mark the block that follows it; no script is needed. The bar sits in the body's margin:
// border and padding are taken back by the negative margin, so the text does not move.
constexpr std::string_view kThreadStyle =
    "<style>a:target+div{border-left:4px solid #3875D7;padding-left:4px;margin-left:-8px}"
    "</style>";
constexpr std::string_view kAnchorOpen = "<A NAME=\"";
constexpr std::string_view kAnchorEnd = "\"></A><DIV>";
constexpr std::string_view kMessageEnd = "</DIV><HR>";

}  // namespace

std::string OmittedMessagesText(std::size_t omittedBefore, std::size_t omittedAfter) {
  return "このスレッドにはほかに " + std::to_string(omittedBefore + omittedAfter) +
         " 件の発言があります（前に " + std::to_string(omittedBefore) + " 件、後に " +
         std::to_string(omittedAfter) + " 件）";
}

void WriteThreadPage(PageStream& out, std::span<const ThreadPageEntry> entries,
                     std::size_t omittedBefore, std::size_t omittedAfter, const MessageHits& hits,
                     const PageStyle& style, const ColorResolver& resolver) {
  BeginPage(out, style.Background, style.BaseFont, resolver, kThreadStyle);
  if (omittedBefore + omittedAfter > 0) {
    // The program's own text holds no markup and every character has a code page 932 form.
    out += Utf8ToCp932(OmittedMessagesText(omittedBefore, omittedAfter)).bytes;
    out += "<HR>";
  }
  std::vector<std::int64_t> pairs;
  for (const ThreadPageEntry& entry : entries) {
    out += kAnchorOpen;
    out += entry.Anchor;
    out += kAnchorEnd;
    if (hits) {
      pairs.clear();
      hits(*entry.Message, pairs);
      WriteMessageText(out, *entry.Message, &pairs, style, resolver);
    } else {
      WriteMessageText(out, *entry.Message, nullptr, style, resolver);
    }
    out += kMessageEnd;
  }
  EndPage(out, style.BaseFont);
}

}  // namespace yuzulog
