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
  Label1 = new QLabel(QStringLiteral("会議室Ｎｏ．"), bevel);
  ComboBox1 = new QComboBox(bevel);
  ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
  Label2 = new QLabel(QStringLiteral("発言Ｎｏ．"), bevel);
  Edit1 = new QLineEdit(bevel);
  Edit1->setObjectName(QStringLiteral("Edit1"));
  Label1->setBuddy(ComboBox1);
  Label2->setBuddy(Edit1);
  rows->addWidget(Label1, 0, 0);
  rows->addWidget(ComboBox1, 0, 1);
  rows->addWidget(Label2, 1, 0);
  rows->addWidget(Edit1, 1, 1);
  rows->setColumnStretch(1, 1);

  QHBoxLayout* buttons = OkCancelRow(this, OKBtn, CancelBtn);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(bevel);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  setMinimumWidth(313);

  // The number first: it has the focus when the dialog opens.
  setTabOrder(Edit1, ComboBox1);
  setTabOrder(ComboBox1, OKBtn);
  setTabOrder(OKBtn, CancelBtn);
  Edit1->setFocus();
  Edit1->installEventFilter(this);
  connect(Edit1, &QLineEdit::textChanged, this, [this] { Edit1Change(); });
  connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
  connect(CancelBtn, &QPushButton::clicked, this, &TGotoDialog::reject);
  FormCreate();
}

void TGotoDialog::FormCreate() {
  ComboBox1->clear();
  Edit1->clear();
  OKBtn->setEnabled(false);
}

void TGotoDialog::AddRoom(int room) {
  ComboBox1->addItem(QString::number(room), room);
}

void TGotoDialog::SelectEntry(int index) {
  ComboBox1->setCurrentIndex(index);
}

std::optional<int> TGotoDialog::SelectedRoom() const {
  if (ComboBox1->currentIndex() < 0) return std::nullopt;
  return ComboBox1->currentData().toInt();
}

QString TGotoDialog::NumberText() const {
  return Edit1->text();
}

void TGotoDialog::ClearNumber() {
  Edit1->clear();
}

void TGotoDialog::reject() {
  done(static_cast<int>(ModalResult::Cancel));
}

bool TGotoDialog::InputValid() const {
  return GotoInputValid(Edit1->text().toStdString(), ComboBox1->currentIndex() >= 0);
}

// Only the number field re-evaluates the OK button; a change of room does not, and once the
// caller has filled the list a room is always selected.
void TGotoDialog::Edit1Change() {
  OKBtn->setEnabled(InputValid());
}

// Edit1KeyPress: Enter closes as OK when the input is valid; typed characters other than digits
// are dropped. Pasted text is not filtered: it leaves OK disabled unless it is a number.
bool TGotoDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Edit1 && event->type() == QEvent::KeyPress) {
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
