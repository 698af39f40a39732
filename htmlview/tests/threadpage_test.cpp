// The page of a whole thread: each message's text exactly as its own page writes it, under its
// anchor, with the hits the caller gives.
#include "htmlview/threadpage.h"

#include <gtest/gtest.h>

#include "tests/support/logbuilder.h"

namespace yuzulog {
namespace {

using testing::Sjis;

const DefaultColorResolver kResolver;

struct Messages {
  std::vector<std::string> texts;
  std::vector<TLogMessage> records;
  explicit Messages(std::vector<std::string> t) : texts(std::move(t)) {
    for (const std::string& text : texts) {
      records.emplace_back(nullptr);
      records.back().HeadStart = records.back().BodyStart = text.data();
      records.back().TextEnd = text.data() + text.size();
    }
  }
};

// What a message page holds between its frame's head and tail.
std::string MessagePageText(const TLogMessage& m, const std::vector<int>* hits,
                            const PageStyle& style) {
  PageStream page, frame;
  WriteMessagePage(page, m, hits, style, kResolver);
  WriteEmptyPage(frame, style, kResolver);
  const std::size_t head = frame.find("</span></body>");
  return page.substr(head, page.size() - frame.size());
}

TEST(ThreadPage, AnchorsAndMessagesInOrderUnderTheFrameWithTheTargetRule) {
  const Messages m({"a http://a.jp", "b<"});
  const std::vector<ThreadPageEntry> entries = {{&m.records[0], "5-1"}, {&m.records[1], "5-2-2"}};
  PageStream page;
  WriteThreadPage(page, entries, 0, 0, nullptr, PageStyle{}, kResolver);
  EXPECT_EQ(page,
            "<html><head><meta http-equiv=Content-Type content=\"text/html; charset=shift_jis\">"
            "<style>a:target+div{border-left:4px solid #3875D7;padding-left:4px;margin-left:-8px}"
            "</style></head><body BGCOLOR=#FFFFFF><span lang=JA style='line-height:144%;"
            "font-size:9.0pt;font-family:\"" +
                Sjis("ＭＳ Ｐゴシック") +
                "\";color:#000000'><A NAME=\"5-1\"></A><DIV><NOBR>a&nbsp;<A HREF =\"http://a.jp\">"
                "http://a.jp</A></NOBR></DIV><HR><A NAME=\"5-2-2\"></A><DIV><NOBR>b&lt;</NOBR>"
                "</DIV><HR></span></body></html>");
}

TEST(ThreadPage, EveryMessageIsWrittenAsItsOwnPageWritesItWithItsHits) {
  const Messages m({"yuzu nifty:yuzu/mes/1/2", "no hit", "a yuzu"});
  std::vector<ThreadPageEntry> entries;
  for (const TLogMessage& r : m.records)
    entries.push_back({&r, "x"});
  const MessageHits hits = [](const TLogMessage& message, std::vector<int>& pairs) {
    const std::string_view text = message.Text();
    for (std::size_t at = text.find("yuzu"); at != std::string_view::npos;
         at = text.find("yuzu", at + 1))
      pairs.insert(pairs.end(), {static_cast<int>(at), 4});
  };
  for (const bool wrap : {false, true}) {
    PageStyle style;
    style.WordWrap = wrap;
    PageStream withHits, without;
    WriteThreadPage(withHits, entries, 4, 3, hits, style, kResolver);
    WriteThreadPage(without, entries, 4, 3, nullptr, style, kResolver);
    std::string expectHits, expectWithout;
    for (const TLogMessage& r : m.records) {
      std::vector<int> pairs;
      hits(r, pairs);
      expectHits += "<A NAME=\"x\"></A><DIV>" + MessagePageText(r, &pairs, style) + "</DIV><HR>";
      expectWithout +=
          "<A NAME=\"x\"></A><DIV>" + MessagePageText(r, nullptr, style) + "</DIV><HR>";
    }
    // The line about the messages left out comes first, under its own rule.
    const std::string omitted =
        Sjis("このスレッドにはほかに 7 件の発言があります（前に 4 件、後に 3 件）") + "<HR>";
    EXPECT_NE(withHits.find(omitted + expectHits), std::string::npos);
    EXPECT_NE(without.find(omitted + expectWithout), std::string::npos);
    EXPECT_NE(expectHits, expectWithout);
  }
}

}  // namespace
}  // namespace yuzulog
