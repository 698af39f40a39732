// Reading messages in the window: the deferred drawing, the history and back, go-to, copy, the
// browser view's page files and links, and search hits in the rich-text view.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTextCursor>
#include <QTextEdit>
#include <QTreeView>
#include <cstdlib>
#include <filesystem>

#include "dialogs/externalopen.h"
#include "mainwindow/richtext.h"
#include "mainwindow/ui/mainform.h"
#include "mainwindow/ui/messagetreemodel.h"
#include "mainwindow/ui/tests/formparts.h"
#include "platform/cp932.h"
#include "search/search.h"
#include "tests/support/logbuilder.h"
#include "tests/support/rununtil.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/tempdir.h"
#include "tests/support/testdata.h"

#ifdef YUZULOG_HAVE_WEBENGINE
#include <QWebEngineView>

#include "mainwindow/ui/viewpage.h"
#endif

namespace yuzulog {
namespace {

using testing::DataFile;

namespace fs = std::filesystem;
using testing::Action;
using testing::Child;
using testing::ReadFileBytes;
using testing::RunFor;
using testing::RunUntil;
using testing::ScriptedDialogs;
using testing::ShownBox;
using testing::Sjis;
using testing::TempDir;
using testing::Tree;

constexpr int kRichText = 1;
constexpr int kBrowser = 0;

// Every test's window keeps its page files in a folder of the test: the window takes the
// system's temporary folder, $TMPDIR, when it is created.
class Reading : public ::testing::Test {
 protected:
  TMainForm& Open(int viewMode, std::vector<std::string> files,
                  std::vector<std::string> extra = {}) {
    const char* old = std::getenv("TMPDIR");
    const std::string saved = old ? old : "";
    setenv("TMPDIR", PageFolder.c_str(), 1);
    std::vector<std::string> args = {"yuzulog", "ViewMode:" + std::to_string(viewMode)};
    args.insert(args.end(), extra.begin(), extra.end());
    Form = std::make_unique<TMainForm>(args);
    if (old)
      setenv("TMPDIR", saved.c_str(), 1);
    else
      unsetenv("TMPDIR");
    Form->ShiftHeld = [] { return false; };
    Form->show();
    Drawn = std::make_unique<QSignalSpy>(Form.get(), &TMainForm::ViewDrawn);
    if (!files.empty()) {
      Boxes.Answers = {ModalResult::No};  // an overlap warning: do not open the log list
      Form->LoadFileList(files, false);
      Boxes.Shown.clear();
      Boxes.Answers.clear();
    }
    return *Form;
  }
  // Waits until what was asked for has been drawn and, in the browser view, loaded.
  void Settle() {
    ASSERT_TRUE(RunUntil([this] { return !Form->ViewBusy(); }, 10000));
  }
  const TLogMessage* Message(int number, int file = 0) const {
    for (const TLogMessage& m : Form->Files()[file].Messages())
      if (m.Number == number) return &m;
    return nullptr;
  }
  int PageFiles() const {
    int n = 0;
    for (const auto& e : fs::directory_iterator(PageFolder))
      n += e.path().filename().string().rfind("$qmv", 0) == 0;
    return n;
  }
  QTextEdit* RichText() const { return Child<QTextEdit>(*Form, "FView"); }
#ifdef YUZULOG_HAVE_WEBENGINE
  QWebEngineView* Web() const {
    return Form->findChild<QWebEngineView*>(QStringLiteral("FView"));
  }
  // As the engine asks the page about a click on a link.
  bool Navigate(const QString& url) {
    return static_cast<TViewPage*>(Web()->page())
        ->acceptNavigationRequest(QUrl(url), QWebEnginePage::NavigationTypeLinkClicked, true);
  }
#endif

