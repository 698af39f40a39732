// The go-to dialog: a room from the list of loaded rooms and a message number. It only collects
// and checks the input; the main window fills the rooms, preselects one and makes the jump.
#pragma once

#include <QDialog>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace yuzulog {

class TGotoDialog : public QDialog {
  Q_OBJECT
 public:
  explicit TGotoDialog(QWidget* owner);

  // An entry showing the room number and carrying it.
  void AddRoom(int room);
  void SelectEntry(int index);
  // The room of the selected entry; none while nothing is selected.
  std::optional<int> SelectedRoom() const;
  QString NumberText() const;
  // After a number that was not found: the field is emptied, the room stays.
  void ClearNumber();

  // Closing without OK ends as Cancel.
  void reject() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FormCreate();
  bool InputValid() const;
  void NumberEditChange();

  QLabel* roomLabel = nullptr;
  QComboBox* roomList = nullptr;
  QLabel* numberLabel = nullptr;
  QLineEdit* numberEdit = nullptr;
  QPushButton* okButton = nullptr;
  QPushButton* cancelButton = nullptr;
};

}  // namespace yuzulog
