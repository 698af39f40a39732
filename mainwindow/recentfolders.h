// The list of recently used folders behind the file menu's "最近使ったフォルダから開く(&R)": newest
// first, at most eight, no two equal when ASCII letters are folded.
#pragma once

#include <string>
#include <vector>

namespace yuzulog {

inline constexpr std::size_t kMaxRecentFolders = 8;

// The folder of a file path: everything before its last "/", without trailing "/" except for the
// root itself. A path without a folder gives programFolder (the program's own folder).
std::string FolderOfPath(const std::string& path, const std::string& programFolder);

// Records the folder of path at the top of folders, dropping every entry equal to it ignoring
// ASCII case. The list is not trimmed here: TrimRecentFolders does that when the menu is rebuilt.
void AddRecentFolder(std::vector<std::string>& folders, const std::string& path,
                     const std::string& programFolder);

// Drops the oldest entries beyond kMaxRecentFolders.
void TrimRecentFolders(std::vector<std::string>& folders);

}  // namespace yuzulog
