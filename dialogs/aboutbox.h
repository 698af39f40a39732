// The About box ("バージョン情報"): the program's icon, title, version and description, with two
// labels that open the installed licence and README (the project has no mail address or web page
// of its own).
#pragma once

#include <QDialog>
#include <QString>

class QFrame;
class QLabel;
class QPushButton;

namespace yuzulog {

// The version of this build ("1.0.0").
const char* ProgramVersion();

// The folder where the documents are installed (README.md, copyright), found from the running
// program's folder, so that it holds under any installation prefix.
QString InstalledDocFolder();

class TAboutBox : public QDialog {
  Q_OBJECT
 public:
  explicit TAboutBox(QWidget* owner = nullptr, const QString& docFolder = InstalledDocFolder());

  // The documents behind the credit and the web-page label.
  QString LicenceFile() const;
  QString ReadmeFile() const;

 protected:
  // The two link labels: hover and click.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FormCreate();
  void HomepageClick(QObject* sender);
  void OpenDocument(const QString& path);

  QString FDocFolder;

  QFrame* bevel = nullptr;
  QLabel* picture = nullptr;
  QLabel* ProgramIcon = nullptr;
  QLabel* ProductName = nullptr;
  QLabel* Version = nullptr;
  QLabel* Copyright = nullptr;
  QLabel* Homepage = nullptr;
  QLabel* Comments = nullptr;
  QLabel* builtWithLabel = nullptr;
  QPushButton* OKButton = nullptr;
};

}  // namespace yuzulog
