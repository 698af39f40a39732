// The whole thread on one page: the option, and drawing a thread page or going to a message's
// place on the page shown.
#include <QAction>
#include <algorithm>

#include "mainwindow/ui/mainform.h"
#include "mainwindow/ui/messageview.h"

namespace yuzulog {

void TMainForm::ConnectThreadCommands() {
  commands.threadPage->setChecked(FWorkspace.Settings().ThreadPage);
  connect(commands.threadPage, &QAction::triggered, this, &TMainForm::ActionThreadPageExecute);
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

}  // namespace yuzulog
