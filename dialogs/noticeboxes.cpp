#include "dialogs/noticeboxes.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <algorithm>

#include "dialogs/dialogseam.h"

namespace yuzulog {
namespace {

// Buttons are 25 pixels high and sit 33 pixels above the bottom of the client area.
constexpr int kButtonHeight = 25;
constexpr int kButtonBottomGap = 33;

QLabel* AddLabel(QDialog* box, const QString& text) {
  auto* label = new QLabel(text, box);
  label->setTextFormat(Qt::PlainText);
  label->setAttribute(Qt::WA_TranslucentBackground);
  label->adjustSize();
  label->move(8, 8);
  return label;
}

void SetClientSize(QDialog* box, int width, int height) {
  box->setFixedSize(width, height);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect a = screen->availableGeometry();
    box->move(a.left() + (a.width() - width) / 2, a.top() + (a.height() - height) / 2);
  }
}

QPushButton* AddButton(TNoticeBox* box, const QString& caption, ModalResult result, int left,
                       int width) {
  auto* b = new QPushButton(caption, box);
  b->setAutoDefault(false);
  b->setGeometry(left, box->height() - kButtonBottomGap, width, kButtonHeight);
  QObject::connect(b, &QPushButton::clicked, box, [box, result] { box->Close(result); });
  return b;
}

}  // namespace

QString ApplicationTitle() {
  return QStringLiteral("YUZUBANの過去ログを見る");
}

int CaptionWidth(const QString& caption) {
  // The icon and three buttons of a title bar, and its margins, on the usual window managers.
  constexpr int kTitleBarExtras = 128;
  return QFontMetrics(QApplication::font()).horizontalAdvance(caption) + kTitleBarExtras;
}

int MessageBoxLinesOnScreen(const QWidget* parent) {
  // The caption, the buttons and the margins take about as much as this many lines.
  constexpr int kFrameLines = 8;
  const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
  const int height = screen ? screen->availableGeometry().height() : 480;
  const int line = QFontMetrics(QApplication::font("QMessageBox")).lineSpacing();
  return std::max(2, (height / std::max(line, 1) - kFrameLines) / 2);
}

std::unique_ptr<TNoticeBox> MakeTimedNotice(const QString& text, int intervalMs) {
  auto box = std::make_unique<TNoticeBox>(ModalResult::Ok);
  box->setWindowTitle(ApplicationTitle());
  QLabel* label = AddLabel(box.get(), text);
  const int width = std::max({label->width() + 16, 120, CaptionWidth(box->windowTitle())});
  SetClientSize(box.get(), width, label->height() + 49);
  label->move((width - label->width()) / 2, 8);
  label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  QPushButton* ok =
      AddButton(box.get(), QStringLiteral("&OK"), ModalResult::Ok, (width - 75) / 2, 75);
  ok->setDefault(true);
  ok->setFocus();
  // The time counts from the moment the box is shown, not from when it was built.
  auto* timer = new QTimer(box.get());
  timer->setSingleShot(true);
  timer->setInterval(std::max(intervalMs, 0));
  QObject::connect(timer, &QTimer::timeout, box.get(),
                   [b = box.get()] { b->Close(ModalResult::Ok); });
  box->OnShow = [timer] { timer->start(); };
  return box;
}

void ShowTimedNotice(const QString& text, int intervalMs) {
  MakeTimedNotice(text, intervalMs)->Exec();
}

std::unique_ptr<TNoticeBox> MakeYesNoAllBox(const QString& text, const QString& caption,
                                            ModalResult defaultResult, Qt::Alignment alignment) {
  auto box = std::make_unique<TNoticeBox>(ModalResult::Cancel);
  box->setWindowTitle(caption);
  QLabel* label = AddLabel(box.get(), text);
  label->setAlignment(alignment | Qt::AlignTop);
  // Four buttons from the left, 8 pixels apart: 8 + 75 + 8 + 75 + 8 + 83 + 8 + 83 + 8.
  constexpr int kButtonsWidth = 356;
  SetClientSize(box.get(), std::max({label->width() + 16, kButtonsWidth, CaptionWidth(caption)}),
                label->height() + 49);
  struct Spec {
    const char* Caption;
    ModalResult Result;
    int Width;
  };
  const Spec specs[] = {{"はい(&Y)", ModalResult::Yes, 75},
                        {"いいえ(&N)", ModalResult::No, 75},
                        {"全てはい(&A)", ModalResult::YesToAll, 83},
                        {"全ていいえ(&X)", ModalResult::NoToAll, 83}};
  int left = 8;
  QPushButton* focus = nullptr;
  for (const Spec& s : specs) {
    QPushButton* b = AddButton(box.get(), QString::fromUtf8(s.Caption), s.Result, left, s.Width);
    b->setAutoDefault(true);  // Enter presses the button that has the focus
    if (s.Result == defaultResult) focus = b;
    left += s.Width + 8;
  }
  if (focus) {
    focus->setDefault(true);
    box->OnShow = [focus] {
      if (focus->isVisible()) focus->setFocus(Qt::OtherFocusReason);
    };
  }
  return box;
}

ModalResult AskYesNoAll(const QString& text, const QString& caption, ModalResult defaultResult,
                        Qt::Alignment alignment) {
  return MakeYesNoAllBox(text, caption, defaultResult, alignment)->Exec();
}

std::unique_ptr<TNoticeBox> MakeOverwriteBox(const QString& fileName) {
  auto box = std::make_unique<TNoticeBox>(ModalResult::Cancel);
  box->setWindowTitle(QStringLiteral("ファイルにリストの発言を書き出す"));
  QLabel* label = AddLabel(box.get(), fileName + QStringLiteral("\nファイルは既に存在します。"));
  label->setAlignment(Qt::AlignCenter);
  const int labelHeight = label->height() + 16;
  // Four buttons of 100 x 25 from the left, 8 pixels apart, below the label.
  constexpr int kWidth = 100;
  constexpr int kButtonsWidth = 8 + 4 * (kWidth + 8);
  const int width =
      std::max({kButtonsWidth, label->width() + 16, CaptionWidth(box->windowTitle())});
  SetClientSize(box.get(), width, labelHeight + 8 + kButtonBottomGap);
  label->setGeometry(0, 0, width, labelHeight);
  struct Spec {
    const char* Caption;
    ModalResult Result;
  };
  const Spec specs[] = {{"上書き(&O)", ModalResult::Ok},
                        {"追加書き込み(&A)", ModalResult::Yes},
                        {"戻る(&R)", ModalResult::No},
                        {"キャンセル(&X)", ModalResult::Cancel}};
  QList<QPushButton*> buttons;
  int left = 8;
  for (const Spec& s : specs) {
    QPushButton* b = AddButton(box.get(), QString::fromUtf8(s.Caption), s.Result, left, kWidth);
    b->setAutoDefault(true);  // Enter presses the button that has the focus
    buttons.append(b);
    left += kWidth + 8;
  }
  // "戻る(&R)" comes first in the tab order, so a hasty Enter changes nothing.
  QPushButton* back = buttons[2];
  QWidget::setTabOrder(back, buttons[0]);
  QWidget::setTabOrder(buttons[0], buttons[1]);
  QWidget::setTabOrder(buttons[1], buttons[3]);
  back->setDefault(true);
  box->OnShow = [back] {
    if (back->isVisible()) back->setFocus(Qt::OtherFocusReason);
  };
  return box;
}

ModalResult AskOverwrite(const QString& fileName) {
  const std::unique_ptr<TNoticeBox> box = MakeOverwriteBox(fileName);
  return Dialogs().Execute(*box);
}

}  // namespace yuzulog
