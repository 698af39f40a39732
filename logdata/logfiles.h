// The list of loaded log files, its order, the overlaps between files of one room, and the
// load loop through which every file enters it (the windows, the command-line tool and the tests
// all load through it).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "common/progress.h"
#include "logdata/logdata.h"

namespace yuzulog {

// Owns the loaded files. Between operations it is sorted by Room, then FirstNumber (stable).
class LogFiles {
 public:
  int Count() const { return static_cast<int>(FFiles.size()); }
  bool Empty() const { return FFiles.empty(); }
  TLogData& operator[](int i) { return *FFiles[static_cast<std::size_t>(i)]; }
  const TLogData& operator[](int i) const { return *FFiles[static_cast<std::size_t>(i)]; }
  auto begin() const { return FFiles.begin(); }
  auto end() const { return FFiles.end(); }

  void Append(std::unique_ptr<TLogData> file) { FFiles.push_back(std::move(file)); }
  // Destroys the file at index i. Everything that refers to its messages must be gone already.
  void RemoveAt(int i) { FFiles.erase(FFiles.begin() + i); }
  // Destroys the given file, if it is in the list.
  void Remove(const TLogData* file);
  void Clear() { FFiles.clear(); }

  // The first loaded file whose FileName equals path (compared exactly, as the file system does).
  TLogData* FindLoadedFile(const std::string& path) const;
  // Removes every file whose FileName equals none of paths, from the last file to the first.
  void DropUnselected(const std::vector<std::string>& paths);
  // Sorts by Room, then FirstNumber (stable insertion sort) and recomputes every Overlap.
  void SortLogFiles();
  // The sum of the message counts of all files.
  long long TotalMessages() const;
  // True when the list is not empty and its first and last files have the same Room.
  bool SingleRoom() const;

 private:
  std::vector<std::unique_ptr<TLogData>> FFiles;
};

// The answers of the four-button reload question; Cancel is the box closed without a button.
enum class ReloadAnswer { Yes, No, YesToAll, NoToAll, Cancel };

// What the load loop asks on its way. The windows answer with message boxes, the command-line
// tool and the tests with fixed answers.
class LoadCallbacks {
 public:
  virtual ~LoadCallbacks() = default;
  // The reload question for an already-loaded file; caption is the progress text of the moment.
  virtual ReloadAnswer AskReload(const std::string& caption, const std::string& message,
                                 ReloadAnswer defaultAnswer) = 0;
  // After the file at path failed to load: true stops the loop.
  virtual bool AskStopAfterFailure(const std::string& path, const LoadResult& failure) = 0;
  // The loop was cancelled between files.
  virtual void NoticeCancelled(const std::string& message) = 0;
};

// The questions of another LoadCallbacks, but only the first `asked` failures reach it: later
// ones are answered as the last one was and only counted, so that a run nobody watches tells a
// list of thousands of missing files in a screenful and a summary instead of a line per file.
class FailuresAskedUpTo final : public LoadCallbacks {
 public:
  FailuresAskedUpTo(LoadCallbacks& inner, int asked) : FInner(inner), FAsked(asked) {}
  ReloadAnswer AskReload(const std::string& caption, const std::string& message,
                         ReloadAnswer defaultAnswer) override {
    return FInner.AskReload(caption, message, defaultAnswer);
  }
  bool AskStopAfterFailure(const std::string& path, const LoadResult& failure) override;
  void NoticeCancelled(const std::string& message) override { FInner.NoticeCancelled(message); }
  // The failures that were not asked about.
  long long Unasked() const { return FUnasked; }

 private:
  LoadCallbacks& FInner;
  int FAsked;
  int FFailures = 0;
  long long FUnasked = 0;
  bool FLastAnswer = false;
};
// The summary of the failures that were not asked about.
std::string MoreFailuresText(long long count);

// What the owner of the list does around a change of it (the workspace, which tells its
// observers): nothing may refer to a file's messages when the file goes, and the message tree
// follows the list once it is sorted again.
class FileListSteps {
 public:
  virtual ~FileListSteps() = default;
  // Empties everything that refers to loaded messages (tree, history, shown message, results).
  virtual void ForgetMessages() = 0;
  // The list changed and is sorted again: the message tree is built from it.
  [[nodiscard]] virtual OpStatus RebuildTree(LogFiles& files, Progress& progress) = 0;
};

// The load loop, adding to what is loaded (reload question for files already loaded). After the
// loop the files are sorted and the tree rebuilt, also after a cancel or a stop.
[[nodiscard]] OpStatus ExecuteAdd(LogFiles& files, const std::vector<std::string>& paths,
                                  Progress& progress, LoadCallbacks& callbacks,
                                  FileListSteps& steps);
// Replacing what is loaded: forgets the messages, drops files not selected again, then the loop.
[[nodiscard]] OpStatus ExecuteOpen(LogFiles& files, const std::vector<std::string>& paths,
                                   Progress& progress, LoadCallbacks& callbacks,
                                   FileListSteps& steps);
// Removes the given files (from the log list dialog), sorts and rebuilds the tree.
[[nodiscard]] OpStatus RemoveLogFiles(LogFiles& files, const std::vector<const TLogData*>& remove,
                                      Progress& progress, FileListSteps& steps);

// Texts of the load loop (UTF-8).
std::string OpeningFileText(int index, int count, const std::string& path);
std::string ReloadQuestionText(const std::string& loadedFileName);
std::string LoadFailedQuestionText(const std::string& path);
// The command-line tool's stderr line: the failure and its reason.
std::string LoadFailedLine(const std::string& path, const LoadResult& failure);
extern const char* const kClearingText;
extern const char* const kLoadCancelledText;

// The report after the load loop.
struct LoadReport {
  long long Total = 0;
  std::string StatusText;                 // Total + " 個の発言"
  std::vector<std::string> OverlapLines;  // one line per file with an overlap
  std::vector<std::string> NulLines;      // one line per file whose NUL bytes were read as '?'
  // The warning question's text when there are overlap lines.
  std::string WarningText() const;
  // The status line: the total, then each file's NUL notice.
  std::string StatusLine() const;
};
LoadReport BuildLoadReport(const LogFiles& files);
std::string MessageTotalText(long long total);

}  // namespace yuzulog
