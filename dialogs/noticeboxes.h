// Two small modal boxes built in code: a notice that closes itself after a given time, and a
// question with the four answers Yes, No, Yes to all and No to all.
#pragma once

#include <QDialog>
#include <QString>
#include <Qt>
#include <functional>
#include <memory>

namespace yuzulog {

// The application title, the caption of notices and questions.
QString ApplicationTitle();

// A box whose close box and Escape give mrCancel (the question) or mrOk (the notice) instead of
// QDialog's 0.
class TNoticeBox : public QDialog {
  Q_OBJECT
 public:
  TNoticeBox(int closeResult) : QDialog(nullptr), FCloseResult(closeResult) {}
  void reject() override { done(FCloseResult); }
  // Runs when the box is shown: starts the notice's timer, focuses the question's default answer.
  std::function<void()> OnShow;

 protected:
  void showEvent(QShowEvent* event) override {
    QDialog::showEvent(event);
    if (OnShow) OnShow();
  }

 private:
  int FCloseResult;
};

// The notice: Text centred above an "&OK" button; the box closes itself IntervalMs after it was
// shown with the result mrOk. Built and shown separately so tests can look at the layout.
std::unique_ptr<TNoticeBox> MakeTimedNotice(const QString& text, int intervalMs);
void ShowTimedNotice(const QString& text, int intervalMs);

// The four-answer question; defaultResult (mrYes, mrNo, mrYesToAll or mrNoToAll) has the focus
// when the box is shown. Returns the pressed answer, or mrCancel when the box was closed.
std::unique_ptr<TNoticeBox> MakeYesNoAllBox(const QString& text, const QString& caption,
                                            int defaultResult, Qt::Alignment alignment);
int AskYesNoAll(const QString& text, const QString& caption, int defaultResult,
                Qt::Alignment alignment);

}  // namespace yuzulog
