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
  Label1 = new QLabel(this);
  Label1->setObjectName(QStringLiteral("Label1"));
  ComboBox1 = new QComboBox(this);
  ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
  ComboBox1->setFixedWidth(281);
  Label1->setBuddy(ComboBox1);
  QHBoxLayout* buttons = OkCancelRow(this, OKBtn, CancelBtn);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Label1);
  layout->addWidget(ComboBox1);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
  connect(CancelBtn, &QPushButton::clicked, this, &TInputDialog::reject);
}

void TInputDialog::Setup(const QString& caption, const QString& prompt, const QString& text,
                         bool listOnly, const QStringList& items) {
  setWindowTitle(caption);
  Label1->setText(prompt);
  ComboBox1->setEditable(!listOnly);
  ComboBox1->addItems(items);
  if (listOnly) {
    ComboBox1->setCurrentIndex(
        ComboBox1->findText(text, Qt::MatchFixedString | Qt::MatchCaseSensitive));
    return;
  }
  // The completion is the dialog's own; Enter ends the dialog instead of adding an item.
  ComboBox1->setCompleter(nullptr);
  ComboBox1->setInsertPolicy(QComboBox::NoInsert);
  ComboBox1->setEditText(text);
  ComboBox1->lineEdit()->installEventFilter(this);
  connect(ComboBox1->lineEdit(), &QLineEdit::textEdited, this,
          [this](const QString& typed) { ComboBox1Change(typed); });
}

QString TInputDialog::Text() const {
  return ComboBox1->currentText();
}

void TInputDialog::reject() {
  done(static_cast<int>(ModalResult::Cancel));
}

// ComboBox1KeyDown: Backspace and Delete turn the completion off until the next other key.
bool TInputDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == ComboBox1->lineEdit() && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    FAutoComplete = key != Qt::Key_Backspace && key != Qt::Key_Delete;
  }
  return QDialog::eventFilter(watched, event);
}

// The first item that begins with the typed text, ignoring case, becomes the text; its tail is
// selected, so typing on replaces it.
void TInputDialog::ComboBox1Change(const QString& typed) {
  if (!FAutoComplete || typed.isEmpty()) return;
  const int found = ComboBox1->findText(typed, Qt::MatchStartsWith);
  if (found < 0) return;
  const QString item = ComboBox1->itemText(found);
  QLineEdit* edit = ComboBox1->lineEdit();
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
