#include "export/exportplan.h"

#include <algorithm>

namespace yuzulog {

ExportPlan::ExportPlan(const LogFiles& files, const MessageTree& tree,
                       const std::vector<const TLogMessage*>* chosen)
    : FFiles(files), FTree(tree), FCopies(files, tree) {
  for (int i = 0; i < files.Count(); ++i)
    FFileIndex.emplace(&files[i], i);

  // Go-to targets: a later file's copy wins; a number stands at most once in a file.
  for (const auto& file : files)
    for (const TLogMessage& m : file->Messages())
      FTargets[Key(file->Room, m.Number)] = &m;

  if (!chosen) {
    FMessages.reserve(static_cast<std::size_t>(files.TotalMessages()));
    for (const auto& file : files)
      for (const TLogMessage& m : file->Messages())
        FMessages.push_back(&m);
    return;
  }
  // Only messages of the loaded files: a list that outlived a reload must not name freed ones.
  for (const TLogMessage* m : *chosen)
    if (m && FFileIndex.count(m->Owner)) FMessages.push_back(m);
  std::sort(FMessages.begin(), FMessages.end(), [this](const TLogMessage* a, const TLogMessage* b) {
    const int fa = FileIndexOf(*a), fb = FileIndexOf(*b);
    return fa != fb ? fa < fb : a->HeadStart < b->HeadStart;
  });
  FMessages.erase(std::unique(FMessages.begin(), FMessages.end()), FMessages.end());
  FNodeChosen.assign(static_cast<std::size_t>(tree.NodeCount()), 0);
  for (const TLogMessage* m : FMessages)
    if (const std::int32_t node = tree.NodeOf(*m); node != MessageTree::kNone)
      FNodeChosen[static_cast<std::size_t>(node)] = 1;
}

bool ExportPlan::Exported(const TLogMessage& m) const {
  if (FNodeChosen.empty()) return true;
  const std::int32_t node = FTree.NodeOf(m);
  return node != MessageTree::kNone && FNodeChosen[static_cast<std::size_t>(node)] != 0;
}

int ExportPlan::CopyOf(const TLogMessage& m) const {
  const std::int32_t node = FTree.NodeOf(m);
  return node == MessageTree::kNone ? 1 : std::max(1, FCopies.CopyNumber(node));
}

std::string ExportPlan::Anchor(const TLogMessage& m) const {
  return MessageAnchorName(m.Room, m.Number, CopyOf(m));
}

const TLogMessage* ExportPlan::Target(std::int32_t room, std::int32_t number) const {
  const auto it = FTargets.find(Key(room, number));
  return it == FTargets.end() ? nullptr : it->second;
}

int ExportPlan::FileIndexOf(const TLogMessage& m) const {
  const auto it = FFileIndex.find(m.Owner);
  return it == FFileIndex.end() ? -1 : it->second;
}

}  // namespace yuzulog