  ScriptedDialogs Boxes;
  TempDir Temp;
  fs::path PageFolder = Temp.Path();
  std::unique_ptr<TMainForm> Form;
  std::unique_ptr<QSignalSpy> Drawn;
};

const std::string kRoom05a = DataFile("room05a.LOG");
const std::string kRoom05b = DataFile("room05b.LOG");
const std::string kRoom12 = DataFile("room12.lzh");

std::string TextOf(const TLogMessage& m) {
  return std::string(m.HeadStart, m.TextSize());
}

// ---- the deferred drawing -----------------------------------------------------------------

TEST_F(Reading, RequestsWithinTheQuietPauseDrawOnlyTheLast) {
  Open(kRichText, {kRoom12});
  Settle();
  QTreeView* tree = Tree(*Form);
  tree->expandAll();
  tree->setFocus();
  // Ten quick requests.
  Drawn->clear();
  for (int i = 0; i < 10; ++i)
    QTest::keyClick(tree, Qt::Key_Down);
  EXPECT_EQ(Drawn->count(), 0);
  Settle();
  EXPECT_EQ(Drawn->count(), 1);
  const auto showsTheCurrentNode = [this, tree] {
    const TLogMessage* m = Form->CurrentMessage();
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(MessageTreeModel::NodeOf(tree->currentIndex()), Form->Space().Tree().NodeOf(*m));
    EXPECT_EQ(RichText()->toPlainText(), QString::fromStdString(RichTextOf(TextOf(*m))));
  };
  showsTheCurrentNode();
  // An arrow key held down (repeating every 30 ms) draws nothing until it is released. A machine
  // that stalls the test for the whole pause between two presses ends the hold as a release would.
  Drawn->clear();
  QElapsedTimer sincePress;
  qint64 longestGap = 0;
  for (int i = 0; i < 15; ++i) {
    if (i > 0) longestGap = std::max(longestGap, sincePress.elapsed());
    QTest::keyPress(tree, Qt::Key_Down);
    sincePress.start();
    RunFor(30);
  }
  QTest::keyRelease(tree, Qt::Key_Down);
  if (longestGap < 90) {
    EXPECT_EQ(Drawn->count(), 0);
  }
  Settle();
  EXPECT_GE(Drawn->count(), 1);
  if (longestGap < 90) {
    EXPECT_EQ(Drawn->count(), 1);
  }
  showsTheCurrentNode();
}

#ifdef YUZULOG_HAVE_WEBENGINE
TEST_F(Reading, TheTreeFollowsAMessageWithHitsWithoutDrawingItAgain) {
  Open(kBrowser, {kRoom05a});
  Settle();
  const TLogMessage* m = Message(7);
  testing::SearchedFor(Form->Space(), std::string(m->BodyStart, 4));
  Drawn->clear();
  Form->Space().Show(m, ShowOrigin::SearchHit);
  Settle();  // the pause that request restarted included
  // The tree's selection change during the drawing asked again; that request was dropped.
  EXPECT_EQ(Drawn->count(), 1);
  EXPECT_EQ(Form->Space().Shown().Origin, ShowOrigin::Tree);
  EXPECT_EQ(MessageTreeModel::NodeOf(Tree(*Form)->currentIndex()), Form->Space().Tree().NodeOf(*m));
  const std::string page = ReadFileBytes(Web()->url().toLocalFile().toStdString());
  EXPECT_NE(page.find("<span style='font-size:9.0pt"), std::string::npos) << "no hit on the page";
}

TEST_F(Reading, AFailedDrawingIsReportedAndTheNextRequestDraws) {
  PageFolder = Temp.Path() / "not-yet";
  Open(kBrowser, {kRoom05a});  // the empty page could not be written; loading went on
  ASSERT_EQ(Form->Files().Count(), 1);
  Drawn->clear();
  Form->GotoMessage({5, 3});
  Settle();
  ASSERT_EQ(Boxes.Count(ShownBox::Message), 1);
  EXPECT_EQ(Boxes.Shown[0].Icon, MsgIcon::Error);
  EXPECT_TRUE(Boxes.Shown[0].Text.contains(QStringLiteral("No such file or directory")))
      << Boxes.Shown[0].Text.toStdString();
  fs::create_directory(PageFolder);
  Form->GotoMessage({5, 4});
  Settle();
  EXPECT_EQ(Drawn->count(), 2);
  EXPECT_EQ(Boxes.Count(ShownBox::Message), 1);
  EXPECT_EQ(PageFiles(), 1);
}
#endif

// ---- history, go-to and copy ----------------------------------------------------------------

TEST_F(Reading, BackWalksTheLast255MessagesAndStopsAtTheOldest) {
  testing::LogBuilder log;
  for (int n = 1; n <= 300; ++n) {
    testing::MessageSpec m;
    m.Room = 7;
    m.Number = n;
    log.Add(m);
  }
  Open(kRichText, {Temp.Write("ROOM07.LOG", log.Text())});
  for (int n = 1; n <= 300; ++n)
    Form->GotoMessage({7, n});
  QAction* back = Action(*Form, "ActionPrev");
  for (int i = 0; i < 254; ++i)
    back->trigger();
  EXPECT_EQ(Form->CurrentMessage()->Number, 46);
  back->trigger();  // the oldest entry kept
  EXPECT_EQ(Form->CurrentMessage()->Number, 46);
  // The messages walked back over are gone from the history.
  Form->GotoMessage({7, 300});
  back->trigger();
  EXPECT_EQ(Form->CurrentMessage()->Number, 46);
  Settle();
  EXPECT_EQ(Drawn->count(), 1);
}

TEST_F(Reading, TheRichTextViewLeavesTheCopyCommandAsItWas) {
  Open(kRichText, {kRoom12});
  Form->GotoMessage({12, 3});
  Settle();
  ASSERT_NE(Form->CurrentMessage(), nullptr);
  EXPECT_FALSE(Action(*Form, "ActionCopyCurrentMsg")->isEnabled());
}

TEST_F(Reading, GotoTakesTheLaterFileAndAsksAgainForWhatIsNotLoaded) {
  Open(kRichText, {kRoom05a, kRoom05b, kRoom12});
  Form->GotoMessage({12, 3});
  const auto fill = [](int room, const char* number, ModalResult end) {
    return [=](QDialog& d) {
      auto* rooms = Child<QComboBox>(d, "ComboBox1");
      rooms->setCurrentIndex(rooms->findData(room));
      QTest::keyClicks(Child<QLineEdit>(d, "Edit1"), QString::fromUtf8(number));
      return end;
    };
  };
  Boxes.DialogAnswers = {[&](QDialog& d) {
    // The rooms once each; the selected node's room preselected.
    auto* rooms = Child<QComboBox>(d, "ComboBox1");
    EXPECT_EQ(rooms->count(), 2);
    EXPECT_EQ(rooms->currentText(), QStringLiteral("12"));
    return fill(5, "11", ModalResult::Ok)(d);
  }};
  Action(*Form, "ActionGotoMsg")->trigger();
  ASSERT_NE(Form->CurrentMessage(), nullptr);
  EXPECT_EQ(Form->CurrentMessage()->Number, 11);
  EXPECT_EQ(Form->CurrentMessage()->Owner, &Form->Files()[1]);  // room05b, after room05a

  Boxes.Shown.clear();
  Boxes.DialogAnswers = {fill(5, "450", ModalResult::Ok), [](QDialog& d) {
                           EXPECT_EQ(Child<QLineEdit>(d, "Edit1")->text(), QString());
                           EXPECT_EQ(Child<QComboBox>(d, "ComboBox1")->currentText(),
                                     QStringLiteral("5"));
                           return ModalResult::Cancel;
                         }};
  Action(*Form, "ActionGotoMsg")->trigger();
  ASSERT_EQ(Boxes.Shown.size(), 3u);
  EXPECT_EQ(Boxes.Shown[1].Text, QStringLiteral("以下の発言はロードされていません\n mes 5, #450"));
  EXPECT_EQ(Form->CurrentMessage()->Number, 11);
}

#ifdef YUZULOG_HAVE_WEBENGINE
TEST_F(Reading, CopyPutsTheWholeShownMessageOnTheClipboard) {
  Open(kBrowser, {kRoom05a});
  Settle();
  QAction* copy = Action(*Form, "ActionCopyCurrentMsg");
  QClipboard* clipboard = QGuiApplication::clipboard();
  clipboard->setText(QStringLiteral("before"));
  EXPECT_FALSE(copy->isEnabled());  // the room node: no message
  Form->ActionCopyCurrentMsgExecute();
  EXPECT_EQ(clipboard->text(), QStringLiteral("before"));
  Form->GotoMessage({5, 10});
  Settle();
  ASSERT_TRUE(copy->isEnabled());
  copy->trigger();
  const std::string expected = Cp932ToUtf8(TextOf(*Message(10)));
  EXPECT_NE(expected.find("\r\n"), std::string::npos);
  EXPECT_EQ(clipboard->text().toStdString(), expected);
}

// ---- the browser view's page files and links --------------------------------------------------

TEST_F(Reading, AtMostFivePageFilesAndNoneAfterTheWindowCloses) {
  Open(kBrowser, {kRoom05a});
  for (int n = 1; n <= 8; ++n) {
    const int drawn = Drawn->count();
    Form->GotoMessage({5, n});
    ASSERT_TRUE(RunUntil([&] { return Drawn->count() > drawn; }, 5000));
    EXPECT_LE(PageFiles(), 5);
    Settle();
    EXPECT_LE(PageFiles(), 4);
  }
  Form.reset();
  EXPECT_EQ(PageFiles(), 0);
}

// Records what the program hands to the system to open.
class OpenedUrls : public QObject {
  Q_OBJECT
 public:
  explicit OpenedUrls(std::vector<const char*> schemes) : FSchemes(std::move(schemes)) {
    for (const char* s : FSchemes)
      QDesktopServices::setUrlHandler(QString::fromUtf8(s), this, "Open");
  }
  ~OpenedUrls() override {
    for (const char* s : FSchemes)
      QDesktopServices::unsetUrlHandler(QString::fromUtf8(s));
  }
  QStringList Urls;
 public slots:
  void Open(const QUrl& url) { Urls.push_back(url.toString()); }

