// Builds Shift-JIS log text in memory for tests: header lines at their fixed columns, bodies
// given in UTF-8 and converted, line ends chosen by the test.
#pragma once

#include <string>
#include <string_view>

#include "logdata/logdata.h"

namespace yuzulog::testing {

// UTF-8 test text to code page 932 bytes (the test fails loudly on an unmappable character).
std::string Sjis(std::string_view utf8);

struct MessageSpec {
  int Number = 1;
  std::string ID = "ABC01234";
  std::string Handle = "ハンドル";  // UTF-8; padded with spaces to 16 bytes after conversion
  std::string Title = "タイトル";   // UTF-8
  int Room = 12;
  std::string Date = "97/05/04";
  std::string Time = "21:25";
  int CommentTo = -1;               // -1: the comment field is left out
  std::string Body = "本文です。";  // UTF-8; lines separated by "\n", converted to the line end
};

class LogBuilder {
 public:
  explicit LogBuilder(std::string lineEnd = "\r\n") : FLineEnd(std::move(lineEnd)) {}
  // Appends one message: the two header lines, then the body lines, each ending in the line end.
  LogBuilder& Add(const MessageSpec& m);
  // Appends raw bytes as they are.
  LogBuilder& Raw(std::string_view bytes);
  const std::string& Text() const { return FText; }

  static std::string HeaderLine1(const MessageSpec& m);
  static std::string HeaderLine2(const MessageSpec& m);

 private:
  std::string FLineEnd;
  std::string FText;
};

// A TLogData holding a copy of text (plus its NUL), parsed.
std::unique_ptr<TLogData> ParsedLog(std::string_view text, std::string fileName = "test.LOG");
// The text of a log of room with the messages first..last.
std::string RoomLogText(int room, int first, int last);
// A parsed log of room with the messages first..last.
std::unique_ptr<TLogData> ParsedRoomLog(int room, int first, int last, std::string fileName);

}  // namespace yuzulog::testing
