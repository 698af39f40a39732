#include "htmlview/linkscan.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "tests/support/logbuilder.h"

namespace yuzulog {
namespace {

using testing::Sjis;

// The length and target FindLink gives at the start of text; "" when there is no link.
struct Found {
  std::size_t Length;
  std::string Target;
  bool operator==(const Found&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Found& f) {
  return os << "{" << f.Length << ", \"" << f.Target << "\"}";
}

Found Link(std::string_view text) {
  std::string target;
  const std::size_t k = FindLink(text.data(), text.size(), target);
  return {k, k ? target : ""};
}

struct Bare {
  std::size_t Length;
  std::size_t Local;
  std::string Target;
  bool operator==(const Bare&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Bare& b) {
  return os << "{" << b.Length << ", " << b.Local << ", \"" << b.Target << "\"}";
}

// FindBareAddress at the first at sign of text, the range starting at text[from].
Bare BareAt(std::string_view text, std::size_t from = 0) {
  const std::size_t at = text.find('@');
  std::size_t local = 0;
  std::string target;
  const std::size_t k =
      FindBareAddress(text.data() + from, text.data() + at, text.size() - at, local, target);
  return k ? Bare{k, local, target} : Bare{0, 0, ""};
}

TEST(WebLink, TakesHostPathAndPortAndKeepsCase) {
  EXPECT_EQ(Link("http://www.Example.com/a/b.html rest"),
            (Found{31, "http://www.Example.com/a/b.html"}));
  EXPECT_EQ(Link("HTTPS://host.jp:8080/x"), (Found{22, "HTTPS://host.jp:8080/x"}));
}

TEST(WebLink, RejectsCandidatesEndingWithDotOrWithoutDot) {
  EXPECT_EQ(Link("http://www.example.com."), (Found{0, ""}));
  EXPECT_EQ(Link("http://localhost/path"), (Found{0, ""}));
  EXPECT_EQ(Link("https://#frag.x"), (Found{0, ""}));
  EXPECT_EQ(Link("https://?q=a.b"), (Found{0, ""}));
  EXPECT_EQ(Link("http://"), (Found{0, ""}));
}

TEST(WebLink, QueryOrFragmentButNotBoth) {
  EXPECT_EQ(Link("http://a.jp/s?q=1&r=a+b%20#top"), (Found{26, "http://a.jp/s?q=1&r=a+b%20"}));
  EXPECT_EQ(Link("http://a.jp/s#top?x"), (Found{17, "http://a.jp/s#top"}));
  EXPECT_EQ(Link("http://a.jp/?q=1/next"), (Found{16, "http://a.jp/?q=1"}));
  // A fragment stops at a hyphen.
  EXPECT_EQ(Link("http://a.jp/#sec-2"), (Found{16, "http://a.jp/#sec"}));
}

TEST(WebLink, NeverReadsPastTheRange) {
  const std::string text = "http://a.jp/abc";
  std::string target;
  EXPECT_EQ(FindWebLink(text.data(), 10, target), 10u);
  EXPECT_EQ(target, "http://a.j");
  // "http://" needs one more byte inside the range.
  EXPECT_EQ(FindWebLink(text.data(), 7, target), 0u);
}

TEST(FtpLink, StopsAtColonAndNeedsADot) {
  EXPECT_EQ(Link("ftp://ftp.a.jp:21/pub"), (Found{14, "ftp://ftp.a.jp"}));
  EXPECT_EQ(Link("FTP://ftp.a.jp/pub/"), (Found{19, "FTP://ftp.a.jp/pub/"}));
  EXPECT_EQ(Link("ftp://ftp.a.jp."), (Found{0, ""}));
  EXPECT_EQ(Link("ftp://server/pub"), (Found{0, ""}));
}

TEST(MailtoLink, DomainOfLabels) {
  EXPECT_EQ(Link("mailto:taro.y@mail.example.jp!"), (Found{29, "mailto:taro.y@mail.example.jp"}));
  EXPECT_EQ(Link("MailTo:a@bc.d"), (Found{13, "MailTo:a@bc.d"}));
  EXPECT_EQ(Link("mailto:a@b.c."), (Found{0, ""}));    // a dot then the end
  EXPECT_EQ(Link("mailto:a@b.c. x"), (Found{0, ""}));  // a dot then a space
  EXPECT_EQ(Link("mailto:a@.bc"), (Found{0, ""}));
  EXPECT_EQ(Link("mailto:a@b..c"), (Found{0, ""}));
  EXPECT_EQ(Link("mailto:a@bc"), (Found{0, ""}));   // no dot anywhere
  EXPECT_EQ(Link("mailto:a.b@c"), (Found{0, ""}));  // a domain of one byte
  EXPECT_EQ(Link("mailto:@b.c"), (Found{0, ""}));
  EXPECT_EQ(Link("mailto:a@"), (Found{0, ""}));
}

TEST(NiftyLink, NormalisesEachForm) {
  EXPECT_EQ(Link("NIFTY:YUZU/MES/05/#00123"), (Found{24, "nifty:yuzu/mes/5/123"}));
  EXPECT_EQ(Link("nifty:yuzu/mes/12/34x"), (Found{20, "nifty:yuzu/mes/12/34"}));
  EXPECT_EQ(Link("nifty:Yuzu rest"), (Found{10, "nifty:yuzu"}));
  EXPECT_EQ(Link("nifty:yuzu/3"), (Found{11, "nifty:yuzu"}));
  EXPECT_EQ(Link("nifty:yuzu/mes"), (Found{14, "nifty:yuzu/mes"}));
  EXPECT_EQ(Link("nifty:yuzu/mes/x"), (Found{15, "nifty:yuzu/mes"}));
  EXPECT_EQ(Link("nifty:yuzu/mes/007"), (Found{18, "nifty:yuzu/mes/7"}));
  EXPECT_EQ(Link("nifty:yuzu/mes/7/#"), (Found{18, "nifty:yuzu/mes/7"}));
  EXPECT_EQ(Link("nifty:yuzu/mes/7/"), (Found{17, "nifty:yuzu/mes/7"}));
  // A number that does not fit becomes 0.
  EXPECT_EQ(Link("nifty:a/b/99999999999/2147483648"), (Found{32, "nifty:a/b/0/0"}));
  EXPECT_EQ(Link("nifty:a/b/1/2147483647"), (Found{22, "nifty:a/b/1/2147483647"}));
}

TEST(NiftyLink, NeedsAForumOfLetters) {
  EXPECT_EQ(Link("nifty:"), (Found{0, ""}));
  EXPECT_EQ(Link("nifty:/yuzu"), (Found{0, ""}));
  EXPECT_EQ(Link("nifty:12"), (Found{0, ""}));
  EXPECT_EQ(Link("nifty" + Sjis("：") + "yuzu"), (Found{0, ""}));
}

TEST(FindLink, TriesTheSchemesOnlyAtTheStart) {
  EXPECT_EQ(Link("xhttp://a.jp"), (Found{0, ""}));
  EXPECT_EQ(Link("http:/a.jp"), (Found{0, ""}));
  EXPECT_EQ(Link(""), (Found{0, ""}));
}

TEST(BareAddress, LinksWithMailtoTarget) {
  EXPECT_EQ(BareAt("taro.y@mail.example.jp "), (Bare{16, 6, "mailto:taro.y@mail.example.jp"}));
  EXPECT_EQ(BareAt("(a-b@c.jp)"), (Bare{5, 3, "mailto:a-b@c.jp"}));
  // A dot in the local part is enough.
  EXPECT_EQ(BareAt("a.b@cd"), (Bare{3, 3, "mailto:a.b@cd"}));
}

TEST(BareAddress, RejectsBrokenDomainsAndLocalParts) {
  EXPECT_EQ(BareAt("abc@localhost"), (Bare{0, 0, ""}));
  EXPECT_EQ(BareAt("abc@.jp"), (Bare{0, 0, ""}));
  EXPECT_EQ(BareAt("abc@a..jp"), (Bare{0, 0, ""}));
  EXPECT_EQ(BareAt("abc@a.jp."), (Bare{0, 0, ""}));  // the full stop of a sentence
  EXPECT_EQ(BareAt("abc@a.jp.\r\n"), (Bare{0, 0, ""}));
  EXPECT_EQ(BareAt(" @a.jp"), (Bare{0, 0, ""}));
  EXPECT_EQ(BareAt("abc@"), (Bare{0, 0, ""}));
}

TEST(BareAddress, LosesTheByteAfterAHighByte) {
  // After a kanji whose second byte is not a letter, one letter of the local part is lost.
  EXPECT_EQ(BareAt(Sjis("漢") + "ab@c.jp"), (Bare{5, 1, "mailto:b@c.jp"}));
  // "ア" is 0x83 0x41: its second byte is a letter and must not join the local part.
  EXPECT_EQ(BareAt(Sjis("ア") + "ab@c.jp"), (Bare{5, 2, "mailto:ab@c.jp"}));
  EXPECT_EQ(BareAt(Sjis("ア") + "@c.jp"), (Bare{0, 0, ""}));
  EXPECT_EQ(BareAt(Sjis("漢") + "@c.jp"), (Bare{0, 0, ""}));
}

TEST(BareAddress, StaysInsideItsRange) {
  // The local part starts no earlier than the range.
  EXPECT_EQ(BareAt("abcdef@c.jp", 4), (Bare{5, 2, "mailto:ef@c.jp"}));
  EXPECT_EQ(BareAt("abcdef@c.jp", 6), (Bare{0, 0, ""}));
  // The domain ends with the range.
  const std::string text = "ab@c.jpxyz";
  std::size_t local = 0;
  std::string target;
  EXPECT_EQ(FindBareAddress(text.data(), text.data() + 2, 5, local, target), 5u);
  EXPECT_EQ(target, "mailto:ab@c.jp");
  EXPECT_EQ(FindBareAddress(text.data(), text.data() + 2, 1, local, target), 0u);
}

}  // namespace
}  // namespace yuzulog
