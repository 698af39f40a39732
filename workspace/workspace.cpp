#include "workspace/workspace.h"

#include <algorithm>
#include <chrono>

#include "mainwindow/recentfolders.h"

namespace yuzulog {

std::vector<std::int64_t> SearchSession::HitRanges(const TLogMessage& message) const {
  std::vector<std::int64_t> hits;
  State.GetHitRanges(hits, message);
  return hits;
}

std::vector<bool> SearchSession::ChosenRows() const {
  std::vector<bool> rows(State.Results.size(), false);
  for (const auto& [first, last] : Chosen)
    for (int row = std::max(first, 0); row <= last && static_cast<std::size_t>(row) < rows.size();
         ++row)
      rows[static_cast<std::size_t>(row)] = true;
  return rows;
}

std::vector<const TLogMessage*> SearchSession::ChosenMessages() const {
  std::vector<const TLogMessage*> messages;
  const std::vector<bool> rows = ChosenRows();
  for (std::size_t row = 0; row < rows.size(); ++row)
    if (rows[row]) messages.push_back(State.Results[row]);
  return messages;
}

Workspace::Workspace(std::string programFolder) : FProgramFolder(std::move(programFolder)) {}

Workspace::~Workspace() {
  // Nothing may refer to a loaded message when the files go.
  FObservers.clear();
  Close();
}

void Workspace::AddObserver(WorkspaceObserver& observer) {
  FObservers.push_back(&observer);
}

void Workspace::RemoveObserver(WorkspaceObserver& observer) {
  std::erase(FObservers, &observer);
}

template <class Notice>
void Workspace::Tell(Notice notice) {
  // A copy: an observer may add or remove observers while it is told.
  const std::vector<WorkspaceObserver*> observers = FObservers;
  for (WorkspaceObserver* o : observers)
    if (std::find(FObservers.begin(), FObservers.end(), o) != FObservers.end()) notice(*o);
}

// ---- the files ------------------------------------------------------------------------------

OpStatus Workspace::Load(const std::vector<std::string>& paths, bool add, Progress& progress,
                         LoadCallbacks& questions) {
  const OpStatus status = add ? ExecuteAdd(FFiles, paths, progress, questions, *this)
                              : ExecuteOpen(FFiles, paths, progress, questions, *this);
  Tell([](WorkspaceObserver& o) { o.FilesChanged(); });
  return status;
}

OpStatus Workspace::RemoveFiles(const std::vector<const TLogData*>& files, Progress& progress) {
  const OpStatus status = RemoveLogFiles(FFiles, files, progress, *this);
  Tell([](WorkspaceObserver& o) { o.FilesChanged(); });
  return status;
}

void Workspace::Close() {
  ForgetMessages();
  FFiles.Clear();
}

void Workspace::ForgetMessages() {
  if (FMarks) FMarks->TreeAboutToGo();
  Tell([](WorkspaceObserver& o) { o.MessagesAboutToBeForgotten(); });
  FSearch.State.ClearResults();
  FSearch.Chosen.clear();
  FHistory.ClearHistory();
  FShown = {};
  FTree.Clear();
  FReadMarks = {};  // by node index: they go with the tree
  Tell([](WorkspaceObserver& o) { o.MessagesForgotten(); });
}

OpStatus Workspace::RebuildTree(LogFiles& files, Progress& progress) {
  ForgetMessages();
  if (!FBuildsTree) return OpStatus::Completed;
  const auto start = std::chrono::steady_clock::now();
  const OpStatus status = BuildMessageTree(files, FTree, progress);
  FTreeBuildMs += std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now() - start)
                      .count();
  Tell([](WorkspaceObserver& o) { o.TreeRebuilt(); });
  if (FMarks && FSettings.ShowUnread) FMarks->StartLookup();
  return status;
}

// ---- the shown message ----------------------------------------------------------------------

void Workspace::Show(const TLogMessage* message, ShowOrigin origin) {
  if (message != FShown.Message) FHistory.PushHistory(message, FShown.Message);
  ShowRequest request{message, origin, {}};
  if (message && origin == ShowOrigin::SearchHit) request.Hits = FSearch.HitRanges(*message);
  FShown = request;
  // The observers get their own copy: one of them may show another message while it is told.
  Tell([&request](WorkspaceObserver& o) { o.ShowRequested(request); });
  // The message shown is read (not on a redraw: it was marked when first shown).
  if (message && origin != ShowOrigin::Restyle && FSettings.ShowUnread) {
    const std::int32_t node = FTree.NodeOf(*message);
    if (node != MessageTree::kNone) MarkRead(std::span(&node, 1), true);
  }
}

