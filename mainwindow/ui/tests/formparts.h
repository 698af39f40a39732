// The main window's parts as the tests reach them: by their object names, as a person's tools
// would, instead of through accessors kept for tests.
#pragma once

#include <QAbstractItemModel>
#include <QAction>
#include <QLabel>
#include <QTreeView>
#include <memory>
#include <stdexcept>
#include <string>

#include "mainwindow/ui/mainform.h"

namespace yuzulog::testing {

// The child named name; a test that asks for a part the window lacks fails with that name.
template <class T>
T* Child(const QObject& parent, const char* name) {
  T* child = parent.findChild<T*>(QString::fromUtf8(name));
  if (!child) throw std::logic_error(std::string("no child named ") + name);
  return child;
}

// A main window with the rich-text view (no browser engine needed) and Shift not held.
inline std::unique_ptr<TMainForm> RichTextForm(std::vector<std::string> extra = {}) {
  std::vector<std::string> args = {"yuzulog", "ViewMode:1"};
  args.insert(args.end(), extra.begin(), extra.end());
  auto f = std::make_unique<TMainForm>(args);
  f->ShiftHeld = [] { return false; };
  return f;
}

// Counts the show requests a workspace tells of while it lives.
struct ShowCounter : WorkspaceObserver {
  explicit ShowCounter(Workspace& w) : Space(w) { Space.AddObserver(*this); }
  ~ShowCounter() override { Space.RemoveObserver(*this); }
  void ShowRequested(const ShowRequest&) override { ++Count; }
  Workspace& Space;
  int Count = 0;
};

// Makes keyword (code page 932) the condition of the workspace's last search, as a search would.
inline void SearchedFor(Workspace& w, const std::string& keyword) {
  SearchFields fields;
  fields.Edit[0] = keyword;
  fields.CheckBox[0] = true;
  BuildConditions(fields, w.Search().State.FConditions, w.Search().State.ScanMode);
}

inline QTreeView* Tree(const TMainForm& f) {
  return Child<QTreeView>(f, "TreeView1");
}
inline QAbstractItemModel& TreeModel(const TMainForm& f) {
  return *Tree(f)->model();
}
inline QString StatusText(const TMainForm& f) {
  return Child<QLabel>(f, "StatusBar1")->text();
}
inline QAction* Action(const TMainForm& f, const char* name) {
  return Child<QAction>(f, name);
}

}  // namespace yuzulog::testing
