// The rich-text view: the message's text in the message font, its hits in the key font. A thread
// is its messages one after the other, each closed by a horizontal rule.
#include <QAbstractTextDocumentLayout>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextEdit>
#include <algorithm>

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
    QObject::connect(FText->verticalScrollBar(), &QScrollBar::valueChanged, FText, [this](int top) {
      const double from = FTop;
      FTop = top;
      if (!FQuiet && OnScrolled) OnScrolled(from);
    });
  }

  QWidget* Widget() override { return FText; }

  void ShowMessage(const ShowRequest& request, const PageStyle& style) override {
    const Quiet quiet(*this);
    FStarts.clear();
    FText->clear();
    FText->setLineWrapMode(style.WordWrap ? QTextEdit::WidgetWidth : QTextEdit::NoWrap);
    if (!request.Message) return;
    const TLogMessage& m = *request.Message;
    FText->setPlainText(
        QString::fromStdString(RichTextOf(std::string_view(m.HeadStart, m.TextSize()))));
    if (request.WithHits()) MarkHitsInRichText(*FText, m, request.Hits, style.KeyFont);
  }

  void Clear(const PageStyle&) override {
    const Quiet quiet(*this);
    FStarts.clear();
    FText->clear();
  }

  // The view follows its palette at once.
  bool ApplyColor(TColor color) override {
    QPalette p = FText->palette();
    p.setColor(QPalette::Base, ToQColor(color));
    FText->setPalette(p);
    return false;
  }

  QString SelectedText() const override { return FText->textCursor().selectedText(); }
  void CopySelection() override { FText->copy(); }

  // One plain text set at once (far quicker than inserting message by message); the rules and
  // the hits are formats laid over it.
  void ShowThread(const ThreadPageContent& content, std::size_t selected, const MessageHits& hits,
                  const PageStyle& style) override {
    const Quiet quiet(*this);
    FStarts.clear();
    FText->clear();
    FText->setLineWrapMode(style.WordWrap ? QTextEdit::WidgetWidth : QTextEdit::NoWrap);
    QString all;
    if (content.OmittedBefore + content.OmittedAfter > 0)
      all =
          QString::fromStdString(OmittedMessagesText(content.OmittedBefore, content.OmittedAfter)) +
          QLatin1Char('\n');
    for (const ThreadPageEntry& e : content.Entries) {
      FStarts.push_back(static_cast<int>(all.size()));
      all += QString::fromStdString(
          RichTextOf(std::string_view(e.Message->HeadStart, e.Message->TextSize())));
      if (!all.endsWith(QLatin1Char('\n'))) all += QLatin1Char('\n');
      all += QLatin1Char('\n');  // the line that holds the rule
    }
    FStarts.push_back(static_cast<int>(all.size()));
    FText->setPlainText(all);
    // The rule's width is a share of its line's, which is empty: a fixed length wider than any
    // view, which only draws what the view shows.
    QTextBlockFormat rule;
    rule.setProperty(QTextFormat::BlockTrailingHorizontalRulerWidth,
                     QTextLength(QTextLength::FixedLength, 8192));
    std::vector<std::int64_t> pairs;
    // One edit: the text is laid out again once, not once for every format laid over it.
    QTextCursor edit(FText->document());
    edit.beginEditBlock();
    for (std::size_t i = 0; i < content.Entries.size(); ++i) {
      QTextCursor(LastBlock(i)).mergeBlockFormat(rule);
      if (!hits) continue;
      pairs.clear();
      hits(*content.Entries[i].Message, pairs);
      if (!pairs.empty())
        MarkHitsInRichText(*FText, *content.Entries[i].Message, pairs, style.KeyFont, FStarts[i]);
    }
    edit.endEditBlock();
    GoToEntry(selected);
  }

  void GoToEntry(std::size_t entry) override {
    if (entry + 1 >= FStarts.size()) return;
    const Quiet quiet(*this);
    // Laying the whole text out first gives the scroll bar its full range.
    FText->document()->documentLayout()->documentSize();
    const QTextBlock block = FText->document()->findBlock(FStarts[entry]);
    const double top = BlockRect(block).top() - FText->document()->documentMargin();
    FText->verticalScrollBar()->setValue(static_cast<int>(std::max(0.0, top)));
  }

  PageScroll Scroll() const override {
    const QScrollBar* bar = FText->verticalScrollBar();
    const double view = FText->viewport()->height();
    return {static_cast<double>(bar->value()), view, bar->maximum() + view};
  }

  void ScrollPage(bool down) override {
    FText->verticalScrollBar()->triggerAction(down ? QAbstractSlider::SliderPageStepAdd
                                                   : QAbstractSlider::SliderPageStepSub);
  }

  std::vector<double> EntryEnds() const override {
    std::vector<double> ends;
    for (std::size_t i = 0; i + 1 < FStarts.size(); ++i)
      ends.push_back(BlockRect(LastBlock(i)).bottom());
    return ends;
  }

 private:
  // Scrolling that the view does itself (a new text, going to an entry) is not the reader's.
  struct Quiet {
    explicit Quiet(RichTextView& v) : View(v), Was(v.FQuiet) { View.FQuiet = true; }
    ~Quiet() {
      View.FQuiet = Was;
      View.FTop = View.FText->verticalScrollBar()->value();
    }
    RichTextView& View;
    bool Was;
  };

  // The block after the text of entry i, which holds its rule.
  QTextBlock LastBlock(std::size_t i) const {
    return FText->document()->findBlock(std::max(FStarts[i], FStarts[i + 1] - 1));
  }
  QRectF BlockRect(const QTextBlock& block) const {
    return FText->document()->documentLayout()->blockBoundingRect(block);
  }

  QTextEdit* FText;
  // Where each entry of the thread shown begins, then where the last one ends; empty for a
  // single message.
  std::vector<int> FStarts;
  double FTop = 0;
  bool FQuiet = false;
};

}  // namespace

std::unique_ptr<MessageView> CreateRichTextView() {
  return std::make_unique<RichTextView>();
}

}  // namespace yuzulog