const TLogMessage* Workspace::GoBack() {
  const TLogMessage* m = FHistory.HistoryBack();
  if (m) Show(m, ShowOrigin::History);
  return m;
}

const TLogMessage* Workspace::GoTo(MessageAddress target) {
  const TLogMessage* m = FindGotoTarget(FFiles, target, &FTree);
  if (m) Show(m, ShowOrigin::GoTo);
  return m;
}

// ---- log sets and recent folders ------------------------------------------------------------

bool Workspace::RegisterLogSet(const std::string& name,
                               const std::function<bool()>& confirmOverwrite) {
  if (FFiles.Empty()) return false;
  std::vector<std::string> files;
  for (const auto& file : FFiles)
    files.push_back(file->FileName);
  if (!yuzulog::RegisterLogSet(FLogSets, name, files, confirmOverwrite)) return false;
  FLogSetEdits.Touch(name);
  Tell([](WorkspaceObserver& o) { o.ListsChanged(); });
  return true;
}

bool Workspace::RemoveLogSet(const std::string& name) {
  const int index = IndexOfLogSet(FLogSets, name);
  if (index < 0) return false;
  FLogSetEdits.Remove(FLogSets[static_cast<std::size_t>(index)].Name);
  FLogSets.erase(FLogSets.begin() + index);
  Tell([](WorkspaceObserver& o) { o.ListsChanged(); });
  return true;
}

std::optional<std::vector<std::string>> Workspace::UseLogSet(int index) {
  if (index < 0 || index >= static_cast<int>(FLogSets.size())) return std::nullopt;
  if (index > 0) {
    MoveLogSetToFront(FLogSets, index);
    Tell([](WorkspaceObserver& o) { o.ListsChanged(); });
  }
  FLogSetEdits.Touch(FLogSets.front().Name);
  return FLogSets.front().Files;
}

std::vector<std::string> Workspace::LogSetOfKey(std::string_view value) const {
  const int index = FindLogSetForKey(FLogSets, value);
  if (index < 0) return {};
  return FLogSets[static_cast<std::size_t>(index)].Files;
}

void Workspace::AddRecentFolder(const std::string& path) {
  yuzulog::AddRecentFolder(FRecentFolders, path, FProgramFolder);
  FRecentEdits.Touch(FRecentFolders.front());
  TrimRecentFolders(FRecentFolders);
  Tell([](WorkspaceObserver& o) { o.ListsChanged(); });
}

void Workspace::RemoveRecentFolder(int index) {
  if (index < 0 || index >= static_cast<int>(FRecentFolders.size())) return;
  FRecentEdits.Remove(FRecentFolders[static_cast<std::size_t>(index)]);
  FRecentFolders.erase(FRecentFolders.begin() + index);
  Tell([](WorkspaceObserver& o) { o.ListsChanged(); });
}

// ---- settings -------------------------------------------------------------------------------

void Workspace::ReadSettings(const std::string& dir, const MainSettings& defaults,
                             SettingsReport& report) {
  FSettings = ReadMainSettings(dir, defaults, &report);
  FRecentFolders = ReadListFile(dir + kRecentFile, &report);
  TrimRecentFolders(FRecentFolders);
  FLogSets = ParseLogSets(ReadListFile(dir + kLogSetFile, &report));
  FRecentEdits.Clear();
  FLogSetEdits.Clear();
  FListsDir = dir;
  Tell([](WorkspaceObserver& o) { o.ListsChanged(); });
}

bool Workspace::WriteSettings(const std::string& dir, SettingsReport& report) const {
  bool ok = WriteMainSettings(dir, FSettings, &report);
  // Another running copy may have saved the lists since they were read: its entries stay, and
  // only what this copy did is applied over them. Lists read elsewhere are written as they are.
  std::vector<std::string> recent = FRecentFolders;
  std::vector<LogSet> sets = FLogSets;
  if (dir == FListsDir) {
    recent = MergeListEdits(FRecentFolders, FRecentEdits, ReadListFile(dir + kRecentFile),
                            [](const std::string& folder) -> const std::string& { return folder; });
    TrimRecentFolders(recent);
    sets = MergeListEdits(FLogSets, FLogSetEdits, ParseLogSets(ReadListFile(dir + kLogSetFile)),
                          [](const LogSet& set) -> const std::string& { return set.Name; });
  }
  ok = WriteListFile(dir + kRecentFile, recent, &report) && ok;
  ok = WriteListFile(dir + kLogSetFile, LogSetLines(sets), &report) && ok;
  return ok;
}

