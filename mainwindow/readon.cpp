#include "mainwindow/readon.h"

#include <algorithm>
#include <limits>

namespace yuzulog {
namespace {

constexpr double kSlack = 1.0;

}  // namespace

bool AtPageEnd(const PageScroll& at) {
  return at.Top + at.ViewHeight + kSlack >= at.ContentHeight;
}

SpaceAction SpaceActionFor(const PageScroll& at, bool back) {
  if (back) return at.Top > kSlack ? SpaceAction::ScrollUp : SpaceAction::Nothing;
  return AtPageEnd(at) ? SpaceAction::ReadOn : SpaceAction::ScrollDown;
}

EntryRange PassedEntries(std::span<const double> ends, double from, const PageScroll& now) {
  const double to = AtPageEnd(now) ? std::numeric_limits<double>::infinity() : now.Top;
  if (!(to > from)) return {};
  // An entry whose end lies exactly at the old top was still to be read; at the new top it is
  // passed.
  const auto first = std::upper_bound(ends.begin(), ends.end(), from);
  const auto last = std::upper_bound(first, ends.end(), to);
  return {static_cast<std::size_t>(first - ends.begin()),
          static_cast<std::size_t>(last - ends.begin())};
}

std::vector<double> EndsByLines(std::span<const int> lines, int lead, double contentHeight) {
  double total = std::max(lead, 0);
  for (int n : lines)
    total += std::max(n, 0);
  std::vector<double> ends;
  ends.reserve(lines.size());
  double sum = std::max(lead, 0);
  for (int n : lines) {
    sum += std::max(n, 0);
    ends.push_back(total > 0 ? contentHeight * sum / total : contentHeight);
  }
  return ends;
}

int TextLines(std::string_view text) {
  const auto breaks = std::count(text.begin(), text.end(), '\n');
  return static_cast<int>(breaks) + (!text.empty() && text.back() != '\n' ? 1 : 0);
}

std::optional<std::size_t> ShownThreadPage::EntryFor(std::int32_t node, bool withHits,
                                                     bool restyle) const {
  if (restyle || withHits || WithHits) return std::nullopt;
  const auto at = std::find(Nodes.begin(), Nodes.end(), node);
  if (at == Nodes.end()) return std::nullopt;
  return static_cast<std::size_t>(at - Nodes.begin());
}

}  // namespace yuzulog
