// A DialogSeam for tests: records every box and answers from a script.
#pragma once

#include <deque>
#include <functional>
#include <vector>

#include "dialogs/dialogseam.h"

namespace yuzulog::testing {

struct ShownBox {
  enum Kind { Message, OpenFiles, Notice, YesNoAll } Type;
  QString Text;
  QString Caption;
  int DefaultResult = 0;
  MsgButtons Buttons = MsgButtons::Ok;
  MsgIcon Icon = MsgIcon::None;
};

class ScriptedDialogs final : public DialogSeam {
 public:
  ScriptedDialogs() { SetDialogSeam(this); }
  ~ScriptedDialogs() override { SetDialogSeam(nullptr); }

  // Answers in order; an unscripted box gives its default answer (message boxes, questions) or
  // an empty selection (file dialogs).
  std::deque<int> Answers;
  std::deque<QStringList> Files;
  std::vector<ShownBox> Shown;
  // Runs while a box is "shown" (e.g. to check what the window looks like at that moment).
  std::function<void(const ShownBox&)> OnShow;

  int MessageBox(QWidget*, const QString& text, const QString& caption, MsgButtons buttons,
                 MsgIcon icon, int defaultResult) override {
    Record({ShownBox::Message, text, caption, defaultResult, buttons, icon});
    return Next(defaultResult);
  }
  QStringList GetOpenFileNames(QWidget*, const QString& caption, const QString&,
                               const QString&) override {
    Record({ShownBox::OpenFiles, {}, caption, 0, MsgButtons::Ok, MsgIcon::None});
    if (Files.empty()) return {};
    QStringList f = Files.front();
    Files.pop_front();
    return f;
  }
  void ShowTimedNotice(const QString& text, int) override {
    Record({ShownBox::Notice, text, {}, mrOk, MsgButtons::Ok, MsgIcon::None});
  }
  int AskYesNoAll(const QString& text, const QString& caption, int defaultResult,
                  Qt::Alignment) override {
    Record({ShownBox::YesNoAll, text, caption, defaultResult, MsgButtons::Ok, MsgIcon::None});
    return Next(defaultResult);
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
  int Next(int fallback) {
    if (Answers.empty()) return fallback;
    const int a = Answers.front();
    Answers.pop_front();
    return a;
  }
};

}  // namespace yuzulog::testing
