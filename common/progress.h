// The one way long operations report progress and learn of a cancel. The progress dialog, the
// command-line tool's stderr bar and the tests' scripted fake implement it.
#pragma once

#include <string_view>

namespace yuzulog {

// How an operation that can be cancelled ended.
enum class OpStatus { Completed, Cancelled };

class Progress {
 public:
  virtual ~Progress() = default;
  // Interface text (UTF-8) shown as the operation's label and mirrored in the status bar.
  virtual void SetText(std::string_view text) = 0;
  // 0..100; values outside are clamped by the implementation.
  virtual void SetPercent(int percent) = 0;
  // Lets pending window events run (painting, the cancel button).
  virtual void ProcessEvents() = 0;
  // True once the user asked to cancel; stays true for the rest of the operation.
  virtual bool Cancelled() const = 0;
};

// A Progress that shows nothing and is never cancelled.
class NullProgress final : public Progress {
 public:
  void SetText(std::string_view) override {}
  void SetPercent(int) override {}
  void ProcessEvents() override {}
  bool Cancelled() const override { return false; }
};

}  // namespace yuzulog
