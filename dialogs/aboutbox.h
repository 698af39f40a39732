// The About box ("バージョン情報"): the program's icon, title, version and description, with two
// labels that open a mail to the authors and their web page.
#pragma once

#include <QDialog>
#include <QUrl>
#include <functional>

class QFrame;
class QLabel;
class QPushButton;

namespace yuzulog {

class TAboutBox : public QDialog {
  Q_OBJECT
 public:
  explicit TAboutBox(QWidget* owner = nullptr);

  // Hands an address to the desktop ("open" a mail or a web page); tests replace it.
  std::function<void(const QUrl&)> OpenUrl;

  static const QUrl kMailUrl;
  static const QUrl kHomepageUrl;

 protected:
  // The two link labels: hover and click.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FormCreate();
  void HomepageClick(QObject* sender);

  QFrame* Bevel1 = nullptr;
  QLabel* Image1 = nullptr;
  QLabel* ProgramIcon = nullptr;
  QLabel* ProductName = nullptr;
  QLabel* Version = nullptr;
  QLabel* Copyright = nullptr;
  QLabel* Homepage = nullptr;
  QLabel* Comments = nullptr;
  QLabel* Label1 = nullptr;
  QPushButton* OKButton = nullptr;
};

}  // namespace yuzulog
