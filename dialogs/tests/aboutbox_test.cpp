// The About box: its texts fit, the description follows the web address, the two link labels
// react to the mouse and open the installed documents or say why they could not.
#include "dialogs/aboutbox.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QEnterEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRegularExpression>

#include "dialogs/externalopen.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/tempdir.h"

namespace yuzulog {
namespace {

QLabel* Label(const TAboutBox& box, const char* name) {
  return box.findChild<QLabel*>(QString::fromUtf8(name));
}

void Hover(QLabel* label, bool enter) {
  if (enter) {
    QEnterEvent e(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QApplication::sendEvent(label, &e);
  } else {
    QEvent e(QEvent::Leave);
    QApplication::sendEvent(label, &e);
  }
}

void Click(QLabel* label) {
  const QPointF at(2, 2);
  QMouseEvent press(QEvent::MouseButtonPress, at, label->mapToGlobal(at), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QMouseEvent release(QEvent::MouseButtonRelease, at, label->mapToGlobal(at), Qt::LeftButton,
                      Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(label, &press);
  QApplication::sendEvent(label, &release);
}

bool LooksLikeALink(const QLabel* label) {
  return label->font().underline() &&
         label->palette().color(QPalette::WindowText) == QColor(Qt::blue);
}

TEST(AboutBox, TextsFitInsideTheFrameAndTheDescriptionFollowsTheWebAddress) {
  // A deep installation prefix too: its path is shortened, not drawn over the frame.
  for (const QString& docs :
       {InstalledDocFolder(), QStringLiteral("/opt/%1/share/doc/yuzulog").arg(QString(80, 'x'))}) {
    SCOPED_TRACE(docs.toStdString());
    TAboutBox box(nullptr, docs);
    EXPECT_EQ(box.windowTitle(), QStringLiteral("バージョン情報"));
    EXPECT_EQ(Label(box, "ProductName")->text(), QStringLiteral("YUZUBANの過去ログを見る"));
    EXPECT_TRUE(
        Label(box, "Version")
            ->text()
            .contains(QRegularExpression(QStringLiteral("^Version: [0-9]+\\.[0-9]+\\.[0-9]+$"))));
    const QRect frame = box.findChild<QWidget*>(QStringLiteral("Bevel1"))->geometry();
    for (const char* name : {"ProductName", "Version", "Copyright", "Homepage", "Comments"}) {
      SCOPED_TRACE(name);
      const QLabel* l = Label(box, name);
      EXPECT_TRUE(frame.contains(l->geometry())) << "drawn over the frame's edge";
      if (!l->wordWrap()) {
        EXPECT_GE(l->width(), l->sizeHint().width()) << "text cut off";
      }
    }
    const QLabel* comments = Label(box, "Comments");
    EXPECT_EQ(comments->y(), Label(box, "Homepage")->geometry().bottom() + 1 + 16);
    EXPECT_TRUE(comments->text().startsWith(QStringLiteral("　")));
    EXPECT_GE(comments->height(), comments->heightForWidth(comments->width()))
        << "description cut off";
    for (const char* name : {"Label1", "OKButton"}) {
      SCOPED_TRACE(name);
      const QRect r = box.findChild<QWidget*>(QString::fromUtf8(name))->geometry();
      EXPECT_TRUE(box.rect().contains(r));
      EXPECT_FALSE(r.intersects(frame));
    }
  }
}

TEST(AboutBox, LinkLabelsTurnBlueAndUnderlinedOnlyWhileTheMouseIsOverThem) {
  TAboutBox box;
  for (const char* name : {"Copyright", "Homepage"}) {
    SCOPED_TRACE(name);
    QLabel* link = Label(box, name);
    EXPECT_FALSE(LooksLikeALink(link));
    Hover(link, true);
    EXPECT_TRUE(LooksLikeALink(link));
    Hover(link, false);
    EXPECT_FALSE(LooksLikeALink(link));
    EXPECT_EQ(link->palette().color(QPalette::WindowText), QColor(Qt::black));
  }
  QLabel* version = Label(box, "Version");
  Hover(version, true);
  EXPECT_FALSE(LooksLikeALink(version));
}

TEST(AboutBox, LinkLabelsOpenTheInstalledLicenceAndReadmeOrNameTheMissingOne) {
  testing::ScriptedDialogs boxes;
  testing::TempDir docs;
  docs.Write("README.md", "# yuzulog\n");
  docs.Write("copyright", "Format: x\n");
  TAboutBox box(nullptr, QString::fromStdString(docs.Path().string()));
  std::vector<QUrl> opened;
  bool programFound = true;
  SetUrlOpener([&](const QUrl& url) {
    opened.push_back(url);
    return programFound;
  });
  Click(Label(box, "Copyright"));
  Click(Label(box, "Homepage"));
  Click(Label(box, "ProductName"));
  ASSERT_EQ(opened.size(), 2u);
  EXPECT_EQ(opened[0], QUrl::fromLocalFile(QString::fromStdString(docs.File("copyright"))));
  EXPECT_EQ(opened[1], QUrl::fromLocalFile(QString::fromStdString(docs.File("README.md"))));
  EXPECT_TRUE(Label(box, "Homepage")->text().contains(QStringLiteral("README.md")));
  EXPECT_TRUE(boxes.Shown.empty());

  // No program to open it: the box every link of the program shows, naming the file.
  programFound = false;
  Click(Label(box, "Homepage"));
  // Run from the build folder, nothing is installed: the box names the file, nothing is opened.
  programFound = true;
  TAboutBox uninstalled(nullptr, QString::fromStdString((docs.Path() / "none").string()));
  Click(Label(uninstalled, "Copyright"));
  SetUrlOpener({});
  EXPECT_EQ(opened.size(), 3u);
  ASSERT_EQ(boxes.Shown.size(), 2u);
  EXPECT_TRUE(boxes.Shown[0].Text.contains(QString::fromStdString(docs.File("README.md"))));
  EXPECT_TRUE(boxes.Shown[0].Text.contains(QStringLiteral("プログラムが見つかりませんでした")));
  EXPECT_TRUE(boxes.Shown[1].Text.contains(QStringLiteral("none/copyright")));
}

}  // namespace
}  // namespace yuzulog
