// The bookmark list's columns and its order: the window's model only shows what these give.
#pragma once

#include <string>
#include <vector>

#include "marks/markstore.h"

namespace yuzulog {

enum class BookmarkColumn { Room, Number, Title, Handle, Note, Created };
inline constexpr int kBookmarkColumnCount = 6;

// Sorts by one column, stably, so that a second click on another column keeps the order of the
// first among equal values. Room sorts by room then number, Number by number then room.
void SortBookmarks(std::vector<Bookmark>& list, BookmarkColumn column, bool descending);

// When a bookmark was made, in local time: "2026/12/07 22:30".
std::string BookmarkCreatedText(std::int64_t created);

}  // namespace yuzulog
