// The fast cut of a log text (sixteen-byte scans for line ends and header candidates) must
// give exactly what the plain byte-at-a-time cut gives: the same records and the same rewritten
// buffer. The texts here put line ends, NULs and headers at every position relative to the
// sixteen-byte blocks and to the end of the buffer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "logdata/linescan.h"
#include "tests/support/logbuilder.h"

namespace yuzulog {
namespace {

using testing::LogBuilder;
using testing::MessageSpec;

std::unique_ptr<TLogData> Unparsed(const std::string& text) {
  auto log = std::make_unique<TLogData>();
  ByteBlock block = AllocateZeroed(text.size() + 1);
  std::memcpy(block.get(), text.data(), text.size());
  log->SetBuffer(std::move(block), text.size() + 1);
  return log;
}

// The same records (as offsets) and the same buffers afterwards.
void ExpectSameCut(const TLogData& fast, const TLogData& plain, const std::string& text) {
  ASSERT_EQ(fast.Count(), plain.Count()) << ::testing::PrintToString(text);
  for (int i = 0; i < fast.Count(); ++i) {
    const TLogMessage& a = fast.Items(i);
    const TLogMessage& b = plain.Items(i);
    auto at = [](const TLogData& f, const char* p) { return p - f.Buffer(); };
    EXPECT_EQ(at(fast, a.HeadStart), at(plain, b.HeadStart));
    EXPECT_EQ(at(fast, a.Line2Start), at(plain, b.Line2Start));
    EXPECT_EQ(at(fast, a.BodyStart), at(plain, b.BodyStart));
    EXPECT_EQ(at(fast, a.TextEnd), at(plain, b.TextEnd));
    EXPECT_EQ(a.Number, b.Number);
    EXPECT_EQ(a.Room, b.Room);
    EXPECT_EQ(a.CommentTo, b.CommentTo);
  }
  EXPECT_EQ(std::string(fast.Buffer(), fast.BufferSize()),
            std::string(plain.Buffer(), plain.BufferSize()));
}

// Parses text both ways and compares them; a NUL of the text must cut as a '?' in its place.
void ExpectSameAsPlain(const std::string& text) {
  auto fast = Unparsed(text);
  auto plain = Unparsed(text);
  fast->Parse();
  plain->ParsePlain();
  ExpectSameCut(*fast, *plain, text);
  std::string questioned = text;
  std::replace(questioned.begin(), questioned.end(), '\0', '?');
  auto reference = Unparsed(questioned);
  reference->ParsePlain();
  ExpectSameCut(*fast, *reference, text);
  const auto nuls = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\0'));
  EXPECT_EQ(fast->NulBytes, nuls);
  EXPECT_EQ(plain->NulBytes, nuls);
}

MessageSpec Msg(int number, std::string body, int commentTo = -1) {
  MessageSpec m;
  m.Number = number;
  m.Body = std::move(body);
  m.CommentTo = commentTo;
  return m;
}

TEST(FastParseTest, LineEndScanAgreesWithByteLoopAtEveryOffset) {
  // Each kind of stop byte at each distance from each start offset, with the buffer ending at
  // every length around the sixteen-byte blocks.
  for (const char stop : {'\r', '\n', '\0', '\t'}) {
    for (std::size_t length = 1; length <= 48; ++length) {
      for (std::size_t at = 0; at + 1 < length; ++at) {
        std::string buffer(length, 'x');
        buffer[at] = stop;
        buffer.back() = '\0';
        for (std::size_t start = 0; start < length; ++start) {
          const char* p = buffer.data() + start;
          ASSERT_EQ(FindLineEnd(p, buffer.data() + length), FindLineEndPlain(p))
              << "length " << length << " stop at " << at << " start " << start;
        }
      }
    }
  }
}

TEST(FastParseTest, HeaderCandidateScanAgreesWithByteLoopAtEveryOffset) {
  // Digits after each kind of line end, after other bytes and at the very start, and NULs, at
  // each position around the blocks of sixteen, and of 64 in the fastest form this processor
  // runs; '/' and ':' border the digits.
  const HeaderCandidateFinder fastest = FastestHeaderCandidateFinder();
  const std::string pieces[] = {"\r1", "\n2", "\r\n3", "x4", "\t5", "/", ":", "\r\r", "0"};
  std::vector<std::size_t> lengths;
  for (std::size_t length = 1; length <= 40; ++length)
    lengths.push_back(length);
  for (std::size_t length : {63, 64, 65, 66, 67, 127, 128, 129, 130, 131, 200})
    lengths.push_back(length);
  for (const std::size_t length : lengths) {
    for (const std::string& piece : pieces) {
      for (std::size_t at = 0; at + piece.size() < length; ++at) {
        std::string buffer(length, 'x');
        buffer.replace(at, piece.size(), piece);
        buffer.back() = '\0';
        for (std::size_t start = 0; start < length; ++start) {
          // In the long buffers only the starts around the beginning and the piece.
          if (length > 40 && start > 2 && (start + 2 < at || start > at + 2)) continue;
          const char* p = buffer.data() + start;
          const char* plain = FindHeaderCandidatePlain(p, buffer.data());
          ASSERT_EQ(FindHeaderCandidate(p, buffer.data(), buffer.data() + length), plain)
              << "length " << length << " piece at " << at << " start " << start;
          ASSERT_EQ(fastest(p, buffer.data(), buffer.data() + length), plain)
              << "length " << length << " piece at " << at << " start " << start;
        }
      }
    }
  }
}

TEST(FastParseTest, HeaderPatternTestAgreesWithByteLoopForEveryByteInEveryColumn) {
  // A header's 22 bytes with each column replaced by each byte value, and the pattern cut short
  // by the end of the buffer at every length.
  const std::string header = LogBuilder::HeaderLine1(Msg(12345, "")) + "\r\n";
  ASSERT_GE(header.size(), 30u);
  for (int column = 0; column < kHeaderPatternLength; ++column) {
    for (int value = 0; value < 256; ++value) {
      std::string buffer = header;
      buffer[static_cast<std::size_t>(column)] = static_cast<char>(value);
      const char* last = buffer.data() + buffer.size();  // the string's own NUL
      ASSERT_EQ(IsHeaderPattern(buffer.data(), last), IsHeaderPatternPlain(buffer.data(), last))
          << "column " << column << " byte " << value;
    }
  }
  for (std::size_t cut = 0; cut <= header.size(); ++cut) {
    const std::string buffer = header.substr(0, cut);
    const char* last = buffer.data() + buffer.size();
    ASSERT_EQ(IsHeaderPattern(buffer.data(), last), IsHeaderPatternPlain(buffer.data(), last))
        << "cut " << cut;
    EXPECT_EQ(IsHeaderPatternPlain(buffer.data(), last), cut >= 22u) << "cut " << cut;
  }
}

TEST(FastParseTest, MatchesPlainParseWithEveryLineEnd) {
  for (const std::string eol : {"\r\n", "\n", "\r"}) {
    LogBuilder b(eol);
    b.Add(Msg(1, "short"));
    b.Add(Msg(2, "一行目が長い行で十六バイトを超えます\nsecond line\n\nafter an empty line", 1));
    b.Add(Msg(3, ""));  // the next header right after line 2
    b.Add(Msg(4, "00005/00000 ABC01234  looks like a header but repeats nothing"));
    b.Add(Msg(4, "a repeated number is body text"));
    b.Add(Msg(6, "x", 4));
    ExpectSameAsPlain(b.Text());
  }
}

TEST(FastParseTest, MatchesPlainParseAtEveryAlignmentAndBufferEnd) {
  const std::string log = LogBuilder().Add(Msg(1, "body\nmore")).Add(Msg(2, "end")).Text();
  // A preamble of each length shifts every line against the blocks; cutting the text short ends
  // the buffer inside a header, right after a line end, and in the middle of a CR LF.
  for (std::size_t pad = 0; pad < 20; ++pad) {
    const std::string text = std::string(pad, 'p') + "\r\n" + log;
    for (std::size_t cut = text.size() - 40; cut <= text.size(); ++cut)
      ExpectSameAsPlain(text.substr(0, cut));
  }
  // The second header is the last thing in the buffer, with and without its line end.
  const std::string header = LogBuilder::HeaderLine1(Msg(2, ""));
  for (const std::string tail : {"", "\r", "\n", "\r\n"}) {
    ExpectSameAsPlain(LogBuilder().Add(Msg(1, "x")).Text() + header + tail);
    ExpectSameAsPlain(LogBuilder().Add(Msg(1, "x")).Text() + header.substr(0, 22) + tail);
  }
}

TEST(FastParseTest, MatchesPlainParseWithNulsAndStrayControlBytes) {
  std::string text = LogBuilder().Add(Msg(1, "tab\there and a long line of body text")).Text();
  text += LogBuilder().Add(Msg(2, "x")).Text();
  for (std::size_t at = 0; at < text.size(); ++at) {
    std::string withNul = text;
    withNul[at] = '\0';
    ExpectSameAsPlain(withNul);
  }
  ExpectSameAsPlain(std::string("\0", 1) + text);
  ExpectSameAsPlain("");
  ExpectSameAsPlain("\r\n\r\n\n\r\r");
}

TEST(FastParseTest, MatchesPlainParseOnSeededRandomTexts) {
  // Texts stitched from header lines, near-headers, digits, every line end, stray NULs and runs
  // of body bytes, so that headers, line ends and block edges meet in every combination.
  const std::string pieces[] = {LogBuilder::HeaderLine1(Msg(1, "")),
                                LogBuilder::HeaderLine1(Msg(7, "")),
                                LogBuilder::HeaderLine1(Msg(3, "")).substr(0, 22),
                                LogBuilder::HeaderLine2(Msg(1, "", 5)),
                                "00012/00000 ABC0123  x",
                                "12345",
                                "\r\n",
                                "\n",
                                "\r",
                                std::string(1, '\0'),
                                "x",
                                std::string(15, 'y'),
                                std::string(17, 'z'),
                                "\x82\xa0\x82\xa2"};
  std::uint64_t state = 0x9E3779B97F4A7C15ull;
  auto next = [&] {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return state;
  };
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    const std::size_t count = next() % 40;
    for (std::size_t i = 0; i < count; ++i) {
      const std::size_t k = next() % std::size(pieces);
      // NULs are rare, or nothing after the first would ever be parsed.
      if (pieces[k].size() == 1 && pieces[k][0] == '\0' && next() % 8 != 0) continue;
      text += pieces[k];
    }
    ExpectSameAsPlain(text);
    if (::testing::Test::HasFailure()) break;
  }
}

}  // namespace
}  // namespace yuzulog
