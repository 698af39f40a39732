// The hourglass cursor for the length of a scope: restored on every way out, also by an exception.
#pragma once

#include <QGuiApplication>

namespace yuzulog {

class WaitCursor {
 public:
  WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace yuzulog
