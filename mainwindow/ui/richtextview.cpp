// The rich-text view: the message's text in the message font, its hits in the key font.
#include <QTextEdit>

#include "dialogs/qtfont.h"
#include "mainwindow/richtext.h"
#include "mainwindow/ui/messageview.h"
#include "mainwindow/ui/richtexthits.h"

namespace yuzulog {
namespace {

class RichTextView final : public MessageView {
 public:
  RichTextView() : FText(new QTextEdit) {
    FText->setReadOnly(true);
    FText->setAcceptDrops(false);
    FText->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    FText->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  }

  QWidget* Widget() override { return FText; }

  void ShowMessage(const ShowRequest& request, const PageStyle& style) override {
    FText->clear();
    FText->setLineWrapMode(style.WordWrap ? QTextEdit::WidgetWidth : QTextEdit::NoWrap);
    if (!request.Message) return;
    const TLogMessage& m = *request.Message;
    FText->setPlainText(
        QString::fromStdString(RichTextOf(std::string_view(m.HeadStart, m.TextSize()))));
    if (request.WithHits()) MarkHitsInRichText(*FText, m, request.Hits, style.KeyFont);
  }

  void Clear(const PageStyle&) override { FText->clear(); }

  // The view follows its palette at once.
  bool ApplyColor(TColor color) override {
    QPalette p = FText->palette();
    p.setColor(QPalette::Base, ToQColor(color));
    FText->setPalette(p);
    return false;
  }

  QString SelectedText() const override { return FText->textCursor().selectedText(); }
  void CopySelection() override { FText->copy(); }

 private:
  QTextEdit* FText;
};

}  // namespace

std::unique_ptr<MessageView> CreateRichTextView() {
  return std::make_unique<RichTextView>();
}

}  // namespace yuzulog
