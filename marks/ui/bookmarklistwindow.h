// The bookmark list: a window of its own over the store's bookmarks. It shows, sorts, deletes and
// edits notes itself; showing a message is the main window's, which it asks by a signal.
#pragma once

#include <QAbstractTableModel>
#include <QWidget>
#include <functional>
#include <vector>

#include "marks/bookmarklist.h"

class QTableView;

namespace yuzulog {

// Whether the message a bookmark names is loaded now (its row is grey when not).
using BookmarkLoadedFunction = std::function<bool(const MarkKey&)>;

// The rows are the bookmarks in the order the core sorted them; texts are made when painted.
class BookmarkListModel final : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit BookmarkListModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

  void SetBookmarks(std::vector<Bookmark> list, BookmarkLoadedFunction loaded);
  const Bookmark& At(int row) const { return FList[static_cast<std::size_t>(row)]; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  void sort(int column, Qt::SortOrder order) override;

 signals:
  // A note was edited in place (F2): the window stores it.
  void noteEdited(const yuzulog::MarkKey& key, const QString& note);

 private:
  std::vector<Bookmark> FList;
  std::vector<char> FLoaded;  // by row
  BookmarkLoadedFunction FIsLoaded;
};

class BookmarkListWindow final : public QWidget {
  Q_OBJECT
 public:
  BookmarkListWindow(MarkStore& store, BookmarkLoadedFunction loaded, QWidget* parent = nullptr);

  // Reads the bookmarks again (after Ctrl+D in the main window, after a load).
  void Reload();
  QTableView* View() const { return FView; }

 signals:
  // Double-click or Enter on a row.
  void showMessageRequested(const yuzulog::MarkKey& key);

 private:
  void RemoveChosen();
  void StoreNote(const MarkKey& key, const QString& note);

  MarkStore& FStore;
  BookmarkLoadedFunction FLoaded;
  BookmarkListModel* FModel;
  QTableView* FView;
};

}  // namespace yuzulog
