// Where the main window and its panes stand: the settings' rectangle and state fitted to the
// desktop and applied, read back on saving, and the split between the tree and the view.
#pragma once

#include "mainwindow/settings.h"

class QMainWindow;
class QSplitter;

namespace yuzulog {

// base with the rectangle centred on the window's screen at the window's size and the system's
// window colour: the values a settings file without them gives.
MainSettings PlacementDefaults(const QMainWindow& window, MainSettings base);
// Fits the settings to the desktop (all screens) and applies the rectangle, unless it cannot be
// used at all, and the window state, which the window keeps when its native window is made anew.
void PlaceWindow(QMainWindow& window, MainSettings& settings);
// The window's state and normal rectangle.
void RecordPlacement(const QMainWindow& window, MainSettings& settings);
// The tree at the left (vertical) taking a third of the width, or at the top taking a third of
// the height it had at the left; nothing changes when the split is already so.
void SplitPanes(QSplitter& splitter, bool vertical);
// Whenever the splitter shrinks, the page (its second pane) keeps at least half of it, and a page
// made smaller than that by hand keeps its size: the tree gives way first, so a narrow window
// still shows a readable page.
void KeepPageHalf(QSplitter& splitter);

}  // namespace yuzulog
