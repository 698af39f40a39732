// The modal progress window in which every long operation runs. TProgressDlg holds the settings;
// Execute builds the window, shows it modally and starts the operation from a queued call inside
// the modal run, so the operation runs on the user-interface thread while the rest of the program
// is blocked by the window and stays painted as long as the operation lets events through.
#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QFlags>
#include <QFont>
#include <QObject>
#include <QPointer>
#include <functional>
#include <string>

#include "common/progress.h"
#include "dialogs/dialogseam.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace yuzulog {

// The parts of the window, which it stacks from the top in this order.
enum class TProgressDlgOption { Label = 1, ProgressBar = 2, CancelBtn = 4 };
Q_DECLARE_FLAGS(TProgressDlgOptions, TProgressDlgOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TProgressDlgOptions)
inline constexpr TProgressDlgOptions kAllProgressOptions =
    TProgressDlgOption::Label | TProgressDlgOption::ProgressBar | TProgressDlgOption::CancelBtn;

class TProgressDlg;

// The window: no caption buttons, so it closes only through its own button or when the operation
// ends; Escape and the window manager's close request are ignored.
class TProgressForm : public QDialog {
  Q_OBJECT
 public:
  explicit TProgressForm(QWidget* parent);
  void LayoutFor(TProgressDlgOptions options);
  void reject() override {}

  QLabel* Label;
  QProgressBar* Bar;
  QPushButton* Button;
  // The result recorded by the cancel button; the window closes only when the operation has
  // returned.
  ModalResult Result = ModalResult::None;

 protected:
  void closeEvent(QCloseEvent* event) override;
};

class TProgressDlg : public QObject, public Progress {
  Q_OBJECT
 public:
  // The operation; what it works on is captured by the callable.
  using TProgressDlgEvent = std::function<void(TProgressDlg& sender)>;

  explicit TProgressDlg(QWidget* owner = nullptr);
  ~TProgressDlg() override;

  const std::string& Caption() const { return FCaption; }
  void SetCaption(std::string_view caption);
  const QFont& Font() const { return FFont; }
  void SetFont(const QFont& font);
  const std::string& Text() const { return FText; }
  int Percent() const { return FPercent; }
  TProgressDlgOptions Options() const { return FOptions; }
  void SetOptions(TProgressDlgOptions options);
  TProgressDlgEvent OnExecute;
  // Called with each text that differs from the one before (UTF-8): the main window mirrors the
  // texts in its status bar.
  std::function<void(const std::string&)> OnText;

  // Runs OnExecute inside the modal window. Returns Ok when it finished, Cancel when the cancel
  // button was pressed, Abort when the operation threw (the error is then shown in a message box
  // after the window has closed).
  ModalResult Execute();
  // The same with operation as OnExecute.
  ModalResult Execute(TProgressDlgEvent operation);
  // Repaints the window now, for a text that must show before a long step without event polls.
  void Refresh();
  // Shows or hides the cancel button while the operation runs.
  void ShowCancelButton(bool shown) {
    SetOptions(TProgressDlgOptions(FOptions).setFlag(TProgressDlgOption::CancelBtn, shown));
  }
  // The window while Execute runs (for tests and for owners of other modal boxes).
  TProgressForm* Form() const { return FForm; }

  // Progress
  void SetText(std::string_view text) override;
  void SetPercent(int percent) override;
  // Takes the events waiting (a paint of what has changed, a press of the cancel button), at
  // most once every 15 ms (SetEventsEveryMs): a caller may ask once a step, and drawing the window
  // and the main window's status bar costs more than a short step (a load asks once a file).
  void ProcessEvents() override;
  void SetEventsEveryMs(int ms) { FEventsEveryMs = ms; }
  // True when there is no window or its cancel button was pressed.
  bool Cancelled() const override;

 private:
  void Run();

  QWidget* FOwner;
  QPointer<TProgressForm> FForm;
  TProgressDlgOptions FOptions = kAllProgressOptions;
  QFont FFont;
  std::string FCaption;
  std::string FText;
  int FPercent = 0;
  std::string FError;
  int FEventsEveryMs = 15;
  QElapsedTimer FEventsTaken;
};

// What the progress window shows besides the operation's text: its bar always, a cancel button
// for an operation that can stop between steps.
enum class ProgressOptions { Bar, BarAndCancel };

// The one way to run an operation with progress: op runs inside the modal progress window over
// parent, captioned caption. Returns Ok when it finished, Cancel when the cancel button was
// pressed, Abort when the operation threw (the error has then been shown in a box).
ModalResult RunWithProgress(QWidget* parent, ProgressOptions options, std::string_view caption,
                            const TProgressDlg::TProgressDlgEvent& op);

}  // namespace yuzulog
