// Two small modal boxes built in code: a notice that closes itself after a given time, and a
// question with the four answers Yes, No, Yes to all and No to all.
#pragma once

#include <QDialog>
#include <QString>
#include <Qt>
#include <functional>
#include <memory>

#include "dialogs/dialogseam.h"
#include "dialogs/qthelpers.h"

namespace yuzulog {

// The application title, the caption of notices and questions.
QString ApplicationTitle();

// The width a box needs for the window system to show its whole caption: the caption in the
// interface font and the title bar's icon and buttons.
int CaptionWidth(const QString& caption);

// How many lines of a message box's text fit on the screen of parent (the primary screen when
// there is none), leaving room for the box's caption, icon and buttons. Each line is counted twice:
// the box wraps a line that is wider than it lets itself grow.
int MessageBoxLinesOnScreen(const QWidget* parent);

// A box whose close box and Escape give Cancel (the question) or Ok (the notice) instead of
// QDialog's 0.
class TNoticeBox : public QDialog {
  Q_OBJECT
 public:
  explicit TNoticeBox(ModalResult closeResult)
      : QDialog(DialogParent(nullptr)), FCloseResult(closeResult) {}
  void reject() override { Close(FCloseResult); }
  void Close(ModalResult result) { done(static_cast<int>(result)); }
  ModalResult Exec() { return static_cast<ModalResult>(exec()); }
  // Runs when the box is shown: starts the notice's timer, focuses the question's default answer.
  std::function<void()> OnShow;

 protected:
  void showEvent(QShowEvent* event) override {
    QDialog::showEvent(event);
    if (OnShow) OnShow();
  }

 private:
  ModalResult FCloseResult;
};

// The notice: Text centred above an "&OK" button; the box closes itself IntervalMs after it was
// shown with the result Ok. Built and shown separately so tests can look at the layout.
std::unique_ptr<TNoticeBox> MakeTimedNotice(const QString& text, int intervalMs);
void ShowTimedNotice(const QString& text, int intervalMs);

// The four-answer question; defaultResult (Yes, No, YesToAll or NoToAll) has the focus when the
// box is shown. Returns the pressed answer, or Cancel when the box was closed.
std::unique_ptr<TNoticeBox> MakeYesNoAllBox(const QString& text, const QString& caption,
                                            ModalResult defaultResult, Qt::Alignment alignment);
ModalResult AskYesNoAll(const QString& text, const QString& caption, ModalResult defaultResult,
                        Qt::Alignment alignment);

// The save command's question about an existing file: "上書き(&O)" gives Ok (replace it),
// "追加書き込み(&A)" Yes (append to it), "戻る(&R)" No (choose another name; it has the focus),
// "キャンセル(&X)" and closing the box Cancel. The box is as wide as its row of buttons, or wider
// for a file name that needs it.
std::unique_ptr<TNoticeBox> MakeOverwriteBox(const QString& fileName);
// Shows it through the dialog seam.
ModalResult AskOverwrite(const QString& fileName);

}  // namespace yuzulog
