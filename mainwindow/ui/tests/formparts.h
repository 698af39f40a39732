// The main window's parts as the tests reach them: by their object names, as a person's tools
// would, instead of through accessors kept for tests.
#pragma once

#include <QAbstractItemModel>
#include <QAction>
#include <QLabel>
#include <QTreeView>
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
