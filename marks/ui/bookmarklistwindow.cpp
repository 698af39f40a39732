#include "marks/ui/bookmarklistwindow.h"

#include <QAction>
#include <QHeaderView>
#include <QKeySequence>
#include <QPalette>
#include <QTableView>
#include <QVBoxLayout>

#include "dialogs/sortarrow.h"

namespace yuzulog {

namespace {

QString Utf8(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

void BookmarkListModel::SetBookmarks(std::vector<Bookmark> list, BookmarkLoadedFunction loaded) {
  beginResetModel();
  FList = std::move(list);
  FIsLoaded = std::move(loaded);
  FLoaded.assign(FList.size(), 1);
  if (FIsLoaded)
    for (std::size_t i = 0; i < FList.size(); ++i)
      FLoaded[i] = FIsLoaded(FList[i].Key) ? 1 : 0;
  endResetModel();
}

int BookmarkListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(FList.size());
}

int BookmarkListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kBookmarkColumnCount;
}

QVariant BookmarkListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const auto row = static_cast<std::size_t>(index.row());
  const Bookmark& b = FList[row];
  if (role == Qt::ForegroundRole && !FLoaded[row])
    return QPalette().brush(QPalette::Disabled, QPalette::Text);
  if (role == Qt::TextAlignmentRole && index.column() <= 1)
    return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
  if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
  switch (static_cast<BookmarkColumn>(index.column())) {
    case BookmarkColumn::Room:
      return b.Key.Room;
    case BookmarkColumn::Number:
      return b.Key.Number;
    case BookmarkColumn::Title:
      return Utf8(b.Title);
    case BookmarkColumn::Handle:
      return Utf8(b.Handle);
    case BookmarkColumn::Note:
      return Utf8(b.Note);
    case BookmarkColumn::Created:
      return Utf8(BookmarkCreatedText(b.Created));
  }
  return {};
}

QVariant BookmarkListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  static const char* const kCaptions[kBookmarkColumnCount] = {"会議室",   "番号", "題名",
                                                              "ハンドル", "メモ", "日時"};
  return section >= 0 && section < kBookmarkColumnCount ? QString::fromUtf8(kCaptions[section])
                                                        : QVariant();
}

Qt::ItemFlags BookmarkListModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags f = QAbstractTableModel::flags(index);
  if (index.column() == static_cast<int>(BookmarkColumn::Note)) f |= Qt::ItemIsEditable;
  return f;
}

bool BookmarkListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || index.column() != static_cast<int>(BookmarkColumn::Note))
    return false;
  Bookmark& b = FList[static_cast<std::size_t>(index.row())];
  const QString note = value.toString();
  b.Note = note.toStdString();
  emit dataChanged(index, index);
  emit noteEdited(b.Key, note);
  return true;
}

