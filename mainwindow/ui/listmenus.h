// The menus of the recent folders and of the log sets, filled from the workspace's lists.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "mainwindow/logsets.h"

class QAction;
class QMenu;

namespace yuzulog {

// One item per folder, numbered from 1; the menu is disabled when there is none.
void FillRecentMenu(QMenu& menu, const std::vector<std::string>& folders,
                    const std::function<void(int index)>& onClick);
// One item per set before separator, numbered from 0; items holds the items made last time,
// which go.
void FillLogSetMenu(QMenu& menu, QAction* separator, std::vector<QAction*>& items,
                    const std::vector<LogSet>& sets, const std::function<void(int index)>& onClick);

}  // namespace yuzulog
