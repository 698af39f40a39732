// What the program has loaded and shows, owned in one place: the log files, the message tree,
// the message shown and how it was asked for, the history behind the back command, the log sets,
// the recent folders, the main window's settings and the search. The windows and the command-line
// tool are its views: they ask it to act and hear what changed through WorkspaceObserver, and no
// window needs another window's object to reach any of it.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "logdata/logfiles.h"
#include "mainwindow/history.h"
#include "mainwindow/listedits.h"
#include "mainwindow/logsets.h"
#include "mainwindow/messagetree.h"
#include "mainwindow/settings.h"
#include "marks/readorder.h"
#include "search/resultlist.h"
#include "search/search.h"
#include "workspace/workspacemarks.h"

namespace yuzulog {

// How a message came to be shown.
enum class ShowOrigin {
  Tree,       // its node was selected (or clicked again)
  History,    // the back command
  GoTo,       // the go-to command, a link or the "Message:" key
  SearchHit,  // a row of the search results: drawn with its hits
  Restyle,    // a view option changed: the same message drawn again, without hits
};

// A message to show, with everything its drawing needs as data.
struct ShowRequest {
  const TLogMessage* Message = nullptr;  // nullptr: nothing (the empty page)
  ShowOrigin Origin = ShowOrigin::Tree;
  // The keyword hits as (offset from HeadStart, length) pairs in bytes, under the conditions of
  // the last search; drawn in the key font only for a search hit (WithHits).
  std::vector<std::int64_t> Hits;
  bool WithHits() const { return Origin == ShowOrigin::SearchHit; }
};

// What a change of the read marks touched: the message nodes whose bit became Read, or the
// marks as a whole (looked up, reset or forgotten) when All is set and Nodes is empty.
struct ReadMarksChange {
  bool All = true;
  std::span<const std::int32_t> Nodes;
  bool Read = false;
};

// What changed in a workspace. Every notice comes after the change, except the two "about to"
// notices, which let a view's model announce a reset while its data still stands.
class WorkspaceObserver {
 public:
  virtual ~WorkspaceObserver() = default;
  // The tree, the history, the shown message and the search results are about to be emptied
  // (files may go next) / have been emptied.
  virtual void MessagesAboutToBeForgotten() {}
  virtual void MessagesForgotten() {}
  // The tree was built again from the files.
  virtual void TreeRebuilt() {}
  // A load, an add or a removal has ended; the list of files is what it will stay.
  virtual void FilesChanged() {}
  // A message is to be shown.
  virtual void ShowRequested(const ShowRequest& /*request*/) {}
  // The search results are about to be replaced / have been replaced or emptied.
  virtual void ResultsAboutToChange() {}
  virtual void ResultsChanged() {}
  // Someone (the statistics window, say) asks for the search window to come up.
  virtual void SearchWindowWanted() {}
  // The log sets or the recent folders changed.
  virtual void ListsChanged() {}
  // Read marks were set or taken away, or became known or unknown as a whole.
  virtual void ReadMarksChanged(const ReadMarksChange& /*change*/) {}
};

// The search as the workspace keeps it: the fields and conditions of the last search, its
// results in display order (sorted in place by the result list), the sort state of the run, and
// the rows chosen in the result list.
struct SearchSession {
  SearchFields Fields;  // of the last search (code page 932)
  SearchState State;    // conditions, scan mode and the results
  SortState Sort;       // for the whole run: a new search does not reset it
  // The chosen rows as ranges of consecutive rows (first, last), ascending.
  std::vector<std::pair<int, int>> Chosen;

  const std::vector<TLogMessage*>& Results() const { return State.Results; }
  // The hits of any message under the conditions of the last search.
  std::vector<std::int64_t> HitRanges(const TLogMessage& message) const;
  // One flag per result row; the messages of the chosen rows in row order.
  std::vector<bool> ChosenRows() const;
  std::vector<const TLogMessage*> ChosenMessages() const;
};

class Workspace final : private FileListSteps {
 public:
  // programFolder: what a file path without a folder is recorded as among the recent folders.
  explicit Workspace(std::string programFolder = {});
  ~Workspace() override;
  Workspace(const Workspace&) = delete;
  Workspace& operator=(const Workspace&) = delete;

  // Observers are told in the order they were added; each must be removed before it goes.
  void AddObserver(WorkspaceObserver& observer);
  void RemoveObserver(WorkspaceObserver& observer);

  // ---- the files and the tree ----
  const LogFiles& Files() const { return FFiles; }
  const MessageTree& Tree() const { return FTree; }
  // A workspace that never shows its tree (some of the command-line tool's subcommands) skips
  // building it.
  void SetBuildsTree(bool builds) { FBuildsTree = builds; }
  // The time spent building the tree so far, in milliseconds.
  long long TreeBuildMs() const { return FTreeBuildMs; }
  // The load loop: replacing what is loaded, or adding to it (add). The questions go to
  // questions; the tree is rebuilt after the loop, also after a cancel (Cancelled, which the loop
  // has told through questions).
  OpStatus Load(const std::vector<std::string>& paths, bool add, Progress& progress,
                LoadCallbacks& questions);
  // Takes the given files out and rebuilds the tree.
  OpStatus RemoveFiles(const std::vector<const TLogData*>& files, Progress& progress);
  // Forgets every message and frees every file (at the end of the run).
  void Close();

