#include "tests/support/logbuilder.h"

#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "platform/cp932.h"

namespace yuzulog::testing {

std::string Sjis(std::string_view utf8) {
  Cp932Encoding e = Utf8ToCp932(utf8);
  if (!e.ok()) throw std::runtime_error("test text has no code page 932 form: " + e.unmappable);
  return e.bytes;
}

std::string LogBuilder::HeaderLine1(const MessageSpec& m) {
  char head[32];
  std::snprintf(head, sizeof head, "%05d/%05d %s  ", m.Number, m.Number, m.ID.c_str());
  std::string handle = Sjis(m.Handle);
  if (handle.size() < 16) handle.append(16 - handle.size(), ' ');
  return head + handle + Sjis(m.Title);
}

std::string LogBuilder::HeaderLine2(const MessageSpec& m) {
  char line[64];
  std::snprintf(line, sizeof line, "(%2d)   %s %s", m.Room, m.Date.c_str(), m.Time.c_str());
  std::string s = line;
  if (m.CommentTo >= 0) {
    char comment[16];
    std::snprintf(comment, sizeof comment, "  %05d", m.CommentTo);
    s += comment;
  }
  return s;
}

LogBuilder& LogBuilder::Add(const MessageSpec& m) {
  FText += HeaderLine1(m) + FLineEnd + HeaderLine2(m) + FLineEnd;
  std::string body = Sjis(m.Body);
  std::size_t start = 0;
  while (start <= body.size()) {
    const std::size_t nl = body.find('\n', start);
    const std::size_t end = nl == std::string::npos ? body.size() : nl;
    FText += body.substr(start, end - start) + FLineEnd;
    if (nl == std::string::npos) break;
    start = nl + 1;
  }
  return *this;
}

LogBuilder& LogBuilder::Raw(std::string_view bytes) {
  FText.append(bytes);
  return *this;
}

std::unique_ptr<TLogData> ParsedLog(std::string_view text, std::string fileName) {
  auto log = std::make_unique<TLogData>();
  log->FileName = std::move(fileName);
  ByteBlock block = AllocateZeroed(text.size() + 1);
  if (!text.empty()) std::memcpy(block.get(), text.data(), text.size());
  log->SetBuffer(std::move(block), text.size() + 1);
  log->Parse();
  log->SetRoomAndFirstNumber();
  return log;
}

std::string RoomLogText(int room, int first, int last) {
  LogBuilder b;
  for (int n = first; n <= last; ++n) {
    MessageSpec m;
    m.Room = room;
    m.Number = n;
    b.Add(m);
  }
  return b.Text();
}

std::unique_ptr<TLogData> ParsedRoomLog(int room, int first, int last, std::string fileName) {
  return ParsedLog(RoomLogText(room, first, last), std::move(fileName));
}

}  // namespace yuzulog::testing
