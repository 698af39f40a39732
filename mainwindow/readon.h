// Reading a thread page: what the view shows of a thread, and when a request for a message can
// be answered by going to its place on that page instead of drawing again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace yuzulog {

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
