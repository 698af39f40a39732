// A window that a command of the main window opens, from a feature the main window does not know
// (the export dialog, the statistics window). The program creates it and hands it over.
#pragma once

class QWidget;

namespace yuzulog {

class ToolWindow {
 public:
  virtual ~ToolWindow() = default;
  // Opens the window over owner: a dialog runs modally and returns when it closes, a tool
  // window is shown and brought to the front.
  virtual void Open(QWidget* owner) = 0;
};

}  // namespace yuzulog
