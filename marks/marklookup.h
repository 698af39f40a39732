// The read marks of every message in the tree, looked up on a thread of its own so that a load
// of a million messages shows its tree at once and the bold type follows a moment later.
#pragma once

#include <atomic>
#include <functional>
#include <thread>

#include "marks/markstore.h"
#include "marks/readorder.h"

namespace yuzulog {

// The read bits of the tree's nodes from the marks stored and the changes still queued. Runs on
// the calling thread; stops early with an empty result when cancel becomes true. False when the
// store failed (the tree then shows everything as read: nothing is bold without marks).
bool LookUpReadMarks(MarkStore& store, const MessageTree& tree, NodeBits& read,
                     const std::atomic<bool>* cancel = nullptr);

class MarkLookup {
 public:
  // Starts the lookup. The tree and the messages it shows must stand unchanged until the lookup
  // is destroyed or Cancel has returned: the owner of the tree cancels it before it clears or
  // rebuilds the tree. done runs on the lookup's thread when the result is ready (a window posts
  // it to its own thread and takes the result there).
  MarkLookup(MarkStore& store, const MessageTree& tree, std::function<void()> done);
  ~MarkLookup() { Cancel(); }
  MarkLookup(const MarkLookup&) = delete;
  MarkLookup& operator=(const MarkLookup&) = delete;

  // Stops the lookup and waits for its thread; done is never called after this returns.
  void Cancel();
  // After done: the bits (by node index) and whether the store could be read.
  NodeBits TakeResult() { return std::move(FResult); }
  bool Succeeded() const { return FSucceeded; }

 private:
  std::atomic<bool> FCancel{false};
  NodeBits FResult;
  bool FSucceeded = false;
  std::thread FThread;
};

}  // namespace yuzulog
