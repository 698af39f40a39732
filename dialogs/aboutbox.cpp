#include "dialogs/aboutbox.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QUrl>

#include "dialogs/dialogfont.h"
#include "dialogs/dialogseam.h"
#include "dialogs/externalopen.h"
#include "dialogs/noticeboxes.h"

namespace yuzulog {
namespace {

constexpr int kClientWidth = 282;
constexpr int kClientHeight = 248;
constexpr int kCommentsGap = 16;  // between the web-address label and the description
constexpr int kLinkX = 24;
constexpr int kFrameRight = 8 + 265;

const char* const kDescription =
    "　このソフトウェアは、NIFTY-ServeのフォーラムYUZUBANのライブラリに登録されている"
    "電子会議室の過去ログを閲覧・検索するソフトウェアです。\n"
    "　同様の過去ログファイルであればこのソフトウェアで利用できるはずです。";

// The decoration behind the box's content: a pale slice of yuzu, drawn at 48 x 48 and stretched.
QPixmap Decoration() {
  QPixmap pm(48, 48);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  const QPointF centre(24, 24);
  p.setPen(QPen(QColor(232, 184, 64, 60), 2));
  p.setBrush(QColor(255, 236, 150, 45));
  p.drawEllipse(centre, 21, 21);
  p.setPen(QPen(QColor(232, 184, 64, 50), 1));
  for (int i = 0; i < 10; ++i) {
    QLineF spoke = QLineF::fromPolar(18, 36.0 * i);
    spoke.translate(centre);
    p.drawLine(spoke);
  }
  return pm;
}

QLabel* PlacedLabel(QWidget* parent, const char* name, const QString& text, int x, int y) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QString::fromUtf8(name));
  label->move(x, y);
  label->adjustSize();
  return label;
}

// Hover look of a link label: blue and underlined, or black with no style.
void SetLinkLook(QLabel* label, bool hovered) {
  QFont f = label->font();
  f.setUnderline(hovered);
  f.setBold(false);
  f.setItalic(false);
  f.setStrikeOut(false);
  label->setFont(f);
  QPalette p = label->palette();
  p.setColor(QPalette::WindowText, hovered ? QColor(Qt::blue) : QColor(Qt::black));
  label->setPalette(p);
}

}  // namespace

const char* ProgramVersion() {
  return YUZULOG_VERSION;
}

QString InstalledDocFolder() {
  return QDir::cleanPath(QCoreApplication::applicationDirPath() +
                         QString::fromUtf8("/" YUZULOG_DOCS_FROM_BIN));
}

