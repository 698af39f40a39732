#include "dialogs/dialogseam.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <cstdio>

#include "dialogs/noticeboxes.h"
#include "dialogs/qthelpers.h"

namespace yuzulog {
namespace {

struct ButtonSpec {
  QMessageBox::StandardButton Button;
  ModalResult Result;
};

class QtDialogSeam final : public DialogSeam {
 public:
  ModalResult MessageBox(QWidget* parent, const QString& text, const QString& caption,
                         MsgButtons buttons, MsgIcon icon, ModalResult defaultResult) override {
    QMessageBox box(DialogParent(parent));
    box.setWindowTitle(caption);
    box.setText(text);
    switch (icon) {
      case MsgIcon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
      case MsgIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
      case MsgIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
      case MsgIcon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
      case MsgIcon::Error:
        box.setIcon(QMessageBox::Critical);
        break;
    }
    std::vector<ButtonSpec> specs;
    switch (buttons) {
      case MsgButtons::Ok:
        specs = {{QMessageBox::Ok, ModalResult::Ok}};
        break;
      case MsgButtons::OkCancel:
        specs = {{QMessageBox::Ok, ModalResult::Ok}, {QMessageBox::Cancel, ModalResult::Cancel}};
        break;
      case MsgButtons::YesNo:
        specs = {{QMessageBox::Yes, ModalResult::Yes}, {QMessageBox::No, ModalResult::No}};
        break;
      case MsgButtons::YesNoCancel:
        specs = {{QMessageBox::Yes, ModalResult::Yes},
                 {QMessageBox::No, ModalResult::No},
                 {QMessageBox::Cancel, ModalResult::Cancel}};
        break;
    }
    for (const ButtonSpec& s : specs) {
      QPushButton* b = box.addButton(s.Button);
      if (s.Result == defaultResult) box.setDefaultButton(b);
    }
    // The box sizes itself to its text and buttons; a row as wide as the caption needs keeps
    // the caption whole.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
      const QMargins m = grid->contentsMargins();
      grid->addItem(new QSpacerItem(CaptionWidth(caption) - m.left() - m.right(), 0,
                                    QSizePolicy::Minimum, QSizePolicy::Fixed),
                    grid->rowCount(), 0, 1, grid->columnCount());
    }
    const auto pressed = static_cast<QMessageBox::StandardButton>(box.exec());
    for (const ButtonSpec& s : specs)
      if (s.Button == pressed) return s.Result;
    // Closed without a button: a box with a Cancel or No answer gives that, else its only answer.
    if (buttons == MsgButtons::Ok) return ModalResult::Ok;
    if (buttons == MsgButtons::YesNo) return ModalResult::No;
    return ModalResult::Cancel;
  }

  QStringList GetOpenFileNames(QWidget* parent, const QString& caption, const QString& folder,
                               const QString& filter) override {
    return QFileDialog::getOpenFileNames(DialogParent(parent), caption, folder, filter);
  }

  QString GetSaveFileName(QWidget* parent, const QString& caption, const QString& filter,
                          const QString& defaultSuffix) override {
    QFileDialog dialog(DialogParent(parent), caption, {}, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    // The caller asks its own question about an existing file.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
  }

  void ShowTimedNotice(const QString& text, int intervalMs) override {
    yuzulog::ShowTimedNotice(text, intervalMs);
  }

  ModalResult AskYesNoAll(const QString& text, const QString& caption, ModalResult defaultResult,
                          Qt::Alignment alignment) override {
    return yuzulog::AskYesNoAll(text, caption, defaultResult, alignment);
  }

  ModalResult Execute(QDialog& dialog) override {
    if (QWidget* parent = DialogParent(dialog.parentWidget()); parent != dialog.parentWidget())
      dialog.setParent(parent, dialog.windowFlags());
    return static_cast<ModalResult>(dialog.exec());
  }
};

class UnattendedSeam final : public DialogSeam {
 public:
  ModalResult MessageBox(QWidget*, const QString& text, const QString& caption, MsgButtons buttons,
                         MsgIcon, ModalResult) override {
    Log(caption, text);
    switch (buttons) {
      case MsgButtons::Ok:
        return ModalResult::Ok;
      case MsgButtons::YesNo:
        return ModalResult::No;
      case MsgButtons::OkCancel:
      case MsgButtons::YesNoCancel:
        return ModalResult::Cancel;
    }
    return ModalResult::Cancel;
  }
  QStringList GetOpenFileNames(QWidget*, const QString&, const QString&, const QString&) override {
    return {};
  }
  QString GetSaveFileName(QWidget*, const QString&, const QString&, const QString&) override {
    return {};
  }
  void ShowTimedNotice(const QString& text, int) override { Log(ApplicationTitle(), text); }
  ModalResult AskYesNoAll(const QString& text, const QString& caption, ModalResult defaultResult,
                          Qt::Alignment) override {
    Log(caption, text);
    return defaultResult;
  }
  ModalResult Execute(QDialog& dialog) override {
    Log(dialog.windowTitle(), QStringLiteral("(cancelled)"));
    return ModalResult::Cancel;
  }

 private:
  static void Log(const QString& caption, const QString& text) {
    std::fprintf(stderr, "[%s] %s\n", qPrintable(caption),
                 qPrintable(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral(" "))));
  }
};

QtDialogSeam gQtSeam;
UnattendedSeam gUnattendedSeam;
DialogSeam* gSeam = nullptr;

}  // namespace

DialogSeam& Dialogs() {
  return gSeam ? *gSeam : gQtSeam;
}
void SetDialogSeam(DialogSeam* seam) {
  gSeam = seam;
}
DialogSeam& UnattendedDialogs() {
  return gUnattendedSeam;
}

QString LogFileFilter() {
  // The dialog matches names with the file system's case: the archives' and logs' names come in
  // both.
  return QStringLiteral(
      "ログファイル (*.lzh *.log *.LZH *.LOG);;Lha Files (*.lzh *.LZH);;Log Files (*.log *.LOG);;"
      "All Files (*)");
}

}  // namespace yuzulog
