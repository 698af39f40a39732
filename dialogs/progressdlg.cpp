#include "dialogs/progressdlg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <algorithm>
#include <exception>
#include <memory>

#include "dialogs/dialogseam.h"
#include "dialogs/noticeboxes.h"
#include "dialogs/qthelpers.h"

namespace yuzulog {

TProgressForm::TProgressForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  setModal(true);
  Label = new QLabel(this);
  Label->setAlignment(Qt::AlignCenter);
  Label->setWordWrap(true);
  Label->setTextFormat(Qt::PlainText);
  Label->setAttribute(Qt::WA_TranslucentBackground);
  Bar = new QProgressBar(this);
  Bar->setRange(0, 100);
  Bar->setTextVisible(false);
  Button = new QPushButton(QStringLiteral("中止(&C)"), this);
  Button->setAutoDefault(false);
  connect(Button, &QPushButton::clicked, this, [this] { Result = ModalResult::Cancel; });
}

void TProgressForm::closeEvent(QCloseEvent* event) {
  // Only the end of the operation closes the window (done() hides it without a close event).
  event->ignore();
}

void TProgressForm::LayoutFor(TProgressDlgOptions options) {
  const int width = 240;
  int y = 8;
  Label->setVisible(options.testFlag(TProgressDlgOption::Label));
  if (options.testFlag(TProgressDlgOption::Label)) {
    Label->setGeometry(0, 0, width, 80);
    y = Label->height();
  }
  Bar->setVisible(options.testFlag(TProgressDlgOption::ProgressBar));
  if (options.testFlag(TProgressDlgOption::ProgressBar)) {
    Bar->setGeometry(16, y, width - 32, 16);
    y += Bar->height() + 8;
  }
  Button->setVisible(options.testFlag(TProgressDlgOption::CancelBtn));
  if (options.testFlag(TProgressDlgOption::CancelBtn)) {
    Button->setGeometry((width - 75) / 2, y, 75, 25);
    y += Button->height() + 8;
  }
  // Keep the centre where it was when the window grows or shrinks while it is shown.
  const QPoint centre = geometry().center();
  setFixedSize(width, y);
  if (isVisible()) {
    move(centre.x() - width / 2, centre.y() - y / 2);
  } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect a = screen->availableGeometry();
    move(a.left() + (a.width() - width) / 2, a.top() + (a.height() - y) / 2);
  }
}

TProgressDlg::TProgressDlg(QWidget* owner) : QObject(owner), FOwner(owner) {}

// The window exists only while Execute runs, and Execute owns it.
TProgressDlg::~TProgressDlg() = default;

void TProgressDlg::SetCaption(std::string_view caption) {
  FCaption = caption;
  if (FForm) FForm->setWindowTitle(QString::fromUtf8(caption.data(), qsizetype(caption.size())));
}

void TProgressDlg::SetFont(const QFont& font) {
  FFont = font;
  if (FForm) FForm->Label->setFont(FFont);
}

void TProgressDlg::SetText(std::string_view text) {
  const bool changed = FText != text;
  FText = text;
  if (FForm) FForm->Label->setText(QString::fromUtf8(text.data(), qsizetype(text.size())));
  if (changed && OnText) OnText(FText);
}

void TProgressDlg::SetPercent(int percent) {
  FPercent = std::clamp(percent, 0, 100);
  if (FForm) FForm->Bar->setValue(FPercent);
}

void TProgressDlg::SetOptions(TProgressDlgOptions options) {
  FOptions = options & kAllProgressOptions;
  if (FForm) FForm->LayoutFor(FOptions);
}

void TProgressDlg::ProcessEvents() {
  if (FEventsTaken.isValid() && FEventsTaken.elapsed() < FEventsEveryMs) return;
  QCoreApplication::processEvents();
  FEventsTaken.start();
}

bool TProgressDlg::Cancelled() const {
  return !FForm || FForm->Result == ModalResult::Cancel;
}

void TProgressDlg::Refresh() {
  if (FForm) FForm->repaint();
}

void TProgressDlg::Run() {
  if (!FForm) return;
  try {
    if (OnExecute) OnExecute(*this);
  } catch (const std::exception& e) {
    FError = e.what();
    FForm->Result = ModalResult::Abort;
  } catch (...) {
    FError = "unknown error";
    FForm->Result = ModalResult::Abort;
  }
  if (!FForm) return;
  // An operation that threw still closes the window: it has no caption buttons, so nothing
  // else could.
  if (FForm->Result != ModalResult::Cancel && FForm->Result != ModalResult::Abort)
    FForm->Result = ModalResult::Ok;
  FForm->done(static_cast<int>(FForm->Result));
}

ModalResult TProgressDlg::Execute(TProgressDlgEvent operation) {
  OnExecute = std::move(operation);
  return Execute();
}

ModalResult TProgressDlg::Execute() {
  FError.clear();
  const auto form = std::make_unique<TProgressForm>(DialogParent(FOwner));
  FForm = form.get();
  form->LayoutFor(FOptions);
  SetCaption(std::string(FCaption));
  SetText(std::string(FText));
  SetPercent(FPercent);
  SetFont(FFont);
  QMetaObject::invokeMethod(
      form.get(), [this] { Run(); }, Qt::QueuedConnection);
  auto result = static_cast<ModalResult>(form->exec());
  if (FForm) result = FForm->Result;
  FForm = nullptr;
  if (result != ModalResult::Cancel && result != ModalResult::Abort) result = ModalResult::Ok;
  if (result == ModalResult::Abort) {
    Dialogs().MessageBox(FOwner, QString::fromStdString(FError), QStringLiteral("エラー"),
                         MsgButtons::Ok, MsgIcon::Error, ModalResult::Ok);
  }
  return result;
}

ModalResult RunWithProgress(QWidget* parent, ProgressOptions options, std::string_view caption,
                            const TProgressDlg::TProgressDlgEvent& op) {
  TProgressDlg dlg(parent);
  TProgressDlgOptions parts = kAllProgressOptions;
  parts.setFlag(TProgressDlgOption::CancelBtn, options == ProgressOptions::BarAndCancel);
  dlg.SetOptions(parts);
  dlg.SetCaption(caption);
  return dlg.Execute(op);
}

}  // namespace yuzulog
