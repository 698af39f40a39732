#include "workspace/workspacemarks.h"

#include "workspace/workspace.h"

namespace yuzulog {

WorkspaceMarks::WorkspaceMarks(Workspace& workspace, std::unique_ptr<MarkStore> store,
                               PostToOwner post)
    : FWorkspace(workspace), FStore(std::move(store)), FPost(std::move(post)) {}

WorkspaceMarks::~WorkspaceMarks() {
  FLookup.reset();
}

void WorkspaceMarks::TreeAboutToGo() {
  ++FGeneration;
  FLookup.reset();
  FMarkedMeanwhile.clear();
}

void WorkspaceMarks::StartLookup() {
  TreeAboutToGo();
  if (FWorkspace.Tree().NodeCount() == 0) return;
  const std::uint64_t generation = FGeneration;
  std::weak_ptr<char> alive = FAlive;
  FLookup = std::make_unique<MarkLookup>(*FStore, FWorkspace.Tree(),
                                         [this, post = FPost, alive, generation] {
                                           post([this, alive, generation] {
                                             if (alive.lock()) LookupDone(generation);
                                           });
                                         });
}

void WorkspaceMarks::Stop() {
  TreeAboutToGo();
}

void WorkspaceMarks::LookupDone(std::uint64_t generation) {
  if (generation != FGeneration || !FLookup) return;
  const bool succeeded = FLookup->Succeeded();
  NodeBits read = FLookup->TakeResult();
  FLookup.reset();
  // A store that cannot be read leaves the marks unknown: nothing is bold without marks.
  if (!succeeded) {
    FMarkedMeanwhile.clear();
    return;
  }
  for (const auto& [node, value] : FMarkedMeanwhile)
    read.Set(node, value);
  FMarkedMeanwhile.clear();
  FWorkspace.SetReadMarks(std::move(read));
}

void WorkspaceMarks::Store(std::span<const std::int32_t> nodes, bool read) {
  std::vector<MarkKey> keys;
  keys.reserve(nodes.size());
  const MessageTree& tree = FWorkspace.Tree();
  for (const std::int32_t node : nodes)
    keys.push_back(MarkKeyOf(*tree.At(node).Message));
  FStore->MarkRead(keys, read);
}

void WorkspaceMarks::MarkedBeforeKnown(std::span<const std::int32_t> nodes, bool read) {
  if (!FLookup) return;
  const MessageTree& tree = FWorkspace.Tree();
  std::vector<std::int32_t> messages;
  for (const std::int32_t node : nodes) {
    if (node < 0 || node >= tree.NodeCount() || !tree.At(node).Message) continue;
    messages.push_back(node);
    FMarkedMeanwhile.emplace_back(node, read);
  }
  Store(messages, read);
}

}  // namespace yuzulog
