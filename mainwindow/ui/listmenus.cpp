#include "mainwindow/ui/listmenus.h"

#include <QAction>
#include <QMenu>

namespace yuzulog {
namespace {

// "&", the number, ": " and the text, whose own "&" stay visible instead of marking a key.
QString NumberedCaption(int number, const std::string& text) {
  return QStringLiteral("&%1: %2").arg(number).arg(
      QString::fromStdString(text).replace(QLatin1Char('&'), QStringLiteral("&&")));
}

}  // namespace

void FillRecentMenu(QMenu& menu, const std::vector<std::string>& folders,
                    const std::function<void(int index)>& onClick) {
  menu.clear();
  for (std::size_t i = 0; i < folders.size(); ++i) {
    const int index = static_cast<int>(i);
    QAction* item = menu.addAction(NumberedCaption(index + 1, folders[i]));
    item->setData(index);
    QObject::connect(item, &QAction::triggered, &menu, [onClick, index] { onClick(index); });
  }
  menu.setEnabled(!folders.empty());
}

void FillLogSetMenu(QMenu& menu, QAction* separator, std::vector<QAction*>& items,
                    const std::vector<LogSet>& sets,
                    const std::function<void(int index)>& onClick) {
  for (QAction* item : items) {
    menu.removeAction(item);
    // The clicked item may be among them: it goes once its click has been handled.
    item->deleteLater();
  }
  items.clear();
  for (std::size_t i = 0; i < sets.size(); ++i) {
    const int index = static_cast<int>(i);
    auto* item = new QAction(NumberedCaption(index, sets[i].Name), &menu);
    item->setData(index);
    QObject::connect(item, &QAction::triggered, &menu, [onClick, index] { onClick(index); });
    menu.insertAction(separator, item);
    items.push_back(item);
  }
}

}  // namespace yuzulog
