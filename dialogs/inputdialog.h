// A small modal dialog that asks for one line of text, offering earlier values in a drop-down
// list and completing what is typed from them (naming a log set, picking one to delete).
#pragma once

#include <QDialog>
#include <QStringList>

class QComboBox;
class QLabel;
class QPushButton;

namespace yuzulog {

class TInputDialog : public QDialog {
  Q_OBJECT
 public:
  explicit TInputDialog(QWidget* owner = nullptr);

  // The caller's part: caption, prompt, the initial text, the items (copied), and whether the
  // input is a choice among the items only.
  void Setup(const QString& caption, const QString& prompt, const QString& text, bool listOnly,
             const QStringList& items);
  QString Text() const;
  void reject() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void InputChange(const QString& typed);

  QLabel* promptLabel = nullptr;
  QComboBox* inputBox = nullptr;
  QPushButton* okButton = nullptr;
  QPushButton* cancelButton = nullptr;
  // Off after Backspace or Delete, so that what they removed is not completed back at once.
  bool FAutoComplete = false;
};

// Runs the dialog and returns the input after OK, or text unchanged otherwise.
QString ShowInputDialog(const QString& caption, const QString& prompt, const QString& text,
                        bool listOnly, const QStringList& items);

}  // namespace yuzulog
