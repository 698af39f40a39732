#include "mainwindow/recentfolders.h"

#include <algorithm>

#include "common/sjis.h"

namespace yuzulog {

std::string FolderOfPath(const std::string& path, const std::string& programFolder) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return programFolder;
  std::string folder = path.substr(0, slash + 1);
  // "/logs/" and "/logs//" name the same folder; "/" alone is the root and keeps its slash.
  while (folder.size() > 1 && folder.back() == '/')
    folder.pop_back();
  return folder;
}

void AddRecentFolder(std::vector<std::string>& folders, const std::string& path,
                     const std::string& programFolder) {
  const std::string folder = FolderOfPath(path, programFolder);
  std::erase_if(folders, [&](const std::string& f) { return EqualsIgnoringAsciiCase(f, folder); });
  folders.insert(folders.begin(), folder);
}

void TrimRecentFolders(std::vector<std::string>& folders) {
  if (folders.size() > kMaxRecentFolders) folders.resize(kMaxRecentFolders);
}

}  // namespace yuzulog
