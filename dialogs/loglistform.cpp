#include "dialogs/loglistform.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "dialogs/dialogfont.h"
#include "dialogs/dialogseam.h"
#include "dialogs/waitcursor.h"
#include "mainwindow/loglist.h"

namespace yuzulog {
namespace {

constexpr int kPanelHeight = 33;
constexpr int kListHeight = 168;
constexpr int kClientWidth = 290;
constexpr int kColumnWidths[] = {105, 25, 135};

// Image 0 marks an ordinary file, image 1 a file whose first messages repeat the end of the
// file before it: a second sheet behind the first, with a red edge where they overlap.
QIcon FileImage(bool overlaps) {
  QPixmap pm(16, 16);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  const QColor ink(40, 40, 40);
  if (overlaps) {
    p.setPen(QPen(QColor(200, 40, 40), 1));
    p.setBrush(QColor(250, 220, 220));
    p.drawRect(QRectF(5.5, 0.5, 9, 11));
  }
  p.setPen(QPen(ink, 1));
  p.setBrush(QColor(250, 250, 250));
  const QRectF sheet = overlaps ? QRectF(1.5, 4.5, 9, 11) : QRectF(3.5, 1.5, 9, 13);
  p.drawRect(sheet);
  p.setPen(QPen(QColor(40, 90, 200), 1));
  for (int i = 0; i < 3; ++i) {
    const double y = sheet.top() + 3 + 3 * i;
    p.drawLine(QPointF(sheet.left() + 2, y), QPointF(sheet.right() - 2, y));
  }
  return QIcon(pm);
}

}  // namespace

TLogListForm::TLogListForm(const LogFiles& files, RemoveFiles remove, QWidget* owner)
    : QDialog(owner), FFiles(files), FRemove(std::move(remove)) {
  setObjectName(QStringLiteral("LogListForm"));
  setWindowTitle(QStringLiteral("ログデータのリスト"));
  setFont(DesignDialogFont());

  countLabel = new QLabel(this);
  countLabel->setObjectName(QStringLiteral("Panel1"));
  countLabel->setAlignment(Qt::AlignCenter);
  countLabel->setFixedHeight(kPanelHeight);

  fileList = new QTreeWidget(this);
  fileList->setObjectName(QStringLiteral("ListView1"));
  fileList->setFont(QFont(QString::fromUtf8(FontStandIn("ＭＳ ゴシック")), 9));
  fileList->setColumnCount(3);
  fileList->setHeaderLabels(
      {QStringLiteral("ファイル名"), QStringLiteral("室"), QStringLiteral("発言")});
  int listWidth = 2 * fileList->frameWidth();
  for (int c = 0; c < 3; ++c) {
    fileList->setColumnWidth(c, kColumnWidths[c]);
    listWidth += kColumnWidths[c];
  }
  fileList->header()->setSectionsClickable(false);
  fileList->header()->setStretchLastSection(false);
  fileList->setRootIsDecorated(false);
  fileList->setItemsExpandable(false);
  fileList->setUniformRowHeights(true);
  fileList->setSelectionMode(QAbstractItemView::ExtendedSelection);
  fileList->setSelectionBehavior(QAbstractItemView::SelectRows);
  fileList->setEditTriggers(QAbstractItemView::NoEditTriggers);
  fileList->setIconSize(QSize(16, 16));
  fileList->setFixedHeight(kListHeight);
  fileList->setMinimumWidth(std::max(kClientWidth, listWidth));
  // The list is drawn on the dialog's own colour.
  QPalette pal = fileList->palette();
  pal.setColor(QPalette::Base, palette().color(QPalette::Window));
  fileList->setPalette(pal);

  listMenu = new QMenu(this);
  listMenu->setObjectName(QStringLiteral("PopupMenu1"));
  MenuDelete = listMenu->addAction(QStringLiteral("削除(&D)"));
  MenuDelete->setObjectName(QStringLiteral("MenuDelete"));
  fileList->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(fileList, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { listMenu->popup(fileList->viewport()->mapToGlobal(at)); });
  connect(listMenu, &QMenu::aboutToShow, this, &TLogListForm::ListMenuPopup);
  connect(MenuDelete, &QAction::triggered, this, &TLogListForm::MenuDeleteClick);

  OkButton = new QPushButton(QStringLiteral("&OK"), this);
  OkButton->setObjectName(QStringLiteral("OkButton"));
  OkButton->setDefault(true);
  connect(OkButton, &QPushButton::clicked, this,
          [this] { done(static_cast<int>(ModalResult::Ok)); });

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(OkButton);
  buttons->addStretch(1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 8);
  layout->addWidget(countLabel);
  layout->addWidget(fileList);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TLogListForm::FillLogList() {
  WaitCursor wait;
  fileList->setUpdatesEnabled(false);
  fileList->clear();
  FRowFiles.clear();
  countLabel->setText(QString::fromStdString(LogListCountText(FFiles.Count())));
  const QIcon images[] = {FileImage(false), FileImage(true)};
  QList<QTreeWidgetItem*> items;
  for (const LogListRow& row : LogListRows(FFiles)) {
    auto* item =
        new QTreeWidgetItem({QString::fromStdString(row.Name), QString::fromStdString(row.Room),
                             QString::fromStdString(row.Messages)});
    item->setIcon(0, images[row.Overlaps ? 1 : 0]);
    // The name column is narrow; the whole path shows on hover.
    item->setToolTip(0, QString::fromStdString(row.File->FileName));
    items.append(item);
    FRowFiles.push_back(row.File);
  }
  fileList->addTopLevelItems(items);
  fileList->setUpdatesEnabled(true);
}

void TLogListForm::ListMenuPopup() {
  MenuDelete->setEnabled(!fileList->selectedItems().isEmpty());
}

void TLogListForm::MenuDeleteClick() {
  std::vector<const TLogData*> selected;
  for (int i = 0; i < fileList->topLevelItemCount(); ++i)
    if (fileList->topLevelItem(i)->isSelected())
      selected.push_back(FRowFiles[static_cast<std::size_t>(i)]);
  if (selected.empty()) return;
  const QString question =
      QString::fromStdString(LogListRemoveQuestion(static_cast<int>(selected.size())));
  if (Dialogs().MessageBox(this, question, QStringLiteral("ログデータの管理"), MsgButtons::YesNo,
                           MsgIcon::Question, ModalResult::No) != ModalResult::Yes)
    return;
  FRemove(selected);
  FillLogList();
}

}  // namespace yuzulog
