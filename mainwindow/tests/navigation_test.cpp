// Moving between messages without a window: the history behind the back command, what a
// navigation in the view leads to, the go-to dialog's rules and the "Message:" key.
#include "mainwindow/navigation.h"

#include <gtest/gtest.h>

#include <deque>

#include "mainwindow/history.h"

namespace yuzulog {
namespace {

// The history as the window drives it: showing a message pushes it with the shown message as the
// current one; back selects the reached message, which shows it unless it is already selected.
class HistoryDriver {
 public:
  explicit HistoryDriver(int messages) {
    for (int i = 0; i < messages; ++i)
      FMessages.emplace_back(nullptr);
  }
  const TLogMessage* M(int i) const { return &FMessages[static_cast<std::size_t>(i)]; }
  void Show(int i) { Show(M(i)); }
  void Show(const TLogMessage* m) {
    History.PushHistory(m, FCurrent);
    FCurrent = m;
  }
  // Back with the reached message shown (its node was not selected) or not.
  const TLogMessage* Back(bool shows = true) {
    const TLogMessage* m = History.HistoryBack();
    if (m && shows) Show(m);
    return m;
  }
  // The entries as message numbers, newest first.
  std::vector<int> Entries() const {
    std::vector<int> v;
    for (int i = 0; i < History.Count(); ++i)
      v.push_back(static_cast<int>(History.At(i) - M(0)));
    return v;
  }
  MessageHistory History;

 private:
  std::deque<TLogMessage> FMessages;
  const TLogMessage* FCurrent = nullptr;
};

TEST(History, NewestFirstWithoutRepeatsOrNothing) {
  HistoryDriver h(4);
  h.Show(0);
  h.Show(1);
  h.Show(1);        // the current message again: the history stays
  h.Show(nullptr);  // a room node: nothing is recorded
  h.Show(1);        // already the newest entry: not recorded twice
  EXPECT_EQ(h.Entries(), (std::vector<int>{1, 0}));
  h.Show(2);
  EXPECT_EQ(h.Entries(), (std::vector<int>{2, 1, 0}));
}

TEST(History, BackToASelectedNodeMovesOnlyThePosition) {
  HistoryDriver h(5);
  for (int i = 0; i < 3; ++i)
    h.Show(i);
  // The reached nodes are already selected: nothing is shown, only the position moves.
  EXPECT_EQ(h.Back(false), h.M(1));
  EXPECT_EQ(h.Back(false), h.M(0));
  EXPECT_EQ(h.History.Position(), 2);
  EXPECT_EQ(h.Entries(), (std::vector<int>{2, 1, 0}));
  // Showing the entry right above the position changes nothing.
  h.Show(1);
  EXPECT_EQ(h.Entries(), (std::vector<int>{2, 1, 0}));
  EXPECT_EQ(h.History.Position(), 2);
  // Another message drops every entry above the position.
  h.Show(3);
  EXPECT_EQ(h.Entries(), (std::vector<int>{3, 0}));
  EXPECT_EQ(h.History.Position(), 0);
  h.History.ClearHistory();
  EXPECT_EQ(h.History.Count(), 0);
  EXPECT_EQ(h.Back(), nullptr);
}

TEST(LinkNavigation, EachKindOfAddress) {
  const std::string prefix = "https://gw.example/cgi-bin/go?";
  using A = NavigationAction;
  struct Case {
    const char* Url;
    bool Own;
    NavigationDecision Expected;
  };
  const Case cases[] = {
      {"file:///tmp/$qmv1.htm", true, {A::Allow, {}, {}}},
      {"nifty:yuzu/mes/3/45", false, {A::GotoMessage, {3, 45}, {}}},
      {"NIFTY:YUZU/MES/3/45", false, {A::GotoMessage, {3, 45}, {}}},
      // The forum is not looked at; what is not a number counts as 0.
      {"nifty:other/mes/12/7", false, {A::GotoMessage, {12, 7}, {}}},
      {"nifty:yuzu/mes/x/", false, {A::GotoMessage, {0, 0}, {}}},
      // Two slashes only, or another section: the service's gateway.
      {"nifty:yuzu/mes/3", false, {A::OpenExternally, {}, prefix + "nifty:yuzu/mes/3"}},
      {"nifty:yuzu/lib/3/45", false, {A::OpenExternally, {}, prefix + "nifty:yuzu/lib/3/45"}},
      {"nifty:yuzu", false, {A::OpenExternally, {}, prefix + "nifty:yuzu"}},
      {"mailto:a.b@example.jp", false, {A::OpenExternally, {}, "mailto:a.b@example.jp"}},
      {"http://www.example.jp/a?b=1&c=2",
       false,
       {A::OpenExternally, {}, "http://www.example.jp/a?b=1&c=2"}},
      {"ftp://ftp.example.jp/pub", false, {A::OpenExternally, {}, "ftp://ftp.example.jp/pub"}},
      // A local file that is not one of the program's pages: not shown, not handed on.
      {"file:///etc/passwd", false, {A::Refuse, {}, {}}},
      {"FILE:///tmp/$qmv1.htm", false, {A::Refuse, {}, {}}},
      {"data:text/html,<p>", false, {A::Refuse, {}, {}}},
      {"HTTPS://www.example.jp/", false, {A::OpenExternally, {}, "HTTPS://www.example.jp/"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Url);
    const NavigationDecision d = DecideNavigation(c.Url, c.Own, prefix);
    EXPECT_EQ(d.Action, c.Expected.Action);
    EXPECT_EQ(d.Target.Room, c.Expected.Target.Room);
    EXPECT_EQ(d.Target.Number, c.Expected.Target.Number);
    EXPECT_EQ(d.Url, c.Expected.Url);
  }
}

TEST(GotoDialogRules, NumberFieldAndKeys) {
  for (const auto& [text, number] : {std::pair{"", -1}, std::pair{"0", 0}, std::pair{"1234", 1234},
                                     std::pair{"12a", -1}, std::pair{"-3", -3}}) {
    SCOPED_TRACE(text);
    EXPECT_EQ(GotoNumberOf(text), number);
    EXPECT_EQ(GotoInputValid(text, true), number >= 0);
    EXPECT_FALSE(GotoInputValid(text, false));
  }
  for (char32_t kept : {U'0', U'9', U'\b', U'\r', char32_t{127}})
    EXPECT_TRUE(GotoKeyPasses(kept)) << static_cast<int>(kept);
  for (char32_t dropped : {U'a', U' ', U'-', U'+', U'\xFF11'})  // U+FF11: a full-width digit
    EXPECT_FALSE(GotoKeyPasses(dropped)) << static_cast<int>(dropped);
}

TEST(MessageKey, RoomSlashNumber) {
  const auto a = ParseMessageKey("5/13");
  ASSERT_TRUE(a);
  EXPECT_EQ(a->Room, 5);
  EXPECT_EQ(a->Number, 13);
  for (const char* bad : {"", "5", "5/", "/13", "a/1", "5/13/2"})
    EXPECT_FALSE(ParseMessageKey(bad)) << bad;
}

}  // namespace
}  // namespace yuzulog
