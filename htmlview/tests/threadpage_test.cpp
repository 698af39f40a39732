// The page of a whole thread: each message's text exactly as its own page writes it, under its
// anchor, with the hits the caller gives.
#include "htmlview/threadpage.h"

#include <gtest/gtest.h>

#include "tests/support/logbuilder.h"

namespace yuzulog {
namespace {

TEST(ThreadPage, MessagesUnderTheirAnchorsAsTheirOwnPagesWriteThemWithTheirHits) {
  const std::string texts[] = {"a yuzu http://a.jp/yuzu", "b<"};
  std::vector<TLogMessage> m(2, TLogMessage(nullptr));
  for (int i = 0; i < 2; ++i) {
    m[i].HeadStart = texts[i].data();
    m[i].TextEnd = texts[i].data() + texts[i].size();
  }
  const std::vector<ThreadPageEntry> entries = {{&m[0], "5-1"}, {&m[1], "5-2-2"}};
  const DefaultColorResolver resolver;
  PageStream page;
  WriteThreadPage(page, entries, 4, 3, nullptr, PageStyle{}, resolver);
  EXPECT_EQ(
      page,
      "<html><head><meta http-equiv=Content-Type content=\"text/html; charset=shift_jis\">"
      "<style>a:target+div{border-left:4px solid #3875D7;padding-left:4px;margin-left:-8px}"
      "</style></head><body BGCOLOR=#FFFFFF><span lang=JA style='line-height:144%;"
      "font-size:9.0pt;font-family:\"" +
          testing::Sjis("ＭＳ Ｐゴシック") + "\";color:#000000'>" +
          testing::Sjis("このスレッドにはほかに 7 件の発言があります（前に 4 件、後に 3 件）") +
          "<HR><A NAME=\"5-1\"></A><DIV><NOBR>a&nbsp;yuzu&nbsp;<A HREF =\"http://a.jp/yuzu\">"
          "http://a.jp/yuzu</A></NOBR></DIV><HR><A NAME=\"5-2-2\"></A><DIV><NOBR>b&lt;"
          "</NOBR></DIV><HR></span></body></html>");
  // With hits: each message's hits in the key font, links whole.
  const MessageHits hits = [](const TLogMessage& message, std::vector<std::int64_t>& pairs) {
    if (message.Text()[0] == 'a') pairs = {2, 4, 19, 4};
  };
  page.clear();
  WriteThreadPage(page, entries, 0, 0, hits, PageStyle{}, resolver);
  std::vector<std::int64_t> pairs = {2, 4, 19, 4};
  PageStream own;
  WriteMessagePage(own, m[0], &pairs, PageStyle{}, resolver);
  const std::size_t text = own.find("<NOBR>");
  EXPECT_NE(page.find(own.substr(text, own.find("</NOBR>") - text)), std::string::npos);
  EXPECT_NE(page.find("http://a.jp/<span"), std::string::npos);
}

}  // namespace
}  // namespace yuzulog
