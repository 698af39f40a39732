// The load loop's questions as the windows ask them (with boxes over the progress window), and
// the files a drop hands to a window.
#pragma once

#include <string>
#include <vector>

#include "logdata/logfiles.h"

class QMimeData;
class QWidget;

namespace yuzulog {

class BoxLoadQuestions final : public LoadCallbacks {
 public:
  // window: the parent of the boxes when no progress window runs.
  explicit BoxLoadQuestions(QWidget& window) : FWindow(window) {}
  ReloadAnswer AskReload(const std::string& caption, const std::string& message,
                         ReloadAnswer defaultAnswer) override;
  bool AskStopAfterFailure(const std::string& path, const LoadResult& failure) override;
  void NoticeCancelled(const std::string& message) override;

 private:
  QWidget& FWindow;
};

// The local files among dropped items, as paths; folders and remote addresses are left out.
std::vector<std::string> DroppedFiles(const QMimeData& data);

}  // namespace yuzulog
