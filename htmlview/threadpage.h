// The page of a whole thread: every message of it one after the other, each under an anchor of
// its own, so that the view can open the page at the message that was chosen and a reference to
// a message on the same page can go to it without drawing again.
#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "htmlview/htmlpage.h"

namespace yuzulog {

// At most this many messages go on one thread page, so that drawing it stays within a second.
inline constexpr std::size_t kThreadPageLimit = 2000;

// One message of a thread page.
struct ThreadPageEntry {
  const TLogMessage* Message = nullptr;
  std::string Anchor;  // the name the page gives it: "R-N", or "R-N-k" for a later loaded copy
};

// The hits of one message as (offset from HeadStart, length) pairs appended to pairs.
using MessageHits =
    std::function<void(const TLogMessage& message, std::vector<std::int64_t>& pairs)>;

// The page: the message page's frame, with a style rule that marks the message the page is
// opened at (page#anchor) with a bar at its left edge; then, for each entry, its anchor, its
// text as WriteMessageText writes it, and a horizontal rule. When messages of the thread were
// left out before or after the entries, a line at the top says how many. hits empty: the page
// the tree asks for; otherwise the page of a search, every message with its hits.
void WriteThreadPage(PageStream& out, std::span<const ThreadPageEntry> entries,
                     std::size_t omittedBefore, std::size_t omittedAfter, const MessageHits& hits,
                     const PageStyle& style, const ColorResolver& resolver);

// The line that says how many messages of the thread the page leaves out (UTF-8).
std::string OmittedMessagesText(std::size_t omittedBefore, std::size_t omittedAfter);

}  // namespace yuzulog
