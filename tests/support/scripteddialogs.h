// A DialogSeam for tests: records every box and answers from a script.
#pragma once

#include <QDialog>
#include <deque>
#include <functional>
#include <ostream>
#include <vector>

#include "dialogs/dialogseam.h"

namespace yuzulog {

// A result in a test's failure message reads as its number, not as raw bytes.
inline void PrintTo(ModalResult result, std::ostream* os) {
  *os << "ModalResult(" << static_cast<int>(result) << ")";
}

}  // namespace yuzulog

namespace yuzulog::testing {

struct ShownBox {
  enum Kind { Message, OpenFiles, Notice, YesNoAll, Dialog, SaveFile } Type;
  QString Text;
  QString Caption;
  ModalResult DefaultResult = ModalResult::None;
  MsgButtons Buttons = MsgButtons::Ok;
  MsgIcon Icon = MsgIcon::None;
};

class ScriptedDialogs final : public DialogSeam {
 public:
  ScriptedDialogs() { SetDialogSeam(this); }
  ~ScriptedDialogs() override { SetDialogSeam(nullptr); }

  // Answers in order; an unscripted box gives its default answer (message boxes, questions) or
  // an empty selection (file dialogs).
  std::deque<ModalResult> Answers;
  std::deque<QStringList> Files;
  // Answers to the save dialog, in order; an unscripted one is cancelled.
  std::deque<QString> SaveFiles;
  // Answers to the program's own dialogs, in order: each fills in the dialog as a person would
  // and says how it ends. An unscripted dialog is cancelled.
  std::deque<std::function<ModalResult(QDialog&)>> DialogAnswers;
  std::vector<ShownBox> Shown;
  // Runs while a box is "shown" (e.g. to check what the window looks like at that moment).
  std::function<void(const ShownBox&)> OnShow;

  ModalResult MessageBox(QWidget*, const QString& text, const QString& caption, MsgButtons buttons,
                         MsgIcon icon, ModalResult defaultResult) override {
    Record({ShownBox::Message, text, caption, defaultResult, buttons, icon});
    return Next(defaultResult);
  }
  // The file dialog's starting folder is recorded as its text.
  QStringList GetOpenFileNames(QWidget*, const QString& caption, const QString& folder,
                               const QString&) override {
    Record(
        {ShownBox::OpenFiles, folder, caption, ModalResult::None, MsgButtons::Ok, MsgIcon::None});
    if (Files.empty()) return {};
    QStringList f = Files.front();
    Files.pop_front();
    return f;
  }
  QString GetSaveFileName(QWidget*, const QString& caption, const QString&,
                          const QString&) override {
    Record({ShownBox::SaveFile, {}, caption, ModalResult::None, MsgButtons::Ok, MsgIcon::None});
    if (SaveFiles.empty()) return {};
    QString f = SaveFiles.front();
    SaveFiles.pop_front();
    return f;
  }
  void ShowTimedNotice(const QString& text, int) override {
    Record({ShownBox::Notice, text, {}, ModalResult::Ok, MsgButtons::Ok, MsgIcon::None});
  }
  ModalResult AskYesNoAll(const QString& text, const QString& caption, ModalResult defaultResult,
                          Qt::Alignment) override {
    Record({ShownBox::YesNoAll, text, caption, defaultResult, MsgButtons::Ok, MsgIcon::None});
    return Next(defaultResult);
  }

  ModalResult Execute(QDialog& dialog) override {
    Record({ShownBox::Dialog,
            {},
            dialog.windowTitle(),
            ModalResult::Cancel,
            MsgButtons::Ok,
            MsgIcon::None});
    if (DialogAnswers.empty()) return ModalResult::Cancel;
    const auto answer = std::move(DialogAnswers.front());
    DialogAnswers.pop_front();
    return answer(dialog);
  }

  int Count(ShownBox::Kind kind) const {
    int n = 0;
    for (const ShownBox& b : Shown)
      n += b.Type == kind;
    return n;
  }

 private:
  void Record(const ShownBox& box) {
    Shown.push_back(box);
    if (OnShow) OnShow(box);
  }
  ModalResult Next(ModalResult fallback) {
    if (Answers.empty()) return fallback;
    const ModalResult a = Answers.front();
    Answers.pop_front();
    return a;
  }
};

}  // namespace yuzulog::testing
