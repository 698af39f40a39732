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

  Panel1 = new QLabel(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setAlignment(Qt::AlignCenter);
  Panel1->setFixedHeight(kPanelHeight);

  ListView1 = new QTreeWidget(this);
  ListView1->setObjectName(QStringLiteral("ListView1"));
  ListView1->setFont(QFont(QString::fromUtf8(FontStandIn("ＭＳ ゴシック")), 9));
  ListView1->setColumnCount(3);
  ListView1->setHeaderLabels(
      {QStringLiteral("ファイル名"), QStringLiteral("室"), QStringLiteral("発言")});
  int listWidth = 2 * ListView1->frameWidth();
  for (int c = 0; c < 3; ++c) {
    ListView1->setColumnWidth(c, kColumnWidths[c]);
    listWidth += kColumnWidths[c];
  }
  ListView1->header()->setSectionsClickable(false);
  ListView1->header()->setStretchLastSection(false);
  ListView1->setRootIsDecorated(false);
  ListView1->setItemsExpandable(false);
  ListView1->setUniformRowHeights(true);
  ListView1->setSelectionMode(QAbstractItemView::ExtendedSelection);
  ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
  ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  ListView1->setIconSize(QSize(16, 16));
  ListView1->setFixedHeight(kListHeight);
  ListView1->setMinimumWidth(std::max(kClientWidth, listWidth));
  // The list is drawn on the dialog's own colour.
  QPalette pal = ListView1->palette();
  pal.setColor(QPalette::Base, palette().color(QPalette::Window));
  ListView1->setPalette(pal);

  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
  MenuDelete = PopupMenu1->addAction(QStringLiteral("削除(&D)"));
  MenuDelete->setObjectName(QStringLiteral("MenuDelete"));
  ListView1->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(ListView1, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { PopupMenu1->popup(ListView1->viewport()->mapToGlobal(at)); });
  connect(PopupMenu1, &QMenu::aboutToShow, this, &TLogListForm::PopupMenu1Popup);
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
  layout->addWidget(Panel1);
  layout->addWidget(ListView1);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TLogListForm::FillLogList() {
  WaitCursor wait;
  ListView1->setUpdatesEnabled(false);
  ListView1->clear();
  FRowFiles.clear();
  Panel1->setText(QString::fromStdString(LogListCountText(FFiles.Count())));
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
  ListView1->addTopLevelItems(items);
  ListView1->setUpdatesEnabled(true);
}

void TLogListForm::PopupMenu1Popup() {
  MenuDelete->setEnabled(!ListView1->selectedItems().isEmpty());
}

void TLogListForm::MenuDeleteClick() {
  std::vector<const TLogData*> selected;
  for (int i = 0; i < ListView1->topLevelItemCount(); ++i)
    if (ListView1->topLevelItem(i)->isSelected())
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
