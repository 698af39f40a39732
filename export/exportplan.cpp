#include "export/exportplan.h"

#include <algorithm>

namespace yuzulog {

ExportPlan::ExportPlan(const LogFiles& files, const MessageTree& tree,
                       const std::vector<const TLogMessage*>* chosen)
    : FFiles(files), FTree(tree) {
  for (int i = 0; i < files.Count(); ++i)
    FFileIndex.emplace(&files[i], i);

  // Copy numbers: a walk of the tree in pre-order, counting each room and number as it comes.
  FCopy.assign(static_cast<std::size_t>(tree.NodeCount()), 0);
  std::unordered_map<std::uint64_t, std::int32_t> seen;
  seen.reserve(static_cast<std::size_t>(tree.NodeCount()));
  std::vector<std::int32_t> stack;
  for (int t = tree.TopLevelCount() - 1; t >= 0; --t)
    stack.push_back(tree.Child(MessageTree::kNone, t));
  while (!stack.empty()) {
    const std::int32_t node = stack.back();
    stack.pop_back();
    if (const TLogMessage* m = tree.At(node).Message)
      FCopy[static_cast<std::size_t>(node)] = ++seen[Key(m->Room, m->Number)];
    for (int c = tree.ChildCount(node) - 1; c >= 0; --c)
      stack.push_back(tree.Child(node, c));
  }

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
  FMessages = *chosen;
  std::sort(FMessages.begin(), FMessages.end(), [this](const TLogMessage* a, const TLogMessage* b) {
    const int fa = FileIndexOf(*a), fb = FileIndexOf(*b);
    return fa != fb ? fa < fb : a->HeadStart < b->HeadStart;
  });
  FMessages.erase(std::unique(FMessages.begin(), FMessages.end()), FMessages.end());
  FNodeChosen.assign(static_cast<std::size_t>(tree.NodeCount()), 0);
  for (const TLogMessage* m : FMessages)
    if (m->Node >= 0) FNodeChosen[static_cast<std::size_t>(m->Node)] = 1;
}

bool ExportPlan::Exported(const TLogMessage& m) const {
  if (FNodeChosen.empty()) return true;
  return m.Node >= 0 && FNodeChosen[static_cast<std::size_t>(m.Node)] != 0;
}

int ExportPlan::CopyOf(const TLogMessage& m) const {
  if (m.Node < 0 || static_cast<std::size_t>(m.Node) >= FCopy.size()) return 1;
  return std::max(1, FCopy[static_cast<std::size_t>(m.Node)]);
}

std::string ExportPlan::Anchor(const TLogMessage& m) const {
  std::string a = std::to_string(m.Room) + "-" + std::to_string(m.Number);
  const int k = CopyOf(m);
  if (k > 1) a += "-" + std::to_string(k);
  return a;
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
