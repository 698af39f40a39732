// Reading on through a page with the keyboard: what Space does at a given place on the page, and
// which messages of a thread page the reader has passed while it scrolled. Places are in the
// view's own unit (pixels from the top of the page).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace yuzulog {

// Where a view stands on its page.
struct PageScroll {
  double Top = 0;            // the page's place at the top of the view
  double ViewHeight = 0;     // how much of the page the view shows
  double ContentHeight = 0;  // the whole page
};

// True when the view shows the page's end (a page shorter than the view always does). A pixel of
// slack: engines round fractional places.
bool AtPageEnd(const PageScroll& at);

enum class SpaceAction {
  ScrollDown,  // a screen further down the page
  ScrollUp,    // a screen back up
  ReadOn,      // the page is read: on to the next message to read
  Nothing,     // back at the top already
};
// Space (back: with Shift) at that place.
SpaceAction SpaceActionFor(const PageScroll& at, bool back);

// The entries [First, Last) of a thread page that scrolling from the place from to the place now
// passes: those whose end was still at or below the top of the view and is now above it. When the
// view has reached the page's end, every entry whose end it shows counts as passed too, since
// nothing can scroll beyond them. ends: where each entry ends, ascending.
struct EntryRange {
  std::size_t First = 0;
  std::size_t Last = 0;
  bool Empty() const { return First >= Last; }
};
EntryRange PassedEntries(std::span<const double> ends, double from, const PageScroll& now);

// Where each entry of a page ends when its height is told only by its lines: lines[i] is the
// number of lines entry i takes (its separator included), and the page's other lines (a note at
// its top) are lead. Used where the view cannot tell where its parts lie.
std::vector<double> EndsByLines(std::span<const int> lines, int lead, double contentHeight);

// The lines a message's text takes on the page: its line ends, plus one for a last line without
// one.
int TextLines(std::string_view text);

// The thread page a view shows: its entries' tree nodes in page order and whether it carries the
// hits of a search.
struct ShownThreadPage {
  std::vector<std::int32_t> Nodes;
  bool WithHits = false;
  // The entry a request for node can go to without drawing again: node is on the page, and the
  // page carries hits exactly when the request does; a restyle never goes to an entry. A search
  // hit draws again even on the same page: the conditions of the search may have changed.
  std::optional<std::size_t> EntryFor(std::int32_t node, bool withHits, bool restyle) const;
};

}  // namespace yuzulog
