// The whole thread on one page, and reading on with the keys: Space a screen down (and on to the
// next message to read at the page's end), Shift+Space a screen up, N and P the next and previous
// message. The keys belong to the window, so they work the same in the tree and in the view.
#include <QAction>
#include <QTreeView>
#include <algorithm>

#include "mainwindow/ui/mainform.h"
#include "mainwindow/ui/messagetreemodel.h"
#include "mainwindow/ui/messageview.h"
#include "marks/readorder.h"

namespace yuzulog {

void TMainForm::ConnectThreadCommands() {
  commands.threadPage->setChecked(FWorkspace.Settings().ThreadPage);
  connect(commands.threadPage, &QAction::triggered, this, &TMainForm::ActionThreadPageExecute);
  const auto key = [this](const char* name, QKeySequence shortcut, auto handler) {
    auto* a = new QAction(this);
    a->setObjectName(QString::fromUtf8(name));
    a->setShortcut(shortcut);
    addAction(a);
    connect(a, &QAction::triggered, this, handler);
  };
  key("ActionReadOn", QKeySequence(Qt::Key_Space), [this] { ReadOn(false); });
  key("ActionReadBack", QKeySequence(Qt::SHIFT | Qt::Key_Space), [this] { ReadOn(true); });
  key("ActionNextMessage", QKeySequence(Qt::Key_N), [this] { StepMessage(true); });
  key("ActionPreviousMessage", QKeySequence(Qt::Key_P), [this] { StepMessage(false); });
}

void TMainForm::ActionThreadPageExecute() {
  MainSettings s = FWorkspace.Settings();
  s.ThreadPage = commands.threadPage->isChecked();
  FWorkspace.SetSettings(s);
  FWorkspace.ShowAgain();
}

void TMainForm::ForgetThreadPage() {
  FCopies.reset();
  FThreadPage = {};
}

bool TMainForm::DrawThread(const ShowRequest& request) {
  const MessageTree& tree = FWorkspace.Tree();
  const std::int32_t node = request.Message && FWorkspace.Settings().ThreadPage
                                ? tree.NodeOf(*request.Message)
                                : MessageTree::kNone;
  if (node == MessageTree::kNone) {
    FThreadPage = {};
    return false;
  }
  if (const auto entry =
          FThreadPage.EntryFor(node, request.WithHits(), request.Origin == ShowOrigin::Restyle)) {
    view->GoToEntry(*entry);
    return true;
  }
  FThreadPage = {};
  if (!FCopies) FCopies = std::make_unique<MessageCopies>(FWorkspace.Files(), tree);
  const ThreadPageContent content = ThreadPageFor(tree, *FCopies, node);
  const auto selected =
      std::find_if(content.Entries.begin(), content.Entries.end(),
                   [&](const ThreadPageEntry& e) { return e.Message == request.Message; });
  if (selected == content.Entries.end()) return false;
  MessageHits hits;
  if (request.WithHits())
    hits = [this](const TLogMessage& m, std::vector<std::int64_t>& pairs) {
      FWorkspace.Search().State.GetHitRanges(pairs, m);
    };
  view->ShowThread(content, static_cast<std::size_t>(selected - content.Entries.begin()), hits,
                   CurrentPageStyle());
  ShownThreadPage shown;
  shown.WithHits = request.WithHits();
  shown.Nodes.reserve(content.Entries.size());
  for (const ThreadPageEntry& e : content.Entries)
    shown.Nodes.push_back(tree.NodeOf(*e.Message));
  FThreadPage = std::move(shown);
  return true;
}

void TMainForm::PagePassed(double from) {
  if (FThreadPage.Nodes.empty() || !FWorkspace.ReadMarksKnown()) return;
  const std::vector<double> ends = view->EntryEnds();
  if (ends.size() != FThreadPage.Nodes.size()) return;
  const EntryRange passed = PassedEntries(ends, from, view->Scroll());
  if (passed.Empty()) return;
  FWorkspace.MarkRead(
      std::span(FThreadPage.Nodes).subspan(passed.First, passed.Last - passed.First), true);
}

void TMainForm::ReadOn(bool back) {
  const PageScroll at = view->Scroll();
  switch (SpaceActionFor(at, back)) {
    case SpaceAction::ScrollDown:
      view->ScrollPage(true);
      break;
    case SpaceAction::ScrollUp:
      view->ScrollPage(false);
      break;
    case SpaceAction::ReadOn:
      // What the view shows at the page's end has been read, though nothing scrolled beyond it.
      PagePassed(at.Top);
      SelectNode(FWorkspace.NextToRead(CurrentNode()));
      break;
    case SpaceAction::Nothing:
      break;
  }
}

void TMainForm::StepMessage(bool forward) {
  const MessageTree& tree = FWorkspace.Tree();
  const std::int32_t node = CurrentNode();
  SelectNode(forward ? NextMessageNode(tree, node) : PreviousMessageNode(tree, node));
}

std::int32_t TMainForm::CurrentNode() const {
  const MessageTree& tree = FWorkspace.Tree();
  if (const TLogMessage* m = FWorkspace.Shown().Message) {
    const std::int32_t node = tree.NodeOf(*m);
    if (node != MessageTree::kNone) return node;
  }
  const QModelIndex current = treeView->currentIndex();
  return current.isValid() ? MessageTreeModel::NodeOf(current) : MessageTree::kNone;
}

// The tree's selection shows the message, as a click on it would; a node that is selected already
// (while the search window showed another message) shows it again.
void TMainForm::SelectNode(std::int32_t node) {
  if (node == MessageTree::kNone || FWorkspace.Tree().Building()) return;
  const QModelIndex index = treeModel->IndexOfNode(node);
  if (index == treeView->currentIndex())
    TreeViewChange(index);
  else
    treeView->setCurrentIndex(index);
  treeView->scrollTo(index);
}

}  // namespace yuzulog
