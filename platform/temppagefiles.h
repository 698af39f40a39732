// The temporary page files of the browser view: each message page is written to a new file in the
// temporary folder and the browser is pointed at it. The list keeps the names oldest first; the
// oldest are deleted once a page has finished loading, and all of them when the list goes. The
// files of a run that was killed are deleted by the next run, which knows them by the pid in
// their names.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace yuzulog {

// The system's temporary folder: $TMPDIR when it is set and not empty, else "/tmp".
std::string SystemTempFolder();

// A page file could not be made or written; what() is the system's message for the error.
class TempPageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The pid in the name of a page file ("$qmv<pid>-XXXXXX.htm"); -1 for any other name.
long PageFileOwner(std::string_view fileName);

class TempPageFiles {
 public:
  // Files are made in folder (the system's temporary folder in the program; tests give their own).
  // This user's page files there whose process has gone are deleted first.
  explicit TempPageFiles(std::string folder = SystemTempFolder());
  // Deletes every listed file: no page of this run stays behind.
  ~TempPageFiles();
  TempPageFiles(const TempPageFiles&) = delete;
  TempPageFiles& operator=(const TempPageFiles&) = delete;

  // NewTempPageFile: makes a new, empty file with a unique name that starts with "$qmv" and this
  // process's pid, lists
  // it as the newest and returns its path. Throws TempPageError when the file cannot be made.
  std::string NewTempPageFile();
  // Replaces the contents of a listed file. Throws TempPageError when it cannot be written.
  void WritePage(const std::string& path, std::string_view page) const;

  // Deletes the oldest files until at most keep remain listed.
  void Prune(std::size_t keep);
  // Deletes every listed file.
  void RemoveAll();

  bool Contains(const std::string& path) const;
  const std::vector<std::string>& Names() const { return FTempFiles; }
  const std::string& Folder() const { return FFolder; }

 private:
  std::string FFolder;
  std::vector<std::string> FTempFiles;  // oldest first
};

}  // namespace yuzulog
