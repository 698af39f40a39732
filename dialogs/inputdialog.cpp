#include "dialogs/inputdialog.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialogs/dialogfont.h"
#include "dialogs/dialogseam.h"
#include "dialogs/qthelpers.h"

namespace yuzulog {

TInputDialog::TInputDialog(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  setObjectName(QStringLiteral("InputDialog"));
  setWindowTitle(QStringLiteral("ダイアログ"));
  setFont(DesignDialogFont());
  promptLabel = new QLabel(this);
  promptLabel->setObjectName(QStringLiteral("Label1"));
  inputBox = new QComboBox(this);
  inputBox->setObjectName(QStringLiteral("ComboBox1"));
  inputBox->setFixedWidth(281);
  promptLabel->setBuddy(inputBox);
  QHBoxLayout* buttons = OkCancelRow(this, okButton, cancelButton);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(promptLabel);
  layout->addWidget(inputBox);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancelButton, &QPushButton::clicked, this, &TInputDialog::reject);
}

void TInputDialog::Setup(const QString& caption, const QString& prompt, const QString& text,
                         bool listOnly, const QStringList& items) {
  setWindowTitle(caption);
  promptLabel->setText(prompt);
  inputBox->setEditable(!listOnly);
  inputBox->addItems(items);
  if (listOnly) {
    inputBox->setCurrentIndex(
        inputBox->findText(text, Qt::MatchFixedString | Qt::MatchCaseSensitive));
    return;
  }
  // The completion is the dialog's own; Enter ends the dialog instead of adding an item.
  inputBox->setCompleter(nullptr);
  inputBox->setInsertPolicy(QComboBox::NoInsert);
  inputBox->setEditText(text);
  inputBox->lineEdit()->installEventFilter(this);
  connect(inputBox->lineEdit(), &QLineEdit::textEdited, this,
          [this](const QString& typed) { InputChange(typed); });
}

QString TInputDialog::Text() const {
  return inputBox->currentText();
}

void TInputDialog::reject() {
  done(static_cast<int>(ModalResult::Cancel));
}

// The input field: Backspace and Delete turn the completion off until the next other key.
bool TInputDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == inputBox->lineEdit() && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    FAutoComplete = key != Qt::Key_Backspace && key != Qt::Key_Delete;
  }
  return QDialog::eventFilter(watched, event);
}

// The first item that begins with the typed text, ignoring case, becomes the text; its tail is
// selected, so typing on replaces it.
void TInputDialog::InputChange(const QString& typed) {
  if (!FAutoComplete || typed.isEmpty()) return;
  const int found = inputBox->findText(typed, Qt::MatchStartsWith);
  if (found < 0) return;
  const QString item = inputBox->itemText(found);
  QLineEdit* edit = inputBox->lineEdit();
  edit->setText(item);
  edit->setSelection(typed.size(), item.size() - typed.size());
}

QString ShowInputDialog(const QString& caption, const QString& prompt, const QString& text,
                        bool listOnly, const QStringList& items) {
  TInputDialog dialog;
  dialog.Setup(caption, prompt, text, listOnly, items);
  if (Dialogs().Execute(dialog) != ModalResult::Ok) return text;
  return dialog.Text();
}

}  // namespace yuzulog
