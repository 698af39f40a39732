// The bookmark list's columns and its order: the window's model only shows what these give.
#pragma once

#include <string>
#include <vector>

#include "logdata/logfiles.h"
#include "mainwindow/messagetree.h"
#include "marks/markstore.h"

namespace yuzulog {

enum class BookmarkColumn { Room, Number, Title, Handle, Note, Created };
inline constexpr int kBookmarkColumnCount = 6;

// Sorts by one column, stably, so that a second click on another column keeps the order of the
// first among equal values. Room sorts by room then number, Number by number then room.
void SortBookmarks(std::vector<Bookmark>& list, BookmarkColumn column, bool descending);

// When a bookmark was made, in local time: "2026/12/07 22:30".
std::string BookmarkCreatedText(std::int64_t created);

// The loaded message key names: the first whose whole key is key, looked for as going to its
// room and number looks (files from the last to the first, only those of its room that may hold
// the number), and one the tree shows when a tree is given. nullptr when no loaded copy matches:
// another message may carry the number now, after a room's numbers started again.
const TLogMessage* FindMarkedMessage(const LogFiles& files, const MarkKey& key,
                                     const MessageTree* tree = nullptr);

}  // namespace yuzulog
