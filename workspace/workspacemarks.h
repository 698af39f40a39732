// The workspace's read marks kept in the mark store: looked up on a thread of their own after
// every rebuild of the tree, and written back as they are made. The window's thread never waits
// for the database: a lookup hands its result back through the owner's event queue, and marking
// only queues the write.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <utility>
#include <vector>

#include "marks/marklookup.h"
#include "marks/markstore.h"

namespace yuzulog {

class Workspace;

// Runs a function later on the thread that owns the workspace (a window posts it to its event
// queue). It is called from other threads; the function may be dropped when that thread ends.
using PostToOwner = std::function<void(std::function<void()>)>;

class WorkspaceMarks {
 public:
  WorkspaceMarks(Workspace& workspace, std::unique_ptr<MarkStore> store, PostToOwner post);
  // Stops a running lookup; the store writes what is queued as it closes.
  ~WorkspaceMarks();
  WorkspaceMarks(const WorkspaceMarks&) = delete;
  WorkspaceMarks& operator=(const WorkspaceMarks&) = delete;

  MarkStore& Store() { return *FStore; }

  // The tree is about to be emptied: a running lookup stops, and one that has finished but whose
  // result still waits in the owner's queue is dropped.
  void TreeAboutToGo();
  // Looks the marks of the tree up afresh (after a rebuild, or when marks are turned on).
  void StartLookup();
  // Forgets the marks of the tree (marks turned off).
  void Stop();
  bool LookingUp() const { return FLookup != nullptr; }

  // The nodes' marks changed in the workspace: the store gets their keys.
  void Store(std::span<const std::int32_t> nodes, bool read);
  // Marked while the lookup runs (the marks are not known yet): stored, and applied on top of
  // the lookup's result, which may have been read before the change. Nothing when no lookup runs.
  void MarkedBeforeKnown(std::span<const std::int32_t> nodes, bool read);

 private:
  void LookupDone(std::uint64_t generation);

  Workspace& FWorkspace;
  std::unique_ptr<MarkStore> FStore;
  PostToOwner FPost;
  std::unique_ptr<MarkLookup> FLookup;
  // Raised whenever a lookup starts or the tree goes: a result of an older one is stale.
  std::uint64_t FGeneration = 0;
  std::vector<std::pair<std::int32_t, bool>> FMarkedMeanwhile;
  // Expires with this object: a result posted to the owner's queue does not outlive it.
  std::shared_ptr<char> FAlive = std::make_shared<char>();
};

}  // namespace yuzulog