 private:
  std::vector<const char*> FSchemes;
};

TEST_F(Reading, EachLinkGoesWhereItBelongsAndNoOtherFileOpensInTheView) {
  OpenedUrls opened({"http", "https", "ftp", "mailto", "file", "data"});
  Open(kBrowser, {kRoom05a, kRoom05b});
  Form->GotoMessage({5, 13});
  Settle();
  // The program's own page loads.
  EXPECT_TRUE(Navigate(Web()->url().toString()));
  // A message reference jumps inside the program; one that is not loaded says so.
  EXPECT_FALSE(Navigate(QStringLiteral("nifty:yuzu/mes/5/2")));
  EXPECT_TRUE(RunUntil([this] { return Form->CurrentMessage()->Number == 2; }, 5000));
  EXPECT_FALSE(Navigate(QStringLiteral("nifty:yuzu/mes/5/450")));
  EXPECT_TRUE(RunUntil([this] { return Boxes.Count(ShownBox::Message) == 1; }, 5000));
  // Everything else opens outside the view.
  for (const char* url :
       {"nifty:yuzu/lib/3/45", "mailto:aoyuzu@example.or.jp",
        "http://www.example.ne.jp/~hanako/ageha.html", "ftp://ftp.example.jp/pub"})
    EXPECT_FALSE(Navigate(QString::fromUtf8(url))) << url;
  EXPECT_EQ(opened.Urls,
            (QStringList{
                QStringLiteral("https://interway.yuzuban.example/cgi-bin/go?nifty:yuzu/lib/3/45"),
                QStringLiteral("mailto:aoyuzu@example.or.jp"),
                QStringLiteral("http://www.example.ne.jp/~hanako/ageha.html"),
                QStringLiteral("ftp://ftp.example.jp/pub")}));
  // Another local file is neither shown nor handed on, also when the view is sent there.
  opened.Urls.clear();
  const std::string other = Temp.Write("other.htm", "<html><body>SECRET</body></html>");
  EXPECT_FALSE(Navigate(QUrl::fromLocalFile(QString::fromStdString(other)).toString()));
  Web()->setUrl(QUrl::fromLocalFile(QString::fromStdString(other)));
  Settle();
  QString shown;
  Web()->page()->toPlainText([&shown](const QString& text) { shown = text; });
  ASSERT_TRUE(RunUntil([&shown] { return !shown.isNull(); }, 5000));
  EXPECT_FALSE(shown.contains(QStringLiteral("SECRET")));
  EXPECT_TRUE(shown.startsWith(QStringLiteral("00002/00002"))) << shown.toStdString();
  EXPECT_TRUE(opened.Urls.isEmpty());
}

TEST_F(Reading, ALinkNothingCanOpenIsReportedAndHoveringALinkShowsItsAddress) {
  Open(kBrowser, {kRoom05a});
  SetUrlOpener([](const QUrl&) { return false; });
  EXPECT_FALSE(Navigate(QStringLiteral("mailto:aoyuzu@example.or.jp")));
  const bool reported = RunUntil([this] { return Boxes.Count(ShownBox::Message) == 1; }, 5000);
  SetUrlOpener({});
  ASSERT_TRUE(reported);
  EXPECT_TRUE(Boxes.Shown.back().Text.startsWith(QStringLiteral("mailto:aoyuzu@example.or.jp")));

  emit Web()->page()->linkHovered(QStringLiteral("http://www.example.ne.jp/"));
  EXPECT_EQ(Form->statusBar()->currentMessage(), QStringLiteral("http://www.example.ne.jp/"));
  emit Web()->page()->linkHovered(QString());
  EXPECT_TRUE(Form->statusBar()->currentMessage().isEmpty());
}
#endif

// ---- the rich-text view ---------------------------------------------------------------------

TEST_F(Reading, RichTextHitsCoverTheirCharactersAfterDoubleByteText) {
  Open(kRichText, {kRoom05a});
  const TLogMessage* m = Message(7);  // Japanese text before the web address
  const std::string word = "hanako";
  const std::size_t at = TextOf(*m).find(word);
  ASSERT_NE(at, std::string::npos);
  testing::SearchedFor(Form->Space(), word);
  const auto blueAt = [this](int position) {
    QTextCursor c(RichText()->document());
    c.setPosition(position + 1);  // the format of the character before the cursor
    return c.charFormat().foreground().color() == QColor(0, 0, 255);
  };
  Form->Space().Show(m, ShowOrigin::SearchHit);
  Settle();
  const QString shown = RichText()->toPlainText();
  const int first = static_cast<int>(shown.indexOf(QString::fromStdString(word)));
  ASSERT_GT(first, 0);
  for (int i = 0; i < static_cast<int>(word.size()); ++i)
    EXPECT_TRUE(blueAt(first + i)) << i;
  EXPECT_FALSE(blueAt(first - 1));
  EXPECT_FALSE(blueAt(first + static_cast<int>(word.size())));
  // Asked for by the tree, the same message has no hits.
  Form->Space().Show(m, ShowOrigin::Tree);
  Settle();
  EXPECT_FALSE(blueAt(first));
}

// ---- the tree, the command line ------------------------------------------------------------

TEST_F(Reading, OnlyAClickOnTheSelectedLabelShowsItAgain) {
  Open(kRichText, {kRoom05a});
  Form->GotoMessage({5, 10});  // a reply, indented, with a short label
  const TLogMessage* selected = Form->CurrentMessage();
  QTreeView* tree = Tree(*Form);
  const QRect row = tree->visualRect(tree->currentIndex());
  const int labelWidth =
      tree->fontMetrics().horizontalAdvance(tree->currentIndex().data().toString());
  const auto click = [tree](QPoint at) {
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
  };
  for (QPoint outside : {QPoint(row.left() - 4, row.center().y()),
                         QPoint(row.left() + labelWidth + 20, row.center().y())}) {
    Form->Space().Show(nullptr, ShowOrigin::GoTo);
    click(outside);
    EXPECT_EQ(Form->CurrentMessage(), nullptr) << outside.x();
  }
  ASSERT_GT(row.width(), labelWidth + 20) << "the row must reach past the label";
  click(QPoint(row.left() + labelWidth / 2, row.center().y()));
  EXPECT_EQ(Form->CurrentMessage(), selected);
  EXPECT_EQ(Form->Space().Shown().Origin, ShowOrigin::Tree);
}

TEST_F(Reading, CommandLineFilesOpenUnderFullPathsAndTheMessageKeyShowsOne) {
  Open(kRichText, {}, {DataFile("../data/./room05a.LOG"), "Message:5/3"});
  ASSERT_TRUE(RunUntil([this] { return Form->Files().Count() == 1; }, 5000));
  EXPECT_EQ(Form->Files()[0].FileName, kRoom05a);
  ASSERT_NE(Form->CurrentMessage(), nullptr);
  EXPECT_EQ(Form->CurrentMessage()->Number, 3);
  // Opening it again with the Open command asks the reload question.
  Boxes.Files = {{QString::fromStdString(kRoom05a)}};
  Action(*Form, "ActionOpenArchive")->trigger();
  EXPECT_EQ(Boxes.Count(ShownBox::YesNoAll), 1);
  EXPECT_EQ(Form->Files().Count(), 1);
}

}  // namespace
}  // namespace yuzulog

#include "reading_test.moc"