void BookmarkListModel::sort(int column, Qt::SortOrder order) {
  if (column < 0 || column >= kBookmarkColumnCount) return;
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  const QModelIndexList before = persistentIndexList();
  std::vector<MarkKey> keys;
  for (const QModelIndex& i : before)
    keys.push_back(FList[static_cast<std::size_t>(i.row())].Key);
  SortBookmarks(FList, static_cast<BookmarkColumn>(column), order == Qt::DescendingOrder);
  for (std::size_t i = 0; i < FList.size(); ++i)
    FLoaded[i] = !FIsLoaded || FIsLoaded(FList[i].Key) ? 1 : 0;
  // A bookmark has one row: its key finds where a kept index went.
  QModelIndexList after;
  for (std::size_t i = 0; i < keys.size(); ++i) {
    const auto it = std::find_if(FList.begin(), FList.end(),
                                 [&](const Bookmark& b) { return b.Key == keys[i]; });
    after.push_back(
        index(static_cast<int>(it - FList.begin()), before[static_cast<int>(i)].column()));
  }
  changePersistentIndexList(before, after);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

BookmarkListWindow::BookmarkListWindow(MarkStore& store, BookmarkLoadedFunction loaded,
                                       QWidget* parent)
    : QWidget(parent, Qt::Window),
      FStore(store),
      FLoaded(std::move(loaded)),
      FModel(new BookmarkListModel(this)),
      FView(new QTableView(this)) {
  setObjectName(QStringLiteral("BookmarkList"));
  setWindowTitle(QStringLiteral("しおり一覧"));
  FView->setObjectName(QStringLiteral("bookmarkView"));
  FView->setModel(FModel);
  FView->setSelectionBehavior(QAbstractItemView::SelectRows);
  FView->setEditTriggers(QAbstractItemView::EditKeyPressed);
  FView->setSortingEnabled(true);
  FView->sortByColumn(static_cast<int>(BookmarkColumn::Created), Qt::AscendingOrder);
  FView->verticalHeader()->hide();
  FView->verticalHeader()->setDefaultSectionSize(FView->fontMetrics().height() + 6);
  FView->horizontalHeader()->setStretchLastSection(true);
  DrawSortIndicatorAsOrder(*FView->horizontalHeader());
  // Fixed widths, never sized to contents: the list may hold thousands of bookmarks.
  const int widths[] = {60, 70, 260, 130, 160};
  for (int column = 0; column < static_cast<int>(std::size(widths)); ++column)
    FView->setColumnWidth(column, widths[column]);
  FView->setContextMenuPolicy(Qt::ActionsContextMenu);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(FView);
  // Wide enough that the last column, the time a bookmark was made, is not cut off.
  int width = FView->fontMetrics().horizontalAdvance(QStringLiteral("0000/00/00 00:00")) + 24;
  for (const int w : widths)
    width += w;
  resize(width + 2 * FView->frameWidth(), 360);

  // Double-click and Enter both activate a row.
  connect(FView, &QAbstractItemView::activated, this, [this](const QModelIndex& index) {
    emit showMessageRequested(FModel->At(index.row()).Key);
  });
  auto* edit = new QAction(QStringLiteral("メモを編集(&E)"), FView);
  edit->setShortcut(Qt::Key_F2);
  edit->setShortcutContext(Qt::WidgetShortcut);
  edit->setStatusTip(QStringLiteral("選んだしおりのメモを書き換えます"));
  connect(edit, &QAction::triggered, this, [this] {
    const QModelIndex current = FView->currentIndex();
    if (current.isValid())
      FView->edit(current.siblingAtColumn(static_cast<int>(BookmarkColumn::Note)));
  });
  auto* remove = new QAction(QStringLiteral("削除(&D)"), FView);
  remove->setShortcut(QKeySequence::Delete);
  remove->setShortcutContext(Qt::WidgetShortcut);
  remove->setStatusTip(QStringLiteral("選んだしおりを削除します"));
  connect(remove, &QAction::triggered, this, &BookmarkListWindow::RemoveChosen);
  FView->addAction(edit);
  FView->addAction(remove);
  connect(FModel, &BookmarkListModel::noteEdited, this, &BookmarkListWindow::StoreNote);
  Reload();
}

void BookmarkListWindow::Reload() {
  std::vector<Bookmark> list;
  FStore.Bookmarks(list);
  const int column = FView->horizontalHeader()->sortIndicatorSection();
  const Qt::SortOrder order = FView->horizontalHeader()->sortIndicatorOrder();
  FModel->SetBookmarks(std::move(list), FLoaded);
  FModel->sort(column, order);
}

void BookmarkListWindow::RemoveChosen() {
  std::vector<MarkKey> keys;
  for (const QModelIndex& row : FView->selectionModel()->selectedRows())
    keys.push_back(FModel->At(row.row()).Key);
  if (keys.empty()) return;
  FStore.RemoveBookmarks(keys);
  Reload();
}

void BookmarkListWindow::StoreNote(const MarkKey& key, const QString& note) {
  FStore.SetBookmarkNote(key, note.toStdString());
}

}  // namespace yuzulog
