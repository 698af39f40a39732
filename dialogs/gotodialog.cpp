#include "dialogs/gotodialog.h"

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialogs/dialogfont.h"
#include "dialogs/dialogseam.h"
#include "dialogs/qthelpers.h"
#include "mainwindow/navigation.h"

namespace yuzulog {

TGotoDialog::TGotoDialog(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("GotoDialog"));
  setWindowTitle(QStringLiteral("Goto ダイアログ"));
  setFont(DesignDialogFont());

  auto* bevel = new QFrame(this);
  bevel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  auto* rows = new QGridLayout(bevel);
  roomLabel = new QLabel(QStringLiteral("会議室Ｎｏ．"), bevel);
  roomList = new QComboBox(bevel);
  roomList->setObjectName(QStringLiteral("ComboBox1"));
  numberLabel = new QLabel(QStringLiteral("発言Ｎｏ．"), bevel);
  numberEdit = new QLineEdit(bevel);
  numberEdit->setObjectName(QStringLiteral("Edit1"));
  roomLabel->setBuddy(roomList);
  numberLabel->setBuddy(numberEdit);
  rows->addWidget(roomLabel, 0, 0);
  rows->addWidget(roomList, 0, 1);
  rows->addWidget(numberLabel, 1, 0);
  rows->addWidget(numberEdit, 1, 1);
  rows->setColumnStretch(1, 1);

  QHBoxLayout* buttons = OkCancelRow(this, okButton, cancelButton);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(bevel);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  setMinimumWidth(313);

  // The number first: it has the focus when the dialog opens.
  setTabOrder(numberEdit, roomList);
  setTabOrder(roomList, okButton);
  setTabOrder(okButton, cancelButton);
  numberEdit->setFocus();
  numberEdit->installEventFilter(this);
  connect(numberEdit, &QLineEdit::textChanged, this, [this] { NumberEditChange(); });
  connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancelButton, &QPushButton::clicked, this, &TGotoDialog::reject);
  FormCreate();
}

void TGotoDialog::FormCreate() {
  roomList->clear();
  numberEdit->clear();
  okButton->setEnabled(false);
}

void TGotoDialog::AddRoom(int room) {
  roomList->addItem(QString::number(room), room);
}

void TGotoDialog::SelectEntry(int index) {
  roomList->setCurrentIndex(index);
}

std::optional<int> TGotoDialog::SelectedRoom() const {
  if (roomList->currentIndex() < 0) return std::nullopt;
  return roomList->currentData().toInt();
}

QString TGotoDialog::NumberText() const {
  return numberEdit->text();
}

void TGotoDialog::ClearNumber() {
  numberEdit->clear();
}

void TGotoDialog::reject() {
  done(static_cast<int>(ModalResult::Cancel));
}

bool TGotoDialog::InputValid() const {
  return GotoInputValid(numberEdit->text().toStdString(), roomList->currentIndex() >= 0);
}

// Only the number field re-evaluates the OK button; a change of room does not, and once the
// caller has filled the list a room is always selected.
void TGotoDialog::NumberEditChange() {
  okButton->setEnabled(InputValid());
}

// The number field: Enter closes as OK when the input is valid; typed characters other than digits
// are dropped. Pasted text is not filtered: it leaves OK disabled unless it is a number.
bool TGotoDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == numberEdit && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      if (InputValid()) accept();
      return true;
    }
    // A key with Ctrl, Alt or Meta is a command (paste, select all), not typing.
    const bool command =
        key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    const QString typed = key->text();
    if (!command && !typed.isEmpty() && !GotoKeyPasses(typed.at(0).unicode())) return true;
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace yuzulog
