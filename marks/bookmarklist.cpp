#include "marks/bookmarklist.h"

#include <algorithm>
#include <compare>
#include <ctime>
#include <tuple>

namespace yuzulog {
namespace {

std::strong_ordering Compare(const Bookmark& a, const Bookmark& b, BookmarkColumn column) {
  switch (column) {
    case BookmarkColumn::Room:
      return std::tie(a.Key.Room, a.Key.Number) <=> std::tie(b.Key.Room, b.Key.Number);
    case BookmarkColumn::Number:
      return std::tie(a.Key.Number, a.Key.Room) <=> std::tie(b.Key.Number, b.Key.Room);
    case BookmarkColumn::Title:
      return a.Title <=> b.Title;
    case BookmarkColumn::Handle:
      return a.Handle <=> b.Handle;
    case BookmarkColumn::Note:
      return a.Note <=> b.Note;
    case BookmarkColumn::Created:
      break;
  }
  return a.Created <=> b.Created;
}

}  // namespace

void SortBookmarks(std::vector<Bookmark>& list, BookmarkColumn column, bool descending) {
  std::stable_sort(list.begin(), list.end(), [&](const Bookmark& a, const Bookmark& b) {
    const std::strong_ordering order = Compare(a, b, column);
    return descending ? order > 0 : order < 0;
  });
}

std::string BookmarkCreatedText(std::int64_t created) {
  const std::time_t t = static_cast<std::time_t>(created);
  std::tm tm{};
  char text[32] = "";
  if (localtime_r(&t, &tm)) std::strftime(text, sizeof text, "%Y/%m/%d %H:%M", &tm);
  return text;
}

const TLogMessage* FindMarkedMessage(const LogFiles& files, const MarkKey& key,
                                     const MessageTree* tree) {
  for (int i = files.Count() - 1; i >= 0; --i) {
    const TLogData& f = files[i];
    if (f.Room != key.Room || f.FirstNumber > key.Number) continue;
    for (const TLogMessage& m : f.Messages())
      if (m.Number == key.Number && MarkKeyOf(m) == key &&
          (!tree || tree->NodeOf(m) != MessageTree::kNone))
        return &m;
  }
  return nullptr;
}

}  // namespace yuzulog