TAboutBox::TAboutBox(QWidget* owner, const QString& docFolder)
    : QDialog(owner), FDocFolder(docFolder) {
  setObjectName(QStringLiteral("AboutBox"));
  setWindowTitle(QStringLiteral("バージョン情報"));
  setFont(DesignDialogFont());
  setFixedSize(kClientWidth, kClientHeight);

  bevel = new QFrame(this);
  bevel->setObjectName(QStringLiteral("Bevel1"));
  bevel->setFrameStyle(QFrame::Panel | QFrame::Raised);
  bevel->setGeometry(8, 8, 265, 201);

  picture = new QLabel(this);
  picture->setObjectName(QStringLiteral("Image1"));
  picture->setGeometry(16, 12, 193, 193);
  picture->setScaledContents(true);
  picture->setPixmap(Decoration());

  ProgramIcon = new QLabel(this);
  ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
  ProgramIcon->setGeometry(16, 12, 57, 49);
  ProgramIcon->setScaledContents(true);

  ProductName = PlacedLabel(this, "ProductName", QString(), 88, 16);
  Version =
      PlacedLabel(this, "Version",
                  QStringLiteral("Version: %1").arg(QString::fromUtf8(ProgramVersion())), 88, 40);
  Copyright = PlacedLabel(this, "Copyright", QStringLiteral("Copyright © 2026 the yuzulog project"),
                          kLinkX, 64);
  Copyright->setToolTip(QStringLiteral("著作権と使用許諾を見る"));
  // A deep installation prefix is shortened in the middle rather than drawn over the frame.
  Homepage = PlacedLabel(this, "Homepage", QString(), kLinkX, 80);
  Homepage->setText(Homepage->fontMetrics().elidedText(
      QStringLiteral("(%1)").arg(QDir::toNativeSeparators(ReadmeFile())), Qt::ElideMiddle,
      kFrameRight - 1 - kLinkX - 4));
  Homepage->adjustSize();
  Homepage->setToolTip(QStringLiteral("説明書（README）を開く"));
  for (QLabel* link : {Copyright, Homepage}) {
    link->setCursor(Qt::PointingHandCursor);
    SetLinkLook(link, false);
  }

  Comments = new QLabel(this);
  Comments->setObjectName(QStringLiteral("Comments"));
  Comments->setWordWrap(true);
  Comments->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Comments->resize(249, 89);

  builtWithLabel = new QLabel(QStringLiteral("Made on Debian with Qt"), this);
  builtWithLabel->setObjectName(QStringLiteral("Label1"));
  builtWithLabel->setAlignment(Qt::AlignCenter);
  builtWithLabel->setGeometry(8, 219, 141, 20);
  // Aqua on a dark ground, so the note stays readable on any style's dialog colour.
  builtWithLabel->setAutoFillBackground(true);
  QPalette note = builtWithLabel->palette();
  note.setColor(QPalette::WindowText, QColor(0, 255, 255));
  note.setColor(QPalette::Window, QColor(0, 64, 96));
  builtWithLabel->setPalette(note);

  OKButton = new QPushButton(QStringLiteral("OK"), this);
  OKButton->setObjectName(QStringLiteral("OKButton"));
  OKButton->setDefault(true);
  OKButton->setGeometry(kClientWidth - 8 - 75, 216, 75, 25);
  connect(OKButton, &QPushButton::clicked, this,
          [this] { done(static_cast<int>(ModalResult::Ok)); });

  FormCreate();
}

void TAboutBox::FormCreate() {
  // Qt paints every widget double-buffered already.
  ProgramIcon->setPixmap(QApplication::windowIcon().pixmap(64, 64));
  ProductName->setText(ApplicationTitle());
  ProductName->adjustSize();
  // The description follows the web-address label at a fixed gap, whatever its height.
  Comments->move(16, Homepage->geometry().bottom() + 1 + kCommentsGap);
  Comments->setText(QString::fromUtf8(kDescription));
  Copyright->installEventFilter(this);
  Homepage->installEventFilter(this);
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event) {
  auto* label = qobject_cast<QLabel*>(watched);
  if (label && (label == Copyright || label == Homepage)) {
    switch (event->type()) {
      case QEvent::Enter:
        SetLinkLook(label, true);
        return true;
      case QEvent::Leave:
        SetLinkLook(label, false);
        return true;
      case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
            label->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint()))
          HomepageClick(label);
        break;
      default:
        break;
    }
  }
  return QDialog::eventFilter(watched, event);
}

QString TAboutBox::LicenceFile() const {
  return FDocFolder + QStringLiteral("/copyright");
}

QString TAboutBox::ReadmeFile() const {
  return FDocFolder + QStringLiteral("/README.md");
}

void TAboutBox::HomepageClick(QObject* sender) {
  if (sender == Copyright)
    OpenDocument(LicenceFile());
  else if (sender == Homepage)
    OpenDocument(ReadmeFile());
}

// A document that is missing (a program run from its build folder) or that no program opens is
// named in a box rather than ignored; the second is told as every link of the program tells it.
void TAboutBox::OpenDocument(const QString& path) {
  if (!QFileInfo(path).isFile()) {
    Dialogs().MessageBox(
        this, QStringLiteral("%1 を開けませんでした。").arg(QDir::toNativeSeparators(path)),
        QStringLiteral("エラー"), MsgButtons::Ok, MsgIcon::Error, ModalResult::Ok);
  } else if (!OpenExternally(QUrl::fromLocalFile(path))) {
    ReportCannotOpen(this, QDir::toNativeSeparators(path));
  }
}

}  // namespace yuzulog
