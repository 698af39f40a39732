#include "mainwindow/readon.h"

#include <algorithm>

namespace yuzulog {

std::optional<std::size_t> ShownThreadPage::EntryFor(std::int32_t node, bool withHits,
                                                     bool restyle) const {
  if (restyle || withHits || WithHits) return std::nullopt;
  const auto at = std::find(Nodes.begin(), Nodes.end(), node);
  if (at == Nodes.end()) return std::nullopt;
  return static_cast<std::size_t>(at - Nodes.begin());
}

}  // namespace yuzulog