  // ---- the shown message ----
  const ShowRequest& Shown() const { return FShown; }
  // Shows message (the history records it); a search hit carries its hits.
  void Show(const TLogMessage* message, ShowOrigin origin);
  // The shown message again, without hits (a view option changed).
  void ShowAgain() { Show(FShown.Message, ShowOrigin::Restyle); }
  // One step back through the history: the message shown, or nullptr at the oldest entry.
  const TLogMessage* GoBack();
  // Shows the message that going to target finds; nullptr when no loaded file holds it.
  const TLogMessage* GoTo(MessageAddress target);
  const MessageHistory& History() const { return FHistory; }

  // ---- log sets and recent folders ----
  const std::vector<LogSet>& LogSets() const { return FLogSets; }
  // Registers the loaded files as the set name, at the top; confirmOverwrite decides when a set
  // of that name exists. False when nothing is loaded or the answer kept the old set.
  bool RegisterLogSet(const std::string& name, const std::function<bool()>& confirmOverwrite);
  // False when no set has that name (ASCII case ignored).
  bool RemoveLogSet(const std::string& name);
  // The set at index moves to the top; its files, or nothing when there is no such set.
  std::optional<std::vector<std::string>> UseLogSet(int index);
  // The files of the set that the "LogSet:" value names, or none.
  std::vector<std::string> LogSetOfKey(std::string_view value) const;
  const std::vector<std::string>& RecentFolders() const { return FRecentFolders; }
  // Records the folder of a chosen file at the top.
  void AddRecentFolder(const std::string& path);
  // Drops a folder that is gone.
  void RemoveRecentFolder(int index);

  // ---- the main window's settings ----
  const MainSettings& Settings() const { return FSettings; }
  void SetSettings(const MainSettings& settings) { FSettings = settings; }
  // The settings files in dir: the main window's, the recent folders and the log sets. A file
  // that exists but cannot be read is noted in report (and is then not written back).
  void ReadSettings(const std::string& dir, const MainSettings& defaults, SettingsReport& report);
  bool WriteSettings(const std::string& dir, SettingsReport& report) const;

  // ---- the search ----
  const SearchSession& Search() const { return FSearch; }
  // The result list sorts the results in place and keeps its chosen rows here.
  SearchSession& Search() { return FSearch; }
  // The search step over every loaded message, or the results (job.Narrow); the results stay
  // as they are until SetResults.
  [[nodiscard]] OpStatus RunSearch(Progress& progress, SearchJob& job, const SearchFields& fields);
  // Makes hits the results (same order); the chosen rows are forgotten.
  void SetResults(Progress& progress, const std::vector<TLogMessage*>& hits);
  void ClearResults();
  // Every message the writer ID wrote (ASCII case ignored) becomes the results.
  [[nodiscard]] OpStatus SearchByWriterID(std::string_view id, Progress& progress);
  // Whether a search can run with fields, and whether it may narrow the results.
  bool CanSearch(const SearchFields& fields) const;
  bool CanNarrow(const SearchFields& fields) const;
  // Asks the search window to come up.
  void ShowSearchWindow();

  // ---- read marks ----
  // The read bit of every tree node; Count() is 0 while marks are off or not known yet, and
  // then nothing counts as unread.
  const NodeBits& ReadMarks() const { return FReadMarks; }
  bool ReadMarksKnown() const { return FReadMarks.Count() > 0; }
  // Makes every node of the tree unread (marks known) or forgets the marks (Count() 0).
  void ResetReadMarks(bool known);
  // Sets the read bit of the given message nodes (room nodes are left clear); nothing while the
  // marks are not known.
  void MarkRead(std::span<const std::int32_t> nodes, bool read);
  // Where reading on goes after node: the next unread message in tree order, or the next message
  // when none is unread after it or the marks are not known; kNone at the end of the tree.
  std::int32_t NextToRead(std::int32_t node) const;
  // Makes read (one bit per node of the tree now built) the read marks.
  void SetReadMarks(NodeBits read);

  // ---- the mark store ----
  // Keeps the read marks in the database of the settings folder settingsDir from now on, their
  // lookups handed back through post; looks up the marks of the tree now built. False, with the
  // message to show in problem, when the database cannot be used: the program runs on without
  // marks.
  bool OpenMarks(const std::string& settingsDir, PostToOwner post, std::string& problem);
  // The store, or nullptr when marks are not kept.
  MarkStore* Marks() { return FMarks ? &FMarks->Store() : nullptr; }
  // Shows the read marks or forgets them (Settings().ShowUnread); while off nothing is marked.
  void SetShowUnread(bool show);
  // Stores every mark made so far and returns once they are stored: the window's end, whichever
  // way it comes, calls it. False when they could not be.
  bool FlushMarks();

 private:
  // FileListSteps
  void ForgetMessages() override;
  [[nodiscard]] OpStatus RebuildTree(LogFiles& files, Progress& progress) override;

  template <class Notice>
  void Tell(Notice notice);

  LogFiles FFiles;
  MessageTree FTree;  // refers to FFiles' messages; emptied before any file is destroyed
  MessageHistory FHistory;
  ShowRequest FShown;
  std::vector<LogSet> FLogSets;
  std::vector<std::string> FRecentFolders;
  ListEdits FLogSetEdits;  // by name
  ListEdits FRecentEdits;  // by folder
  std::string FListsDir;   // where the lists were read from
  MainSettings FSettings;
  SearchSession FSearch;
  NodeBits FReadMarks;
  std::vector<WorkspaceObserver*> FObservers;
  std::string FProgramFolder;
  bool FBuildsTree = true;
  long long FTreeBuildMs = 0;
  // Last: it refers to the tree, and goes first.
  std::unique_ptr<WorkspaceMarks> FMarks;
};

}  // namespace yuzulog