// ---- the search -----------------------------------------------------------------------------

OpStatus Workspace::RunSearch(Progress& progress, SearchJob& job, const SearchFields& fields) {
  FSearch.Fields = fields;
  const long long total =
      job.Narrow ? static_cast<long long>(FSearch.State.Results.size()) : FTree.NodeCount();
  return FSearch.State.SearchMessages(progress, job, fields, FFiles, total);
}

void Workspace::SetResults(Progress& progress, const std::vector<TLogMessage*>& hits) {
  Tell([](WorkspaceObserver& o) { o.ResultsAboutToChange(); });
  FSearch.Chosen.clear();
  FSearch.State.FillResultList(progress, hits);
  Tell([](WorkspaceObserver& o) { o.ResultsChanged(); });
}

void Workspace::ClearResults() {
  Tell([](WorkspaceObserver& o) { o.ResultsAboutToChange(); });
  FSearch.Chosen.clear();
  FSearch.State.ClearResults();
  Tell([](WorkspaceObserver& o) { o.ResultsChanged(); });
}

OpStatus Workspace::SearchByWriterID(std::string_view id, Progress& progress) {
  SearchFields fields;
  fields.EditID = std::string(id);
  fields.CheckBoxID = true;
  fields.IgnoreCase = true;
  if (!CanSearch(fields)) return OpStatus::Completed;
  SearchJob job;
  const OpStatus status = RunSearch(progress, job, fields);
  SetResults(progress, job.Hits);
  return status;
}

bool Workspace::CanSearch(const SearchFields& fields) const {
  return UpdateSearchEnabled(fields, FTree.NodeCount());
}

bool Workspace::CanNarrow(const SearchFields& fields) const {
  return NarrowingEnabled(CanSearch(fields), FSearch.State.Results.size());
}

void Workspace::ShowSearchWindow() {
  Tell([](WorkspaceObserver& o) { o.SearchWindowWanted(); });
}

// ---- read marks ------------------------------------------------------------------------------

void Workspace::ResetReadMarks(bool known) {
  FReadMarks = known ? NodeBits(FTree.NodeCount()) : NodeBits();
  Tell([](WorkspaceObserver& o) { o.ReadMarksChanged({}); });
}

void Workspace::MarkRead(std::span<const std::int32_t> nodes, bool read) {
  if (!ReadMarksKnown()) {
    if (FMarks) FMarks->MarkedBeforeKnown(nodes, read);
    return;
  }
  std::vector<std::int32_t> changed;
  for (const std::int32_t node : nodes) {
    if (node < 0 || node >= FReadMarks.Count() || !FTree.At(node).Message) continue;
    if (FReadMarks.Test(node) == read) continue;
    FReadMarks.Set(node, read);
    changed.push_back(node);
  }
  if (changed.empty()) return;
  if (FMarks) FMarks->Store(changed, read);
  const ReadMarksChange change{false, changed, read};
  Tell([&change](WorkspaceObserver& o) { o.ReadMarksChanged(change); });
}

std::int32_t Workspace::NextToRead(std::int32_t node) const {
  return ReadMarksKnown() ? NextUnreadNode(FTree, node, FReadMarks) : NextMessageNode(FTree, node);
}

void Workspace::SetReadMarks(NodeBits read) {
  if (read.Count() != FTree.NodeCount()) return;
  FReadMarks = std::move(read);
  Tell([](WorkspaceObserver& o) { o.ReadMarksChanged({}); });
}

bool Workspace::OpenMarks(const std::string& settingsDir, PostToOwner post, std::string& problem) {
  FMarks.reset();
  std::unique_ptr<MarkStore> store = OpenMarkStore(settingsDir, problem);
  if (!store) return false;
  FMarks = std::make_unique<WorkspaceMarks>(*this, std::move(store), std::move(post));
  if (FSettings.ShowUnread && FTree.NodeCount() > 0) FMarks->StartLookup();
  return true;
}

void Workspace::SetShowUnread(bool show) {
  if (FSettings.ShowUnread == show) return;
  FSettings.ShowUnread = show;
  if (FMarks) {
    if (show)
      FMarks->StartLookup();
    else
      FMarks->Stop();
  }
  if (!show) ResetReadMarks(false);
}

bool Workspace::FlushMarks() {
  return !FMarks || FMarks->Store().Flush();
}

}  // namespace yuzulog
