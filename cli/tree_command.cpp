// yuzulog-cli tree: the message tree in pre-order, one line a node.
#include <string>

#include "cli/cli.h"

namespace yuzulog::cli {
namespace {

void WriteNode(const CliContext& c, std::int32_t node, int depth, std::string& out) {
  const MessageTree& tree = c.Tree;
  const MessageTree::Node& n = tree.At(node);
  out += std::to_string(depth) + '\t' + std::to_string(n.Room) + '\t';
  if (n.Message) {
    out += std::to_string(n.Message->Number) + '\t';
    c.AppendLogField(out, tree.Label(node));
  } else {
    out += "-\t" + std::to_string(n.Room);
    c.AppendOwnText(out, kRoomLabelSuffix);
  }
  out += '\n';
}

int RunTree(CliContext& c) {
  c.LoadFiles(true);
  const MessageTree& tree = c.Tree;
  std::string out;
  // Pre-order without recursion: threads can be thousands of levels deep.
  struct Frame {
    std::int32_t parent;
    int row;
  };
  std::vector<Frame> stack{{MessageTree::kNone, 0}};
  while (!stack.empty()) {
    Frame& top = stack.back();
    if (top.row >= tree.ChildCount(top.parent)) {
      stack.pop_back();
      continue;
    }
    const std::int32_t node = tree.Child(top.parent, top.row++);
    WriteNode(c, node, static_cast<int>(stack.size()) - 1, out);
    stack.push_back({node, 0});
    c.WriteWhenFull(out);
  }
  c.Write(out);
  return kExitOk;
}

const bool registered = RegisterSubcommand(
    {"tree", "the message tree, pre-order: Depth Room Number Label", {}, RunTree});

}  // namespace
}  // namespace yuzulog::cli
